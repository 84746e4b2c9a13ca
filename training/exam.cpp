// The exam's menu and set-up, its part in Play, in entering random mode and in the end of a
// series, the text phases' start, and its settings key.

#include "training/examinternal.h"

#include "engine/cp1252.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/speedcontrol.h"
#include "shell/startup.h"
#include "shell/summaries.h"
#include "shell/utilities.h"
#include "training/randominternal.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <memory>

namespace {

std::unique_ptr<ExamModule> module;
// The end of a phase stops the series itself: that stop is no user's Stop.
bool endingPhase = false;

constexpr char ChooseWordFileText[] = "Veuillez choisir un fichier de mots ou de phrases!";

// The exam's texts are French in every language.
constexpr Tr french(const char *text)
{
    return Tr(text, text, text, text, text, text, text);
}

constexpr TextRow ExamTexts[] = {
    {"menuExamen", TextKind::Caption, french("Examen France")},
    {"MenuExamComplet", TextKind::Caption, french("Complet")},
    {"MenuExamPha2", TextKind::Caption, french("Phase 2 seule (Groupes)")},
    {"MenuExamPha3", TextKind::Caption, french("Phase 3 seule (Texte)")},
};
static_assert(allLanguagesPresent(ExamTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

// The exam panel's captions and the pauses' texts.
constexpr Tr ExamCaptions[] = {
    french(exam::PhasesCaption.data()),  french(exam::Phase2Caption.data()),    french(exam::Phase3Caption.data()),
    french(exam::Phase1Running.data()),  french(exam::Phase2Running.data()),    french(exam::Phase3Running.data()),
    french(exam::CancelledCaption.data()), french(exam::FirstPauseText.data()), french(exam::SecondPauseText.data()),
};

// TYPEXAM= values.
constexpr int NoExam = 0;

RandomModule &randomState()
{
    return RandomModuleState();
}

ExamModule &e()
{
    return *module;
}

TForm1 &form()
{
    return *module->form;
}

void setSpin(const char *name, int value)
{
    if (auto *spin = form().findChild<QSpinBox *>(QString::fromLatin1(name)))
        spin->setValue(value);
}

// Speed 12 words per minute, spacing 1, word spacing 2 and 0, groups of five, not mixed.
void applyFixedSettings()
{
    SetSpeed(12);
    setSpin("SpinEditEspace", 1);
    setSpin("SpinEditEspaceMots", 2);
    setSpin("SpinEditEspaceMotsFin", 0);
    RandomModule &r = randomState();
    if (!r.MenuFixedWords[3]->isChecked())
        ClickMenuItem(r.MenuFixedWords[3]);
    if (!r.MenuWordContent->isChecked())
        ClickMenuItem(r.MenuWordContent);
}

QAction *kindItem(exam::Kind kind)
{
    switch (kind) {
    case exam::Kind::GroupsOnly:
        return e().MenuExamPha2;
    case exam::Kind::TextOnly:
        return e().MenuExamPha3;
    case exam::Kind::Complete:
        break;
    }
    return e().MenuExamComplet;
}

void kindClick(exam::Kind kind)
{
    kindItem(kind)->setChecked(true);
    SetExamCaption(exam::KindCaption(kind));
    menuExamenClick(e().menuExamen);
}

void leaveExam()
{
    if (!module)
        return;
    if (e().pause.Running())
        BitBtnCancelClick();
    exam::Reset(e().state);
}

// ---- The exam's part in random practice ------------------------------------------------------

bool beforePlay()
{
    if (!module || !ExamChosen())
        return true;
    // Play during a pause ends the pause: the exam starts again.
    if (e().pause.Running())
        BitBtnCancelClick();
    RandomModule &r = randomState();
    if (r.WordListFile.isEmpty()) {
        ShowProgramMessage(ChooseWordFileText);
        return false;
    }
    e().driver.kind = ExamKindChecked();
    exam::State &state = e().state;
    if (state.ExamPhase != 0 && r.series->RandomCharCount > 1) {
        exam::Reset(state);
        SetExamCaption(exam::KindCaption(ExamKindChecked()));
    }
    if (state.ExamPhase == 0 && !MemoRandomEmpty())
        ClearMemoRandomClick(r.ClearMemoRandom);
    return true;
}

void modeEntered()
{
    if (!module || !ExamChosen())
        return;
    applyFixedSettings();
    SetExamCaption(exam::KindCaption(ExamKindChecked()));
}

// The end of a phase, before the series is stopped.
void phaseEnded()
{
    if (!module || !e().form || !ExamChosen())
        return;
    EngineState &s = form().Engine;
    const exam::PhaseEnd end = exam::EndOfPhase(e().state, ExamKindChecked(), s.QuickSeries);
    if (end.showPause)
        ShowExamPause();
    if (end.stopQuick)
        s.QuickSeries = false;
    if (end.restoreCaption)
        SetExamCaption(exam::PhasesCaption);
}

struct ExamSeriesEnded {
    std::function<void()> previous;
    void operator()() const
    {
        phaseEnded();
        endingPhase = true;
        if (previous)
            previous();
        endingPhase = false;
    }
};

// Any other Stop during a pause ends the pause.
struct ExamSeriesStopped {
    std::function<void()> previous;
    void operator()() const
    {
        if (previous)
            previous();
        if (!endingPhase && module && e().pause.Running())
            BitBtnCancelClick();
    }
};

void chainNextPhase()
{
    if (!module || !e().form || !ExamChosen())
        return;
    switch (exam::TakeChain(e().state)) {
    case exam::Chain::Groups:
        form().Engine.QuickSeries = true;
        BitBtnPlayRandomClick(randomState().BitBtnPlayRandom);
        break;
    case exam::Chain::Text:
        form().Engine.QuickSeries = true;
        ButtonExamenTexteClick(e().ButtonExamenTexte);
        break;
    case exam::Chain::None:
        break;
    }
}

// The exam's caption lies over the top of the random memo: while it shows, the memo's text
// starts below it, so that no line of the exam hides under it.
class CaptionKeepsMemoClear : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
            clearMemo(static_cast<QWidget *>(watched));
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static void clearMemo(QWidget *caption)
    {
        RandomMemoEdit *memo = randomState().MemoRandom;
        if (!memo)
            return;
        const int textTop = memo->mapTo(caption->parentWidget(), memo->contentsRect().topLeft()).y();
        memo->SetTopInset(caption->isHidden() ? 0 : std::max(0, caption->geometry().bottom() + 1 - textTop));
    }
};

void buildMenu(ExamModule &m)
{
    RandomModule &r = randomState();
    QMenu *options = r.MenuRandomOptions;
    // After the word list, in the sets' part of the menu.
    const QList<QAction *> items = options->actions();
    const qsizetype words = items.indexOf(r.MenuListWords);
    QAction *before = words >= 0 && words + 1 < items.size() ? items[words + 1] : nullptr;
    m.ExamMenu = new QMenu(QStringLiteral("Examen France"), options);
    options->insertMenu(before, m.ExamMenu);
    m.menuExamen = m.ExamMenu->menuAction();
    m.menuExamen->setObjectName(QStringLiteral("menuExamen"));
    m.menuExamen->setCheckable(true);
    m.menuExamen->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E));
    QObject::connect(m.menuExamen, &QAction::triggered, m.menuExamen, [&m] { menuExamenClick(m.menuExamen); });
    // Leaving the exam (another set, the language) ends it once the menu has settled: the
    // exam's own item unchecks itself for a moment when it is clicked again.
    QObject::connect(m.menuExamen, &QAction::toggled, m.menuExamen, [&m](bool checked) {
        if (checked)
            return;
        QTimer::singleShot(0, m.menuExamen, [&m] {
            if (!m.menuExamen->isChecked())
                leaveExam();
        });
    });

