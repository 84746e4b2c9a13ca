#include "training/quizinternal.h"

#include "engine/cp1252.h"
#include "engine/morsecode.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/speedcontrol.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"
#include "training/random.h"
#include "training/randomsets.h"
#include "training/typing.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

namespace {

QuizModule module;

quiz::Core &core()
{
    return module.core;
}

TForm1 &form()
{
    return *module.form;
}

EngineState &state()
{
    return module.form->Engine;
}

QObject *named(const char *name)
{
    return module.form ? module.form->findChild<QObject *>(QString::fromLatin1(name)) : nullptr;
}

void setEnabledNamed(const char *name, bool enabled)
{
    SetEnabledNamed(&form(), name, enabled);
}

void setShownNamed(const char *name, bool shown)
{
    SetShownNamed(module.form, name, shown);
}

bool demoVisible()
{
    return SideWindowVisible(SideWindowPlace::DemoView);
}

void focusTypingBox()
{
    if (QLineEdit *box = module.form ? module.form->Editcaractere : nullptr; box && !demoVisible())
        box->setFocus();
}

constexpr const char *ModeButtons[] = {"RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonAbrev",
                                       "RadioButtonRandom",   "RadioButtonFile",  "RadioButtonQuiz",
                                       "RadioButtonMonitor"};
constexpr const char *SetItems[] = {"MenuLetters",        "MenuFigures", "MenuStops",          "MenuLocal",
                                    "MenuLettersFigures", "MenuAll",     "MenuChoixCaracteres"};
constexpr const char *MemoryButtons[] = {"ButtonMsg1", "ButtonMsg2", "ButtonMsg3",
                                         "ButtonMsg4", "ButtonMsg5", "ButtonMsg6"};

void setAllEnabled(std::span<const char *const> names, bool enabled)
{
    for (const char *name : names)
        setEnabledNamed(name, enabled);
}

// The settings panels a question closes, each by its own button.
constexpr PanelExit QuestionClosesPanels[] = {
    {"PanelChoixRandom", "ButtonCancelChoix"},   {"PanelLocalLesson", "ButtonLocalLessonExit"},
    {"PanelLocalCharacters", "ButtonLocalCaractereExit"}, {"PanelLocalShortcut", "ButtonShortcutExit"},
    {"PanelMaskedText", "ButtonMaskedTextCancel"}, {"PanelEspace", "BitBtnOKEspace"},
    {"PanelMsg", "ButtonCloseMsg"},              {"PanelPort", "ButtonClosePanelPort"},
    {"PanelCarteSon", "BitBtnOKCarteSon"},       {"PanelImportLessons", "BitBtnCancelImport"},
};

// ---- Waits -------------------------------------------------------------------------------------

void restoreWaitCursor()
{
    if (module.waitCursor) {
        module.waitCursor = false;
        QApplication::restoreOverrideCursor();
    }
}

// Cancels the wait in progress: its continuation never runs.
void cancelWaits()
{
    ++module.generation;
    module.afterWait = nullptr;
    if (module.TimerQuizWait)
        module.TimerQuizWait->stop();
    restoreWaitCursor();
}

// Runs `next` after `ms`, unless a stop, a mode change or another wait comes first.
void waitThen(int ms, std::function<void()> next)
{
    cancelWaits();
    const unsigned generation = module.generation;
    module.afterWait = [generation, next = std::move(next)] {
        if (generation == module.generation)
            next();
    };
    module.TimerQuizWait->start(ms);
}

void waitEnded()
{
    restoreWaitCursor();
    std::function<void()> next = std::move(module.afterWait);
    module.afterWait = nullptr;
    if (next)
        next();
}

// ---- The panel's states ------------------------------------------------------------------------

// A question is being asked: the series' controls, everything that would change the ground
// under it disabled.
void showSeriesControls()
{
    QuizModule &m = module;
    m.ButtonQuizStop->show();
    m.ButtonQuizStop->setEnabled(true);
    m.SpinEditQuizNumber->setEnabled(false);
    m.ButtonQuizOK->hide();
    m.ButtonQuizOK->setEnabled(false);
    SoundEngine().Host->showStopButton();
    m.ButtonDetailedReport->setEnabled(false);
    m.ButtonResetReport->setEnabled(false);
    m.MenuQuizPseudorandom->setEnabled(false);
    if (FormReport)
        FormReport->hide();
    setAllEnabled(ModeButtons, false);
    for (const char *name : {"Editcaractere", "ButtonPlayFile", "ButtonContinueFile", "ButtonReplayText"})
        setEnabledNamed(name, false);
    setAllEnabled(SetItems, false);
    if (m.MenuMaskReport->isChecked())
        m.GroupBoxQuiz->hide();
}

// No series: PLAY back, the other modes free again.
void showIdleControls()
{
    QuizModule &m = module;
    m.ButtonQuizOK->show();
    m.ButtonQuizOK->setEnabled(true);
    m.ButtonQuizStop->hide();
    m.ButtonQuizStop->setEnabled(false);
    for (QLabel *digit : m.ImageChronoQuiz)
        digit->hide();
    m.SpinEditQuizNumber->setEnabled(true);
    m.ButtonDetailedReport->setEnabled(true);
    m.ButtonResetReport->setEnabled(true);
    m.MenuQuizPseudorandom->setEnabled(true);
    setAllEnabled(SetItems, true);
    setAllEnabled(ModeButtons, true);
    setAllEnabled(MemoryButtons, true);
    CallHook(Hooks().updateReplayButton);
    form().TimerQuiz->stop();
}

// The empty character window: the idle panel and the message.
void refuseEmptyWindow()
{
    QuizModule &m = module;
    showIdleControls();
    setEnabledNamed("Editcaractere", true);
    form().ButtonQuitter->setEnabled(true);
    SoundEngine().Host->showQuitButton();
    form().Timer1->stop();
    state().QuizSeriesPlaying = false;
    m.countingDown = false;
    ShowProgramMessage(MsgNoCharactersToPlay());
    if (!module.form)
        return;
    focusTypingBox();
    SoundEngine().Cycle->ClearQueue();
}

// The question's character goes to the engine.
void sendQuestion()
{
    SoundEngine().Cycle->ClearQueue();
    state().PlayQueue = std::string(1, static_cast<char>(core().Current));
    BeginTransmission(true);
}

// Steps 5 to 7 of a question: the controls, the character and its hand-over to the engine.
void askQuestion()
{
    QuizModule &m = module;
    EngineState &s = state();
    showSeriesControls();
    const std::string text(1, static_cast<char>(core().ask(m.MenuQuizPseudorandom->isChecked())));
    {
        const QSignalBlocker quiet(m.EditRandomQuiz);
        m.EditRandomQuiz->setText(cp1252::toQString(cp1252::toLower(text)));
    }
    s.QuizSeriesPlaying = true;
    m.EditReponseQuiz->setFocus();
    {
        const QSignalBlocker quiet(m.EditReponseQuiz);
        m.EditReponseQuiz->clear();
    }
    setAllEnabled(MemoryButtons, false);
    sendQuestion();
}

// One second of the count-down before the first question; the question follows the last.
void countDown(int second)
{
    QuizModule &m = module;
    for (int i = 0; i < 3; ++i)
        m.ImageChronoQuiz[i]->setVisible(i == second - 1);
    if (second > 0) {
        waitThen(1000, [second] { countDown(second - 1); });
        return;
    }
    m.countingDown = false;
    form().ButtonQuitter->setEnabled(true);
    m.ButtonQuizStop->show();
    core().beginSeries(WindowCharacters(form().EngineSets), quiz::Clock::now());
    askQuestion();
}

// After a judgement (and its pause): the next question, or the end of the series.
void afterJudgement(bool wrong)
{
    if (!state().QuizSeriesPlaying)
        return;
    if (core().advance(wrong, module.MenuQuizErreur->isChecked()))
        ButtonQuizOKClick(module.ButtonQuizOK);
    else
        module.TimerFinQuiz->start();
}

// ---- Hooks of the engine -----------------------------------------------------------------------

// The character has been sent: the answer time starts. One whose sound the device dropped
// was not heard: it is sent again, and judged only once heard.
void seriesSent()
{
    QuizModule &m = module;
    if (!core().QuestionOpen)
        return;
    if (state().CharacterUnheard) {
        sendQuestion();
        return;
    }
    ShowFace(Face::Neutral);
    form().TimerQuiz->start();
    if (m.CheckBoxAbortDelay->isChecked() && !m.EditReponseQuiz->text().isEmpty())
        waitThen(250, [] { TimerQuizTimer(); });
}

// Stop closes the series: counts, time and the idle panel.
bool seriesStopped()
{
    QuizModule &m = module;
    cancelWaits();
    m.TimerFinQuiz->stop();
    if (m.countingDown) {
        m.countingDown = false;
        form().ButtonQuitter->setEnabled(true);
    }
    const bool wholeSeriesLeft = core().close(quiz::Clock::now());
    m.EditRevise->setText(cp1252::toQString(core().Missed));
    m.GroupBoxQuiz->show();
    ShowFace(Face::Neutral);
    showIdleControls();
    state().QuizSeriesPlaying = false;
    return wholeSeriesLeft;
}

} // namespace

