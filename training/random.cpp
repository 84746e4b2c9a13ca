// The random group box: the memo, Play and Stop, the countdown, quick series, replay, clear
// and save; the module's build and its part in the engine's hand-back.

#include "training/random.h"

#include "engine/cp1252.h"
#include "platform/userfile.h"
#include "shell/accessiblenames.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/instructorlock.h"
#include "shell/formdialog.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/summaries.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"
#include "training/entrysheet.h"
#include "training/randominternal.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

namespace {

RandomModule module;

EngineState &state()
{
    return RandomForm().Engine;
}

RandomSeries &series()
{
    return *module.series;
}

bool demoVisible()
{
    return SideWindowVisible(SideWindowPlace::DemoView);
}

QWidget *widgetNamed(const char *name)
{
    return WidgetNamed(&RandomForm(), name);
}

void setShown(const char *name, bool shown)
{
    SetShownNamed(&RandomForm(), name, shown);
}

void setEnabledNamed(const char *name, bool enabled)
{
    SetEnabledNamed(&RandomForm(), name, enabled);
}

void setMemoryButtonsEnabled(bool enabled)
{
    for (const char *name : {"ButtonMsg1", "ButtonMsg2", "ButtonMsg3", "ButtonMsg4", "ButtonMsg5", "ButtonMsg6"})
        setEnabledNamed(name, enabled);
}

QString typingText()
{
    if (QLineEdit *box = RandomForm().Editcaractere)
        return box->text();
    return {};
}

void focusTypingBox()
{
    if (QLineEdit *box = RandomForm().Editcaractere; box && !demoVisible())
        box->setFocus();
}

// ---- The memo ----------------------------------------------------------------------------------

// The text of a quick series waits here and is written into the memo in one go.
void flushMemo()
{
    if (module.PendingMemo.empty())
        return;
    QPlainTextEdit *memo = module.MemoRandom;
    QTextCursor cursor(memo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(cp1252::toQString(module.PendingMemo));
    module.PendingMemo.clear();
    memo->moveCursor(QTextCursor::End);
}

void memoAppendText(const std::string &text)
{
    if (state().QuickSeries) {
        module.PendingMemo += text;
        return;
    }
    flushMemo();
    QPlainTextEdit *memo = module.MemoRandom;
    memo->moveCursor(QTextCursor::End);
    memo->insertPlainText(cp1252::toQString(text));
}

class WindowView : public RandomSeriesView {
public:
    bool memoLastLineEmpty() override
    {
        const std::string &pending = module.PendingMemo;
        const std::size_t lineBreak = pending.rfind('\n');
        if (lineBreak != std::string::npos)
            return lineBreak + 1 == pending.size();
        return pending.empty() && module.MemoRandom->document()->lastBlock().text().isEmpty();
    }
    void memoNewLine() override { memoAppendText("\n"); }
    void memoAppend(unsigned char c) override { memoAppendText(std::string(1, static_cast<char>(c))); }

    void enterSeries() override
    {
        TForm1 &f = RandomForm();
        if (!state().RandomPlaying)
            lookUpSeriesControls();
        SoundEngine().Host->showStopButton();
        module.GroupBoxRandom->show();
        module.MenuQuickRandom->setEnabled(true);
        for (const QPointer<QWidget> &widget : module.HiddenDuringSeries) {
            if (widget)
                widget->hide();
        }
        f.TimerQuiz->stop();
        for (const QPointer<QWidget> &widget : module.DisabledDuringSeries) {
            if (widget)
                widget->setEnabled(false);
        }
        SetSetItemsEnabled(false);
    }

    // The other modes' controls, by name, once per series.
    static void lookUpSeriesControls()
    {
        auto lookUp = [](std::initializer_list<const char *> names) {
            std::vector<QPointer<QWidget>> found;
            for (const char *name : names) {
                if (QWidget *widget = widgetNamed(name))
                    found.emplace_back(widget);
            }
            return found;
        };
        module.HiddenDuringSeries
            = lookUp({"ListAlphabet", "ListCodeQ", "ListAbreviations", "PanelFile", "QuizGroupBox", "GroupBoxMonitor"});
        module.DisabledDuringSeries
            = lookUp({"Editcaractere", "RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonAbrev", "RadioButtonFile",
                      "RadioButtonQuiz", "RadioButtonMonitor", "ButtonPlayFile", "ButtonContinueFile", "ButtonReplayText"});
        module.ExamItem = RandomForm().findChild<QAction *>(QStringLiteral("menuExamen"));
        module.DebugLabel = widgetNamed("Label4");
    }

    bool countdown() override;

    void endQuietly() override
    {
        TForm1 &f = RandomForm();
        SoundEngine().Host->releaseKeyingLines();
        SetSetItemsEnabled(true);
        module.MemoRandom->setReadOnly(false);
        UncheckExclusive(f.RadioButtonRandom);
        SoundEngine().Host->showQuitButton();
        module.BitBtnPlayRandom->show();
        module.BitBtnStopRandom->hide();
        SetOtherModesEnabled(true);
        setMemoryButtonsEnabled(true);
        focusTypingBox();
        ShowProgramMessage(MsgNoCharactersToPlay());
    }

    bool handOff() override
    {
        module.MemoRandom->setReadOnly(true);
        return SoundEngine().Cycle->RaisePTTWithSound();
    }

    void startEngine() override { SoundEngine().StartClick(); }
};

WindowView view;

int checkedDelay()
{
    for (int n = 5; n >= 1; --n) {
        if (module.MenuDelaiRandomItems[n]->isChecked())
            return n;
    }
    return 0;
}

void setCountdownConflictsEnabled(bool enabled)
{
    module.MenuQuickRandom->setEnabled(enabled);
    module.ClearMemoRandom->setEnabled(enabled);
    module.SaveMemoRandom1->setEnabled(enabled);
}

// Back to the idle panel: Play, the typing box and the buttons a series disabled.
void restoreIdlePanel()
{
    module.BitBtnPlayRandom->show();
    module.BitBtnStopRandom->hide();
    setEnabledNamed("Editcaractere", true);
    setEnabledNamed("ButtonReplayText", !typingText().isEmpty());
    setMemoryButtonsEnabled(true);
}

bool WindowView::countdown()
{
    TForm1 &f = RandomForm();
    const int seconds = checkedDelay();
    if (seconds == 0 || f.ButtonStop->isHidden() || !f.RadioButtonRandom->isChecked())
        return true;
    const QPointer<TForm1> window(&f);
    const unsigned generation = module.CountdownGeneration;
    auto cancelled = [&] {
        return !window || module.CountdownGeneration != generation || f.Engine.Quitting || f.Engine.QuitRequested;
    };
    module.CountdownRunning = true;
    f.ButtonStop->setEnabled(false);
    module.BitBtnStopRandom->hide();
    setCountdownConflictsEnabled(false);
    for (int n = seconds; n >= 1 && !cancelled(); --n) {
        for (int i = 0; i < 5; ++i)
            module.ImageChrono[i]->setVisible(i == n - 1);
        WaitMilliseconds(1000);
    }
    if (!window)
        return false;
    const bool stopped = cancelled();
    for (QLabel *digit : module.ImageChrono)
        digit->hide();
    f.ButtonStop->setEnabled(true);
    setCountdownConflictsEnabled(true);
    module.CountdownRunning = false;
    if (stopped) {
        restoreIdlePanel();
        return false;
    }
    module.BitBtnStopRandom->show();
    return true;
}

// ---- Hooks of the engine's hand-back --------------------------------------------------------------

void seriesEnded()
{
    ClickNamed(&RandomForm(), "BitBtnStopRandom");
    if (TSideForm *pause = SideWindowAt(SideWindowPlace::ExamPause); pause && pause->isVisible())
        pause->activateWindow();
}

void unitSent()
{
    // A quick series shows its summary once, at its end.
    if (series().UnitSent() && !state().QuickSeries)
        UpdateRandomSummary();
}

void seriesStopped()
{
    series().Stopped();
    CancelRandomCountdown();
    flushMemo();
    module.MemoRandom->setReadOnly(false);
}

// Stop shows the hidden memo again; the file text has its own part in the same hook.
struct ShowHiddenRandomText {
    std::function<void()> previous;
    void operator()() const
    {
        if (previous)
            previous();
        if (module.form && module.menuShow->isChecked() && MemoHidden())
            ButtonHideClick(module.ButtonHide);
    }
};

// The first visible of these panels is closed by Escape in the memo.
constexpr PanelExit EscapePanels[] = {
    {"PanelChoixRandom", "ButtonCancelChoix"},       {"PanelLocalCharacters", "ButtonLocalCaractereExit"},
    {"PanelLocalShortcut", "ButtonShortcutExit"},    {"PanelLocalLesson", "ButtonLocalLessonExit"},
    {"PanelEspace", "BitBtnOKEspace"},               {"PanelTextRecord", "BitBtnNoRecord"},
};

std::string memoText()
{
    flushMemo();
    return cp1252::fromQString(module.MemoRandom->toPlainText());
}

bool writeMemo(const QString &path)
{
    std::string bytes;
    const std::string text = memoText();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        bytes.append(text, start, end - start);
        bytes += "\r\n";
        start = end + 1;
    }
    // A device or a FIFO chosen by mistake is not replaced by the text.
    if (userfile::WritableTarget(QFile::encodeName(path).toStdString()) != 0)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

// ---- The memo and the Play button ----------------------------------------------------------------

void RandomMemoEdit::keyPressEvent(QKeyEvent *event)
{
    int key = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = 13;
    else if (event->key() == Qt::Key_Escape)
        key = 27;
    if (key != 0 && event->modifiers() == Qt::NoModifier) {
        MemoRandomKeyPress(this, key);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void RandomMemoEdit::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (module.form && module.form->Engine.RandomPlaying)
        moveCursor(QTextCursor::End);
}

void RandomMemoEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (module.form && module.form->Engine.RandomPlaying)
        moveCursor(QTextCursor::End);
}

void PlayRandomButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ControlModifier) {
        module.PopRandom->popup(mapToGlobal(rect().bottomLeft()));
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (series().RandomCharCount <= 1) {
            state().ReplayRandom = false;
            series().RandomStopped = false;
        }
        BitBtnPlayRandomClick(this);
        return;
    }
    if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        if (module.MenuReplayRandom->isChecked()) {
            ReplaySeriesText();
        } else {
            series().Reset();
            BitBtnPlayRandomClick(this);
        }
    }
}