    m.Kinds = new QActionGroup(m.ExamMenu);
    auto kind = [&m](const char *name, const char *caption, void (*handler)(QObject *)) {
        QAction *item = m.ExamMenu->addAction(QString::fromLatin1(caption));
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        m.Kinds->addAction(item);
        QObject::connect(item, &QAction::triggered, item, [item, handler] { handler(item); });
        return item;
    };
    m.MenuExamComplet = kind("MenuExamComplet", "Complet", MenuExamCompletClick);
    m.MenuExamPha2 = kind("MenuExamPha2", "Phase 2 seule (Groupes)", MenuExamPha2Click);
    m.MenuExamPha3 = kind("MenuExamPha3", "Phase 3 seule (Texte)", MenuExamPha3Click);
    m.MenuExamComplet->setChecked(true);
}

void bindSettings(ExamModule &m)
{
    Settings().bind(
        "TYPEXAM=",
        [&m](const std::string &value) {
            const auto kind = settings::ParseInt(value);
            m.IniExamType = kind && *kind >= 1 && *kind <= 3 ? *kind : NoExam;
        },
        [&m](std::vector<std::string> &out) {
            out.push_back(m.menuExamen->isChecked() ? std::to_string(static_cast<int>(ExamKindChecked())) : "0");
        });
    AddModuleStep(ModuleStep::PushParkedSettings, "exam type", [] {
        if (!module || !e().form || e().IniExamType == NoExam)
            return;
        const auto kind = static_cast<exam::Kind>(e().IniExamType);
        e().ApplyingSettings = true;
        // Outside French the exam is not offered: the kind is only remembered.
        if (e().menuExamen->isEnabled())
            ClickMenuItem(kindItem(kind));
        else
            kindItem(kind)->setChecked(true);
        e().ApplyingSettings = false;
    });
}

} // namespace