QuizModule &QuizModuleState()
{
    return module;
}

quiz::Core &QuizState()
{
    return module.core;
}

std::function<QDateTime()> &QuizReportClock()
{
    return module.reportClock;
}

void BuildQuizModule(TForm1 &f)
{
    module = QuizModule{};
    module.form = &f;
    module.reportClock = [] { return QDateTime::currentDateTime(); };
    QuizModule &m = module;
    BuildQuizPanel(m);
    BuildQuizMenus(m);
    RegisterMainWindowTexts(QuizTextRows());
    BindQuizSettings(m);
    AddQuizKeyRoutes();
    RegisterSideWindow(SideWindowPlace::QuizReport, FormReport);
    OnLanguageSwitch(m.LabelOccurence, UpdateOccurrenceLabel);

    m.TimerFinQuiz = new QTimer(&f);
    m.TimerFinQuiz->setObjectName(QStringLiteral("TimerFinQuiz"));
    m.TimerFinQuiz->setSingleShot(true);
    m.TimerFinQuiz->setInterval(500);
    QObject::connect(m.TimerFinQuiz, &QTimer::timeout, m.TimerFinQuiz, [] { TimerFinQuizTimer(); });
    m.TimerQuizWait = new QTimer(&f);
    m.TimerQuizWait->setObjectName(QStringLiteral("TimerQuizWait"));
    m.TimerQuizWait->setSingleShot(true);
    QObject::connect(m.TimerQuizWait, &QTimer::timeout, m.TimerQuizWait, [] { waitEnded(); });
    f.TimerQuiz->setSingleShot(true);
    f.TimerQuiz->setInterval(quiz::DelayMilliseconds(m.UpDownDelay->value()));
    QObject::connect(f.TimerQuiz, &QTimer::timeout, m.QuizGroupBox, [] { TimerQuizTimer(); });
    QObject::connect(f.RadioButtonQuiz, &QRadioButton::clicked, m.QuizGroupBox, [] { RadioButtonQuizClick(); });

    ModeHooks &hooks = Hooks();
    hooks.quizSeriesSent = seriesSent;
    hooks.quizSeriesStopped = seriesStopped;
    AddModuleStep(ModuleStep::QuizOccurrenceLabel, "quiz occurrence label", UpdateOccurrenceLabel);
    // The report window exists once every window does.
    AddModuleStep(ModuleStep::PushParkedSettings, "quiz report window", BuildQuizReportWindow);
}