// ---- Shared helpers ------------------------------------------------------------------------------

RandomModule &RandomModuleState()
{
    return module;
}

TForm1 &RandomForm()
{
    return *module.form;
}

RandomSeries &RandomGroups()
{
    return *module.series;
}

QString RandomWordListFile()
{
    return module.WordListFile;
}

std::function<void(int page)> &RestoreLessonPage()
{
    static std::function<void(int)> restore;
    return restore;
}

RandomExamHooks &RandomExam()
{
    static RandomExamHooks hooks;
    return hooks;
}

void SyncSeriesOptions()
{
    RandomSeriesOptions &o = series().Options;
    o.AddV = module.MenuAddV->isChecked();
    o.RandomWords = module.MenuRandomWords->isChecked();
    o.NonMixedGroups = module.MenuWordContent->isChecked();
    o.Callsigns = module.menuCallsigns->isChecked();
    o.ListWords = module.MenuListWords->isChecked();
    o.LowerCase = module.menulowercase->isChecked();
    // The exam item as found when the series started (or now, between series); a series of
    // the exam's texts looks it up once.
    if (!state().RandomPlaying || !module.ExamItem)
        module.ExamItem = RandomForm().findChild<QAction *>(QStringLiteral("menuExamen"));
    QAction *exam = module.ExamItem.data();
    o.Exam = exam && exam->isChecked() && exam->isEnabled();
    o.SeriesCount = module.SpinEditRandomNumber->value();
    series().WordListChosen = !module.WordListFile.isEmpty();
}