// ---- Shared ----------------------------------------------------------------------------------

ExamModule *ExamModuleState()
{
    return module.get();
}

exam::State &ExamState()
{
    return module->state;
}

exam::Kind ExamKindChecked()
{
    if (module && e().MenuExamPha2->isChecked())
        return exam::Kind::GroupsOnly;
    if (module && e().MenuExamPha3->isChecked())
        return exam::Kind::TextOnly;
    return exam::Kind::Complete;
}

exam::PauseCountdown::Now &ExamPauseClock()
{
    static exam::PauseCountdown::Now clock = exam::PauseCountdown::Clock::now;
    return clock;
}

const exam::PauseCountdown &ExamPause()
{
    return module->pause;
}

bool ExamChosen()
{
    return module && e().menuExamen->isChecked() && e().menuExamen->isEnabled();
}

void SetExamCaption(std::string_view caption)
{
    if (module && e().PanelExamen)
        e().PanelExamen->setText(ExamText(caption));
}

QString ExamText(std::string_view text)
{
    for (const Tr &row : ExamCaptions) {
        if (text == row[Language::English])
            return Pick(row);
    }
    return cp1252::toQString(std::string(text));
}

bool ExamGoesOn()
{
    if (!ExamChosen() || !form().RadioButtonRandom->isChecked() || ExamKindChecked() != exam::Kind::Complete)
        return false;
    const int phase = e().state.ExamPhase;
    const EngineState &s = form().Engine;
    const bool idle = s.PlayQueue.empty() && s.PlaybackDone && !s.RandomPlaying && !s.TextPlaying
                      && !s.QuizSeriesPlaying && !s.ReplayingTypedText;
    return (phase == 1 || phase == 2) && idle;
}

// ---- Handlers -------------------------------------------------------------------------------

void menuExamenClick(QObject *)
{
    ExamModule &m = e();
    RandomModule &r = randomState();
    TForm1 &f = form();
    if (!m.Kinds->checkedAction())
        m.MenuExamComplet->setChecked(true);
    m.driver.kind = ExamKindChecked();
    const bool words = ExamKindChecked() != exam::Kind::GroupsOnly;
    // No dialog opens while start-up applies the settings; Play asks for the file then.
    const bool dialogs = MainFormCreated && !m.ApplyingSettings;

    // 1. and 2. The word list, unless the groups phase runs alone.
    if (words) {
        WordFileChoice chosen = WordFileChoice::Cancelled;
        if (r.WordListFile.isEmpty() && dialogs) {
            chosen = ChooseWordFile();
            if (chosen == WordFileChoice::Failed)
                return;
        }
        if (chosen != WordFileChoice::Loaded) {
            const bool named = !r.WordListFile.isEmpty();
            if (!LoadWordList() && !named && dialogs)
                ShowProgramMessage(CannotOpenFileText);
        }
    }

    // 3. Letters and figures; the exam checked in place of the other sets.
    SelectSet(f.EngineSets, RandomSet::LettersFigures);
    for (QAction *item : r.SetItems)
        item->setChecked(false);
    r.MenuChoixCaracteres->setChecked(false);
    r.MenuListWords->setChecked(false);
    m.menuExamen->setChecked(true);
    r.MenuWordslength->setEnabled(false);
    ShowSetTitle(ModeTitleFromCaption(CaptionOfRaw(m.menuExamen)));
    RestartSeriesAfterSetChange();
    r.menuCallsigns->setEnabled(r.MenuFixedWords[3]->isChecked());

    // 4. and 5.
    if (f.RadioButtonRandom->isChecked())
        applyFixedSettings();
    UpdateRandomSummary();
    m.PanelExamen->show();
    m.PanelExamen->raise();
}