// ---- Handlers ----------------------------------------------------------------------------------

void RadioButtonQuizClick(QObject *)
{
    QuizModule &m = module;
    TForm1 &f = form();
    EngineState &s = state();
    cancelWaits();
    CallHook(Hooks().sidetoneOff);
    // Keys refused while answering would beep: the quiz is quiet.
    SetProgramBeep(false);
    setShownNamed("PanelLocalCharacters", false);
    setShownNamed("PanelLocalShortcut", false);
    m.QuizGroupBox->show();
    m.ButtonQuizOK->show();
    m.ButtonQuizOK->setEnabled(true);
    m.ButtonQuizStop->hide();
    m.ButtonQuizStop->setEnabled(false);
    m.SpinEditQuizNumber->setEnabled(true);
    setShownNamed("GroupBoxMonitor", false);
    if (auto *import = qobject_cast<QWidget *>(named("PanelImportLessons")); import && !import->isHidden())
        ClickNamed(&f, "BitBtnCancelImport");
    s.LeadingSpaceDone = false;
    CallHook(Hooks().leaveKidMode);
    SoundEngine().Host->releaseKeyingLines();
    for (const char *name : {"ListAlphabet", "ListCodeQ", "ListAbreviations", "GroupBoxRandom", "PanelFile"})
        setShownNamed(name, false);
    setEnabledNamed("MenuQuickRandom", false);
    RandomGroups().RandomSeriesStarted = false;
    if (auto *memo = qobject_cast<QWidget *>(named("MemoRandom")))
        memo->setProperty("readOnly", false);
    core().RepeatChar.reset();
    // The quiz asks characters, not words: the exam and the word list give way to a choice.
    if (NamedChecked(f, "menuExamen") || NamedChecked(f, "MenuListWords")) {
        setEnabledNamed("ButtonCancelChoix", false);
        MenuChoixCaracteresClick(named("MenuChoixCaracteres"));
    }
    setEnabledNamed("menuExamen", false);
    setEnabledNamed("MenuListWords", false);
    focusTypingBox();
    core().Left = core().SeriesLength;
}