bool MemoRandomEmpty()
{
    const QTextDocument *document = module.MemoRandom->document();
    return module.PendingMemo.empty() && document->blockCount() < 2 && document->firstBlock().text().isEmpty();
}

void SetOtherModesEnabled(bool enabled)
{
    for (const char *name : {"Editcaractere", "RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonAbrev",
                             "RadioButtonFile", "RadioButtonQuiz", "RadioButtonMonitor"})
        setEnabledNamed(name, enabled);
    if (!enabled) {
        for (const char *name : {"ButtonPlayFile", "ButtonContinueFile", "ButtonReplayText"})
            setEnabledNamed(name, false);
    }
}

void CancelRandomCountdown()
{
    if (module.CountdownRunning)
        ++module.CountdownGeneration;
}

void RestartSeriesAfterSetChange()
{
    if (module.series)
        series().RestartAfterSetChange(view);
}

// ---- Handlers --------------------------------------------------------------------------------------

void ButtonChoixRandomClick(QObject *)
{
    TForm1 &f = RandomForm();
    EngineState &s = state();
    CallHook(Hooks().sidetoneOff);
    if (series().RandomSeriesStarted) {
        series().RandomSeriesStarted = false;
        SoundEngine().Sender->restoreBasePitch();
        RadioButtonRandomClick(f.RadioButtonRandom);
        ShowEntrySheetWhenChecked();
        return;
    }
    SetProgramBeep(true);
    s.ChoixRandomActive = true;
    SoundEngine().ButtonStopClick();
    s.ChoixRandomActive = false;
    focusTypingBox();
    module.GroupBoxRandom->show();
    module.MenuQuickRandom->setEnabled(true);
    for (const char *name : {"ListAlphabet", "ListCodeQ", "ListAbreviations", "PanelFile", "QuizGroupBox", "GroupBoxMonitor"})
        setShown(name, false);
    if (QWidget *import = widgetNamed("PanelImportLessons"); import && !import->isHidden())
        ClickNamed(&f, "BitBtnCancelImport");
    s.LeadingSpaceDone = false;
    HideSideWindow(SideWindowPlace::QuizReport);
    SoundEngine().Host->releaseKeyingLines();
    f.TimerQuiz->stop();
    // The exam is offered while French is the language.
    if (auto *exam = f.findChild<QAction *>(QStringLiteral("menuExamen")))
        exam->setEnabled(f.Francais1->isChecked());
    module.MenuListWords->setEnabled(true);
    if (RandomExam().modeEntered)
        RandomExam().modeEntered();
    if (auto *monitor = f.findChild<QPlainTextEdit *>(QStringLiteral("MemoMonitor")))
        monitor->clear();
    ShowEntrySheetWhenChecked();
    UpdatePlayRandomHint();
}