void MenuExamCompletClick(QObject *)
{
    kindClick(exam::Kind::Complete);
}

void MenuExamPha2Click(QObject *)
{
    kindClick(exam::Kind::GroupsOnly);
}

void MenuExamPha3Click(QObject *)
{
    kindClick(exam::Kind::TextOnly);
}

void ButtonExamenTexteClick(QObject *)
{
    RandomModule &r = randomState();
    if (r.WordListFile.isEmpty()) {
        ShowProgramMessage(MsgNoCharactersToPlay());
        return;
    }
    // The text phases take the word list fresh from its file.
    if (!LoadWordList(false)) {
        ShowProgramMessage(MsgCannotOpenFile());
        return;
    }
    BitBtnPlayRandomClick(r.BitBtnPlayRandom);
}

// ---- Building -------------------------------------------------------------------------------

void BuildExamModule(TForm1 &f)
{
    module = std::make_unique<ExamModule>();
    ExamModule &m = *module;
    m.form = &f;
    RandomModule &r = randomState();
    buildMenu(m);
    RegisterSideWindow(SideWindowPlace::ExamPause, FormPause);

    m.PanelExamen = new QLabel(r.GroupBoxRandom);
    m.PanelExamen->setObjectName(QStringLiteral("PanelExamen"));
    m.PanelExamen->setFrameShape(QFrame::Panel);
    m.PanelExamen->setFrameShadow(QFrame::Raised);
    m.PanelExamen->setAutoFillBackground(true);
    m.PanelExamen->setGeometry(8, 16, 360, 22);
    m.PanelExamen->setText(ExamText(exam::PhasesCaption));
    m.PanelExamen->hide();
    m.PanelExamen->installEventFilter(new CaptionKeepsMemoClear(m.PanelExamen));

    m.ButtonExamenTexte = new QPushButton(r.GroupBoxRandom);
    m.ButtonExamenTexte->setObjectName(QStringLiteral("ButtonExamenTexte"));
    m.ButtonExamenTexte->hide();
    QObject::connect(m.ButtonExamenTexte, &QPushButton::clicked, m.ButtonExamenTexte,
                     [&m] { ButtonExamenTexteClick(m.ButtonExamenTexte); });

    bindSettings(m);
    RegisterMainWindowTexts(ExamTexts);
    // Offered in French only: leaving French while the exam is the chosen set moves the random
    // set to letters and figures.
    OnLanguageChosen(m.PanelExamen, [](Language language) {
        ExamModule &m = *module;
        if (language == Language::Francais) {
            m.menuExamen->setEnabled(true);
            m.PanelExamen->move(8, 16);
            m.PanelExamen->setVisible(m.menuExamen->isChecked());
            return;
        }
        if (!m.menuExamen->isEnabled())
            return;
        if (m.menuExamen->isChecked())
            ClickMenuItem(randomState().SetItems[static_cast<int>(RandomSet::LettersFigures)]);
        m.menuExamen->setEnabled(false);
        m.PanelExamen->hide();
    });

    // The exam drives the random series.
    r.series->Exam = &m.driver;
    m.driver.phaseChosen = [](int phase) {
        SetExamCaption(phase == 1 ? exam::Phase1Running : phase == 2 ? exam::Phase2Caption : exam::Phase3Caption);
    };
    RandomExam().beforePlay = beforePlay;
    RandomExam().modeEntered = modeEntered;

    ModeHooks &hooks = Hooks();
    if (!hooks.randomSeriesEnded.target<ExamSeriesEnded>())
        hooks.randomSeriesEnded = ExamSeriesEnded{hooks.randomSeriesEnded};
    if (!hooks.randomSeriesStopped.target<ExamSeriesStopped>())
        hooks.randomSeriesStopped = ExamSeriesStopped{hooks.randomSeriesStopped};
    hooks.examChainNextPhase = chainNextPhase;

    // The quit ends a pause: nothing may start a phase on the way out.
    AddModuleStep(ModuleStep::QuitStopKeyingClocks, "exam pause", [] {
        if (module && e().pause.Running())
            BitBtnCancelClick();
    });
    // Another mode ends a pause.
    QObject::connect(f.RadioButtonRandom, &QRadioButton::toggled, m.PanelExamen, [](bool checked) {
        if (!checked && module && e().pause.Running())
            BitBtnCancelClick();
    });
}