void ButtonQuizOKClick(QObject *)
{
    QuizModule &m = module;
    TForm1 &f = form();
    const std::string window = WindowCharacters(f.EngineSets);
    if (window.empty()) {
        refuseEmptyWindow();
        return;
    }
    for (const PanelExit &panel : QuestionClosesPanels) {
        if (auto *shown = qobject_cast<QWidget *>(named(panel.panel)); shown && !shown->isHidden())
            ClickNamed(&f, panel.exit);
    }
    if (m.ButtonQuizOK->isHidden()) {
        askQuestion();
        return;
    }
    // The first question of a series, after the count-down.
    const int seconds = QuizCountdownSeconds();
    if (seconds == 0) {
        core().beginSeries(window, quiz::Clock::now());
        askQuestion();
        return;
    }
    // Nothing may start or end a mode while the seconds run.
    m.countingDown = true;
    m.ButtonQuizOK->hide();
    m.ButtonQuizStop->hide();
    m.SpinEditQuizNumber->setEnabled(false);
    m.ButtonDetailedReport->setEnabled(false);
    m.ButtonResetReport->setEnabled(false);
    m.MenuQuizPseudorandom->setEnabled(false);
    setAllEnabled(ModeButtons, false);
    setAllEnabled(SetItems, false);
    setAllEnabled(MemoryButtons, false);
    setEnabledNamed("Editcaractere", false);
    f.ButtonQuitter->setEnabled(false);
    countDown(seconds);
}

void ButtonQuizStopClick(QObject *)
{
    core().resetStreaks();
    SoundEngine().ButtonStopClick();
    if (module.form)
        state().LeadingSpaceDone = false;
}