void BitBtnPlayRandomClick(QObject *)
{
    TForm1 &f = RandomForm();
    if (RandomExam().beforePlay && !RandomExam().beforePlay())
        return;
    series().RandomSeriesStarted = true;
    state().StopRequested = false;
    module.BitBtnStopRandom->show();
    module.BitBtnPlayRandom->hide();
    setMemoryButtonsEnabled(false);
    f.EngineTone.Fade.RestartPhase(f.EngineTiming.Speed());
    if (module.MenuHide->isChecked())
        SetMemoHidden(true);
    RadioButtonRandomClick(f.RadioButtonRandom);
    if (SideWindowVisible(SideWindowPlace::EntrySheet))
        SideWindowAt(SideWindowPlace::EntrySheet)->activateWindow();
    UpdateRandomSummary();
}

void RadioButtonRandomClick(QObject *)
{
    SyncSeriesOptions();
    series().Step(view);
    if (auto *label = qobject_cast<QLabel *>(module.DebugLabel.data()); label && label->isVisible()
        && state().RandomPlaying)
        label->setText(QStringLiteral("IB=%1/LW=%2").arg(state().GroupPosition).arg(state().GroupLength));
}

void BitBtnStopRandomClick(QObject *)
{
    TForm1 &f = RandomForm();
    EngineState &s = state();
    series().WordRest.clear();
    s.LeadingSpaceDone = false;
    // A practice file loaded: its play or continue button comes back.
    if (auto *file = f.findChild<QPlainTextEdit *>(QStringLiteral("FileEdit"));
        file && file->document()->firstBlock().text() != QStringLiteral("MemoFile")) {
        QWidget *resume = widgetNamed("ButtonContinueFile");
        setEnabledNamed(resume && !resume->isHidden() ? "ButtonContinueFile" : "ButtonPlayFile", true);
    }
    restoreIdlePanel();
    SoundEngine().ButtonStopClick();
    // A settings panel open over the series takes that stop for itself (it only closes); the
    // series stops all the same, as Play is offered again.
    if (s.RandomPlaying)
        SoundEngine().ButtonStopClick();
    flushMemo();
    UpdateRandomSummary();
}