void TimerQuizTimer()
{
    QuizModule &m = module;
    if (!m.form)
        return;
    form().TimerQuiz->stop();
    if (!state().QuizSeriesPlaying)
        return;
    const std::string answer = cp1252::fromQString(m.EditReponseQuiz->text());
    quiz::Options options;
    options.variableSpeed = m.CheckBoxVitMod->isChecked();
    options.variableDelay = m.CheckBoxDelayAdjust->isChecked();
    options.keepRepeats = QuizPauseSeconds() > 0;
    const unsigned char asked = core().Current;
    const auto judged = core().judge(answer, options, m.UpDownDelay->value(), MorseCodes[asked]);
    if (!judged)
        return; // judged already
    cancelWaits();
    ShowFace(judged->right ? Face::Right : Face::Wrong);
    // Variable speed goes through the Speed menu's steps, which the instructor's fixed speed
    // refuses.
    if (judged->speed == quiz::SpeedStep::Up)
        UpSpeedClick();
    else if (judged->speed == quiz::SpeedStep::Down)
        DownSpeedClick();
    if (judged->delayStep != m.UpDownDelay->value())
        m.UpDownDelay->setValue(judged->delayStep);
    if (!judged->right && options.keepRepeats) {
        m.EditRevise->setText(cp1252::toQString(core().Missed));
        m.EditRevise->end(false);
    }
    m.Label10->setText(QString::number(core().RightStreak));
    if (core().Asked > 0)
        m.EditMark->setText(QString::fromStdString(quiz::MarkText(core().Right, core().Asked)));

    const bool wrong = !judged->right;
    const int pause = wrong ? QuizPauseSeconds() : 0;
    if (pause > 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        waitThen(pause * 1000, [wrong] { afterJudgement(wrong); });
        module.waitCursor = true;
        return;
    }
    afterJudgement(wrong);
}

void TimerFinQuizTimer()
{
    module.TimerFinQuiz->stop();
    ClickButton(module.ButtonQuizStop);
}

void EditReponseQuizChange(QObject *)
{
    QuizModule &m = module;
    QLineEdit *answer = m.EditReponseQuiz;
    // The answer is held in lower case.
    const QString lower = cp1252::toQString(cp1252::toLower(cp1252::fromQString(answer->text())));
    if (lower != answer->text()) {
        const QSignalBlocker quiet(answer);
        answer->setText(lower);
    }
    if (!m.ButtonQuizOK->isHidden()) {
        const QSignalBlocker quiet(answer);
        answer->clear(); // no series: nothing to answer
        return;
    }
    if (m.CheckBoxAbortDelay->isChecked()) {
        if (form().TimerQuiz->isActive())
            waitThen(250, [] { TimerQuizTimer(); });
        return;
    }
    // The next key replaces the answer; the answer time decides.
    answer->setSelection(0, 1);
}

void ButtonMarkClick(QObject *)
{
    QuizModule &m = module;
    if (m.QuizGroupBox->isHidden() || state().QuizSeriesPlaying)
        return;
    EngineState &s = state();
    const bool queueWasEmpty = s.PlayQueue.empty();
    s.PlayQueue += std::to_string(core().Right) + "/" + std::to_string(core().Asked);
    BeginTransmission(queueWasEmpty);
}

void ButtonResetReportClick(QObject *)
{
    QuizModule &m = module;
    core().resetReport();
    ShowQuizReportRows();
    if (FormReport)
        FormReport->hide();
    m.EditMark->clear();
    m.EditRevise->clear();
    {
        const QSignalBlocker quiet(m.EditReponseQuiz);
        m.EditReponseQuiz->clear();
    }
    if (!state().QuizSeriesPlaying)
        focusTypingBox();
}

void ButtonDetailedReportClick(QObject *)
{
    BuildQuizReportWindow();
    if (FormReport) {
        FormReport->show();
        FormReport->raise();
    }
}

void UpDownDelayClick(QObject *)
{
    QuizModule &m = module;
    const int step = m.UpDownDelay->value();
    if (m.EditDelay)
        m.EditDelay->setText(QString::fromLatin1(quiz::DelayCaption(step)));
    form().TimerQuiz->setInterval(quiz::DelayMilliseconds(step));
}

void UpDelaiClick(QObject *)
{
    if (module.UpDownDelay->value() < quiz::DelaySteps)
        module.UpDownDelay->setValue(module.UpDownDelay->value() + 1);
}

void DownDelaiClick(QObject *)
{
    if (module.UpDownDelay->value() > 1)
        module.UpDownDelay->setValue(module.UpDownDelay->value() - 1);
}

void SpinEditQuizNumberChange(QObject *)
{
    core().SeriesLength = module.SpinEditQuizNumber->value();
    core().Left = core().SeriesLength;
}