void MenuQuickRandomClick(QObject *)
{
    EngineState &s = state();
    if (s.RandomPlaying)
        SoundEngine().ButtonStopClick();
    if (s.QuizSeriesPlaying)
        ClickNamed(&RandomForm(), "ButtonQuizStop");
    if (!MemoRandomEmpty())
        ClearMemoRandomClick(module.ClearMemoRandom);
    SyncSeriesOptions();
    series().RandomCharCount = series().Options.SeriesCount + 1;
    s.GroupPosition = 0; // a quick series is a new one: its first group is whole
    s.QuickSeries = true;
    BitBtnPlayRandomClick(module.BitBtnPlayRandom);
}

void ClearMemoRandomClick(QObject *)
{
    if (state().RandomPlaying) {
        ShowProgramMessage(MsgStopRandomBeforeClearing());
        return;
    }
    if (MemoRandomEmpty()) {
        ShowProgramMessage(MsgNothingToClear());
        return;
    }
    module.PendingMemo.clear();
    module.MemoRandom->clear();
    series().Reset();
    UpdateRandomSummary();
    UpdatePlayRandomHint();
}

void SaveMemoRandom1Click(QObject *)
{
    if (state().RandomPlaying) {
        ShowProgramMessage(MsgStopRandomBeforeRecording());
        return;
    }
    if (MemoRandomEmpty()) {
        ShowProgramMessage(MsgNothingToRecord());
        return;
    }
    QFileDialog dialog(&RandomForm(), QString(), QDir::currentPath());
    dialog.setObjectName(QStringLiteral("SaveDialogRandom"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters({QStringLiteral("Text file / Fichier texte (*.txt *.wri *.kst)"), QStringLiteral("All / Tous (*)")});
    dialog.selectFile(QStringLiteral("Random1.txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    if (!writeMemo(path))
        ShowProgramMessage(MsgWriteError() + QStringLiteral(" : ") + path);
}

void ReplaySeriesText()
{
    if (MemoRandomEmpty())
        return;
    QString selection = module.MemoRandom->textCursor().selectedText();
    selection.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    selection.replace(QChar::LineSeparator, QLatin1Char('\n'));
    if (series().PrepareReplay(ReplayTextFromMemo(memoText(), cp1252::fromQString(selection))))
        BitBtnPlayRandomClick(module.BitBtnPlayRandom);
}

void UpdatePlayRandomHint()
{
    if (!module.BitBtnPlayRandom || module.BitBtnPlayRandom->isHidden())
        return;
    SyncSeriesOptions();
    QString hint = Pick(PlayRandomHintRow(MemoRandomEmpty(), module.MenuReplayRandom->isChecked(),
                                          series().StoppedMidSeries()));
    hint += QStringLiteral("\n\r");
    if (QWidget *quizOK = widgetNamed("ButtonQuizOK"))
        hint += quizOK->toolTip();
    hint.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    module.BitBtnPlayRandom->setToolTip(hint.trimmed());
}

void MemoRandomKeyPress(QObject *, int &Key)
{
    TForm1 &f = RandomForm();
    if (Key == 13 && !module.PanelChoixRandom->isHidden()) {
        Key = 0;
        ButtonChoixCaractereOKClick(module.ButtonChoixCaractereOK);
        return;
    }
    if (Key == 13 && !module.GroupBoxRandom->isHidden() && !module.CountdownRunning) {
        Key = 0;
        if (!module.BitBtnPlayRandom->isHidden())
            BitBtnPlayRandomClick(module.BitBtnPlayRandom);
        else
            BitBtnStopRandomClick(module.BitBtnStopRandom);
        return;
    }
    if (Key == 27) {
        Key = 0;
        if (CloseFirstShownPanel(&f, EscapePanels))
            return;
        if (!f.ButtonStop->isHidden())
            SoundEngine().ButtonStopClick();
        else
            f.ButtonQuitterClick();
    }
}

// ---- Building ------------------------------------------------------------------------------------

void BuildRandomPanel(RandomModule &r)
{
    TForm1 &f = *r.form;
    r.GroupBoxRandom = new QGroupBox(QStringLiteral("Random groups"), f.Frame);
    r.GroupBoxRandom->setObjectName(QStringLiteral("GroupBoxRandom"));
    r.GroupBoxRandom->setGeometry(8, 104, 644, 300);
    r.GroupBoxRandom->hide();
    QGroupBox *box = r.GroupBoxRandom;

    r.MemoRandom = new RandomMemoEdit(box);
    r.MemoRandom->setObjectName(QStringLiteral("MemoRandom"));
    r.MemoRandom->setGeometry(8, 20, 628, 180);
    r.MemoRandom->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    r.MemoRandom->setToolTip(QStringLiteral("Random characters are played and displayed"));

    for (int i = 0; i < 5; ++i) {
        auto *digit = new QLabel(QString::number(i + 1), box);
        digit->setObjectName(QStringLiteral("ImageChrono%1").arg(i + 1));
        digit->setAlignment(Qt::AlignCenter);
        QFont font = digit->font();
        font.setPointSize(36);
        font.setBold(true);
        digit->setFont(font);
        digit->setGeometry(282, 70, 80, 80);
        digit->hide();
        r.ImageChrono[i] = digit;
    }

    r.BitBtnPlayRandom = new PlayRandomButton(QStringLiteral("Play"), box);
    r.BitBtnPlayRandom->setObjectName(QStringLiteral("BitBtnPlayRandom"));
    r.BitBtnPlayRandom->setGeometry(8, 206, 96, 30);
    QObject::connect(r.BitBtnPlayRandom, &QPushButton::clicked, r.BitBtnPlayRandom,
                     [&r] { BitBtnPlayRandomClick(r.BitBtnPlayRandom); });
    r.BitBtnStopRandom = new QPushButton(QStringLiteral("Stop"), box);
    r.BitBtnStopRandom->setObjectName(QStringLiteral("BitBtnStopRandom"));
    r.BitBtnStopRandom->setGeometry(r.BitBtnPlayRandom->geometry());
    r.BitBtnStopRandom->hide();
    QObject::connect(r.BitBtnStopRandom, &QPushButton::clicked, r.BitBtnStopRandom,
                     [&r] { BitBtnStopRandomClick(r.BitBtnStopRandom); });

    r.ButtonHide = new QPushButton(TxtHide(), box);
    r.ButtonHide->setObjectName(QStringLiteral("ButtonHide"));
    r.ButtonHide->setGeometry(110, 206, 80, 30);
    r.ButtonHide->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(r.ButtonHide, &QPushButton::clicked, r.ButtonHide, [&r] { ButtonHideClick(r.ButtonHide); });
    QObject::connect(r.ButtonHide, &QWidget::customContextMenuRequested, r.ButtonHide,
                     [&r](const QPoint &at) { r.PopHideRandom->popup(r.ButtonHide->mapToGlobal(at)); });
    // The instructor's masked random groups: hidden, and the button that would show them off.
    FollowOptionLock(InstructorLock::MaskedRandom, r.ButtonHide, [&r](bool locked) {
        r.ButtonHide->setEnabled(!locked);
        SetMemoHidden(locked);
        MaskSelection(r.MemoRandom, locked);
    });

    r.SpeedButtonRandomCase = new QToolButton(box);
    r.SpeedButtonRandomCase->setObjectName(QStringLiteral("SpeedButtonRandomCase"));
    r.SpeedButtonRandomCase->setText(QStringLiteral("A/a"));
    r.SpeedButtonRandomCase->setCheckable(true);
    r.SpeedButtonRandomCase->setGeometry(196, 206, 40, 30);
    r.SpeedButtonRandomCase->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(r.SpeedButtonRandomCase, &QToolButton::clicked, r.SpeedButtonRandomCase,
                     [&r] { SpeedButtonRandomCaseClick(r.SpeedButtonRandomCase); });
    QObject::connect(r.SpeedButtonRandomCase, &QWidget::customContextMenuRequested, r.SpeedButtonRandomCase,
                     [] { ClickNamed(&RandomForm(), "MenuPolice"); });

    r.SpeedButtonRAZrandom = new QToolButton(box);
    r.SpeedButtonRAZrandom->setObjectName(QStringLiteral("SpeedButtonRAZrandom"));
    r.SpeedButtonRAZrandom->setIcon(f.style()->standardIcon(QStyle::SP_LineEditClearButton));
    r.SpeedButtonRAZrandom->setGeometry(242, 206, 30, 30);
    QObject::connect(r.SpeedButtonRAZrandom, &QToolButton::clicked, r.SpeedButtonRAZrandom,
                     [&r] { ClearMemoRandomClick(r.SpeedButtonRAZrandom); });

    r.LabelRandomNumber = new QLabel(QStringLiteral("Characters in a series"), box);
    r.LabelRandomNumber->setObjectName(QStringLiteral("LabelRandomNumber"));
    r.LabelRandomNumber->setGeometry(280, 206, 138, 30);
    r.SpinEditRandomNumber = new QSpinBox(box);
    r.SpinEditRandomNumber->setObjectName(QStringLiteral("SpinEditRandomNumber"));
    r.SpinEditRandomNumber->setRange(5, 1000);
    r.SpinEditRandomNumber->setSingleStep(5);
    r.SpinEditRandomNumber->setValue(250);
    r.SpinEditRandomNumber->setGeometry(420, 206, 64, 30);
    NameAfter(r.SpinEditRandomNumber, r.LabelRandomNumber);

    r.PanelRandomLesson = new QLabel(box);
    r.PanelRandomLesson->setObjectName(QStringLiteral("PanelRandomLesson"));
    r.PanelRandomLesson->setFrameShape(QFrame::Panel);
    r.PanelRandomLesson->setFrameShadow(QFrame::Sunken);
    // Wide enough for the longest set name, "Caracteres escolhidos" or "Buchstaben + Ziffern".
    r.PanelRandomLesson->setGeometry(488, 206, 148, 30);

    r.LabelWords = new QLabel(box);
    r.LabelWords->setObjectName(QStringLiteral("LabelWords"));
    r.LabelWords->setWordWrap(true);
    r.LabelWords->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    r.LabelWords->setGeometry(8, 244, 588, 48); // the entry sheet's button beside it

    r.ButtonChoixRandom = new QPushButton(f.Frame);
    r.ButtonChoixRandom->setObjectName(QStringLiteral("ButtonChoixRandom"));
    r.ButtonChoixRandom->hide();
    QObject::connect(r.ButtonChoixRandom, &QPushButton::clicked, r.ButtonChoixRandom,
                     [&r] { ButtonChoixRandomClick(r.ButtonChoixRandom); });
    QObject::connect(f.RadioButtonRandom, &QRadioButton::clicked, f.RadioButtonRandom,
                     [&f] { ButtonChoixRandomClick(f.RadioButtonRandom); });
    // Every other mode's entry checks its own button: a series started here is over then, and
    // entering random mode again does not continue it.
    QObject::connect(f.RadioButtonRandom, &QRadioButton::toggled, f.RadioButtonRandom, [](bool checked) {
        if (!checked && module.series)
            series().RandomSeriesStarted = false;
    });
}

void BuildRandomModule(TForm1 &form)
{
    module = RandomModule{};
    module.form = &form;
    module.series = std::make_unique<RandomSeries>(form.Engine, form.EngineSets);
    BuildRandomMenus(module);
    BuildRandomPanel(module);
    BuildChoicePanel(module);
    BindRandomSettings(module);
    AddRandomKeyRoutes();
    RegisterMainWindowTexts(RandomTextRows());
    OnLanguageSwitch(module.ButtonHide, ShowRandomCaptions);

    ModeHooks &hooks = Hooks();
    hooks.randomCharCount = [] { return series().RandomCharCount; };
    hooks.randomSeriesEnded = seriesEnded;
    hooks.randomUnitSent = unitSent;
    hooks.randomNextUnit = [] { RadioButtonRandomClick(RandomForm().RadioButtonRandom); };
    hooks.randomSeriesStopped = seriesStopped;
    hooks.updatePlayRandomHint = UpdatePlayRandomHint;
    hooks.randomCountdownRunning = [] { return module.CountdownRunning; };
    if (!hooks.showHiddenTexts.target<ShowHiddenRandomText>())
        hooks.showHiddenTexts = ShowHiddenRandomText{hooks.showHiddenTexts};

    SummarySources &sources = summarySources();
    sources.groupLength = [] { return module.form ? module.form->Engine.GroupLength : 5; };
    sources.randomCharCount = [] { return module.form ? series().RandomCharCount : 0; };
    sources.replayRandom = [] { return module.form && module.form->Engine.ReplayRandom; };
    sources.randomText = [] { return module.form ? series().RandomText : std::string(); };
    sources.wordListFile = [] { return module.WordListFile; };

    static const bool listening = [] {
        OnLanguageSwitch([] {
            if (module.form)
                UpdatePlayRandomHint();
        });
        return true;
    }();
    (void)listening;
}