void CheckBoxVitModClick(QObject *)
{
    module.CheckBoxDelayAdjust->setEnabled(module.CheckBoxVitMod->isChecked());
}

void MenuQuizPseudorandomClick(QObject *)
{
    UpdateOccurrenceLabel();
}

void MenuMaskReportClick(QObject *)
{
    QuizModule &m = module;
    if (!m.MenuMaskReport->isChecked())
        m.GroupBoxQuiz->show();
    else if (state().QuizSeriesPlaying)
        m.GroupBoxQuiz->hide();
}

void MenuQuizErreurClick(QObject *)
{
    // The item's check mark is the option.
}

void MenuRepriseClick(int seconds)
{
    QuizModule &m = module;
    seconds = std::clamp(seconds, 0, 3);
    m.RepriseItems[static_cast<std::size_t>(seconds)]->setChecked(true);
    m.MenuQuizReprise->setChecked(seconds > 0);
}

void MenuQuizDelaiOKClick(int seconds)
{
    QuizModule &m = module;
    seconds = std::clamp(seconds, 0, 3);
    m.DelaiOKItems[static_cast<std::size_t>(seconds)]->setChecked(true);
    m.PopQuiz[static_cast<std::size_t>(seconds)]->setChecked(true);
    if (seconds == 0)
        m.MenuQUIZdelaiOK->setChecked(false);
}

void ButtonretardQuizClick(int seconds)
{
    QuizModule &m = module;
    seconds = std::clamp(seconds, 0, 3);
    m.PopQuiz[static_cast<std::size_t>(seconds)]->setChecked(true);
    m.DelaiOKItems[static_cast<std::size_t>(seconds)]->setChecked(true);
    m.MenuQUIZdelaiOK->setChecked(seconds > 0);
}

void EditMarkClick(QObject *)
{
    QuizModule &m = module;
    // Painted in its font colour the score cannot be read; a second click shows it again.
    m.markHidden = !m.markHidden;
    QPalette palette = m.EditMark->palette();
    palette.setColor(QPalette::Base, m.markHidden ? palette.color(QPalette::Text)
                                                  : m.EditMark->style()->standardPalette().color(QPalette::Base));
    m.EditMark->setPalette(palette);
    m.EditReponseQuiz->setFocus();
}

// ---- Shared helpers ----------------------------------------------------------------------------

void ShowFace(Face face)
{
    QuizModule &m = module;
    m.Visage0->setVisible(face == Face::Neutral);
    m.VisageHa->setVisible(face == Face::Right);
    m.VisageHo->setVisible(face == Face::Wrong);
}

int QuizCountdownSeconds()
{
    for (int i = 0; i < 4; ++i) {
        if (module.DelaiOKItems[static_cast<std::size_t>(i)]->isChecked())
            return i;
    }
    return 0;
}

int QuizPauseSeconds()
{
    for (int i = 0; i < 4; ++i) {
        if (module.RepriseItems[static_cast<std::size_t>(i)]->isChecked())
            return i;
    }
    return 0;
}

void UpdateOccurrenceLabel()
{
    if (module.LabelOccurence)
        SetCaption(module.LabelOccurence,
                   module.MenuQuizPseudorandom->isChecked() ? TxtEqualOccurrence() : QString());
}

bool QuizModeChecked()
{
    return module.form && form().RadioButtonQuiz->isChecked();
}

bool QuizStopOrPlay()
{
    QuizModule &m = module;
    if (!m.ButtonQuizStop->isHidden()) {
        ButtonQuizStopClick(m.ButtonQuizStop);
        return true;
    }
    if (!m.ButtonQuizOK->isHidden()) {
        ButtonQuizOKClick(m.ButtonQuizOK);
        return true;
    }
    return false;
}

void QuizFaceClick(QLabel *face)
{
    QuizModule &m = module;
    if (face == m.VisageNoir) {
        m.VisageNoir->hide();
        return;
    }
    m.VisageNoir->show();
    m.VisageNoir->raise();
}
