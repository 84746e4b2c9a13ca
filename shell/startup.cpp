#include "shell/startup.h"

#include "engine/devices/comport.h"
#include "engine/random.h"
#include "shell/aboutbox.h"
#include "shell/commandline.h"
#include "shell/datafolders.h"
#include "shell/enginesettingskeys.h"
#include "shell/formdialog.h"
#include "shell/hintdisplaytime.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/pendingsteps.h"
#include "shell/settingsfile.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/effectwindows.h"
#include "shell/sidewindows.h"
#include "shell/unixsignals.h"
#include "shell/utilities.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QSessionManager>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

bool NoteWindowCreated = false;
bool ReportCreated = false;
bool FormsCreatedReport = false;
bool AllFormsCreated = false;
bool SheetWasOpen = false;
bool MainFormCreated = false;
bool FirstShowPending = false;
int LastChoice = 1;
int ScreenPixelsPerInch = 96;

std::function<void()> TerminateApplication = [] { QCoreApplication::exit(0); };

namespace {

bool startupRunning = false;
std::function<void()> quitAfterStartup;

void observe(const std::function<void(const char *)> &observer, const char *what)
{
    if (observer)
        observer(what);
}

// Stops every window timer of every window, so nothing that a timer starts can run into
// lines, devices or buffers being released.
void stopAllWindowTimers()
{
    auto stopIn = [](QObject *window) {
        for (QTimer *timer : window->findChildren<QTimer *>())
            timer->stop();
    };
    if (Form1)
        stopIn(Form1);
    for (TSideForm *form : TSideForm::all())
        stopIn(form);
}

// What both roads release, in the order they release it: first everything that could key
// or play on its own, then the sound devices, the serial lines and the parallel-port pin.
void releaseForQuit()
{
    // Nothing may start any more: a message shown on the way out (a settings file that cannot
    // be written) runs a nested event loop, and only the message box stays usable during it.
    if (Form1)
        Form1->setEnabled(false);
    for (TSideForm *form : TSideForm::all()) {
        if (form != FormDialog)
            form->setEnabled(false);
    }
    stopAllWindowTimers();
    QuitStopKeyingClocks();
    QuitReleaseSound();
    QuitReleaseSerialLines();
    QuitReleaseParallelPin();
}

// The end both roads share. The Quit button's road too gives back the parallel-port access
// and turns the beep on again: left as they were, both would outlast the program.
void finishQuit(TForm1 *f)
{
    // What waits now returns once this quit is through, and finds it started.
    EndWaitsForQuit();
    releaseForQuit();
    QuitReleaseParallelAccess();
    QuitFreeWaveBuffers();
    f->Engine.QuitRequested = true;
    WriteSettingsFile();
    QuitRestoreBeep();
    TerminateApplication();
}

// A quit asked for while start-up runs waits for its end: the settings may not all be read
// yet (a message of the settings reader may be what waits), and the main loop, whose end the
// quit asks for, has not started. What waits now ends, the rest of start-up asks nobody
// anything, and `road` runs when start-up has finished.
bool quitWaitsForStartup(const std::function<void()> &road)
{
    if (!startupRunning)
        return false;
    if (!quitAfterStartup)
        quitAfterStartup = road;
    MessagesToStandardError = true;
    EndWaitsForQuit();
    return true;
}

// The Quit button's road once the question has been answered Yes: 5. to 9.
void quitAnswered()
{
    TForm1 *f = Form1;
    if (!f || f->Engine.Quitting)
        return;
    f->Engine.PlayQueue.clear();
    f->Engine.HeadInFlight = false;
    f->Engine.ExpandedLeft = 0;
    f->Engine.Quitting = true;
    finishQuit(f);
}

void restoreLastMode()
{
    TForm1 *f = Form1;
    if (!f)
        return;
    switch (LastChoice) {
    case 2:
        ClickButton(f->RadioButtonCodeQ);
        break;
    case 3:
        ClickButton(f->RadioButtonAbrev);
        break;
    case 4:
        f->RadioButtonRandom->setChecked(true);
        ClickNamed(f, "ButtonChoixRandom");
        break;
    case 5:
        ClickButton(f->RadioButtonFile);
        break;
    case 6:
        ClickButton(f->RadioButtonQuiz);
        break;
    default: // 1 and 7 restore nothing
        break;
    }
}

// With KESTRELON_REPORT_STARTUP set, writes the wall-clock time (ns since the epoch) at
// which the main window has been painted for the first time, for the start-up benchmark.
class FirstPaintReporter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                timespec now {};
                clock_gettime(CLOCK_REALTIME, &now);
                std::fprintf(stderr, "kestrelon: first window shown %lld\n",
                             static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stderr);
                deleteLater();
            });
        }
        return false;
    }
};

// The seven mode radios, mode 1 first.
std::array<QRadioButton *, 7> modeRadios(TForm1 *f)
{
    return {f->RadioButtonAlphabet, f->RadioButtonCodeQ, f->RadioButtonAbrev, f->RadioButtonRandom,
            f->RadioButtonFile,     f->RadioButtonQuiz,  f->RadioButtonMonitor};
}

// Set once the checked mode radio is the one to write: after the first showing has restored
// the mode read from the file, or once a mode radio changed. Until then the mode read is
// written, whatever radio the window's design checks (a quit before the mode is restored
// must not lose it).
bool checkedModeCounts = false;

} // namespace

int CheckedModeNumber()
{
    if (!Form1)
        return 0;
    const auto modes = modeRadios(Form1);
    for (int i = 0; i < 7; ++i) {
        if (modes[i]->isChecked())
            return i + 1;
    }
    return 0;
}

void BindStartupSettings()
{
    checkedModeCounts = false;
    if (Form1) {
        for (QRadioButton *mode : modeRadios(Form1))
            QObject::connect(mode, &QRadioButton::toggled, mode, [] { checkedModeCounts = true; });
    }
    Settings().bind(
        "LASTCHOICE=",
        [](const std::string &value) {
            const std::optional<int> mode = settings::ParseInt(value);
            LastChoice = mode && *mode >= 1 && *mode <= 7 ? *mode : 1;
        },
        [](std::vector<std::string> &values) {
            // Not restored yet and no mode entered: the one read at start stays.
            const int mode = checkedModeCounts ? CheckedModeNumber() : 0;
            values.push_back(std::to_string(mode ? mode : LastChoice));
        });
    Settings().bind(
        "WARNANSI=",
        [](const std::string &value) {
            if (value == "1")
                WarnAnsiShown = true;
        },
        [](std::vector<std::string> &values) {
            if (WarnAnsiShown)
                values.push_back("1");
        });
}

bool MainFormCreate()
{
    TForm1 *f = Form1;
    // The keys bound to the main window's objects, before the file is read.
    BindStartupSettings();
    StartupBindEngineSettingsKeys();

    // 1. No real-time priority for the whole process: a normal user cannot have it on Linux
    //    and it would starve the desktop. The keying clock's own thread asks for it.
    StartupCreateTextLists();   // 2
    StartupLoadCursors();       // 3

    // 4. Pixels per inch of the screen.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        ScreenPixelsPerInch = qRound(screen->logicalDotsPerInch());

    StartupFillControlTables(); // 5
    StartupListSerialPorts();   // 6
    StartupCaptureJoystick();
    StartupTimingDefaults();    // 7

    // 8. Window size from the design picture.
    f->resize(RoundHalfEven(f->Image1->width() * 660.0 / 38.0),
              RoundHalfEven(f->Image1->height() * 516.0 / 38.0));

    // 9. No enlargement away from 96 pixels per inch.
    if (ScreenPixelsPerInch != 96)
        f->MenuAgrandir->menuAction()->setEnabled(false);
    StartupRecordListMetrics();

    StartupDefaultLessons();    // 10

    // 11. Lesson and choice texts, the design-time language clicked (no change while it is
    //     the checked one), the own version number, the hint display time.
    StartupLessonChoiceTexts();
    English1Click();
    SetHintDisplayTime(5000);

    ReadSettingsFile();         // 12

    // 13. Menu shortcuts (on whichever of these items exist by now).
    static const struct {
        const char *name;
        QKeyCombination keys;
    } shortcuts[] = {
        {"UpVolume", Qt::ALT | Qt::Key_U},
        {"DownVolume", Qt::ALT | Qt::Key_D},
        {"UpDelai", Qt::CTRL | Qt::ALT | Qt::Key_U},
        {"DownDelai", Qt::CTRL | Qt::ALT | Qt::Key_D},
    };
    for (const auto &shortcut : shortcuts) {
        if (auto *item = f->findChild<QAction *>(QString::fromLatin1(shortcut.name)))
            item->setShortcut(QKeySequence(shortcut.keys));
    }

    ApplyCommandLine(QCoreApplication::arguments().mid(1)); // 14

    StartupKidViewSize();         // 15
    StartupQuizOccurrenceLabel(); // 16
    StartupApplyParallelPort();   // 17, 18

    // 19. A switch always runs once: when English is still the language, uncheck it and
    //     click it again so its texts replace the design-time ones.
    ApplyStartupLanguage();

    StartupEnableKeyerLines(); // 20
    StartupResetModes();       // 21
    StartupRealSpeedLabel();   // 22
    StartupSummaries();        // 23
    StartupFilterHint();       // 24
    StartupEngineState();      // 25
    RandomSeedFromClock();
    StartupKeyerSupply();      // 26
    StartupDecoderState();     // 27
    StartupCheckWavFormat();   // 28
    StartupRecordBaseSize();   // 29

    // 30. Without the wave memory the program cannot run: say so and stop here, before any
    //     device is opened or settings written.
    if (!StartupAllocateWaveMemory()) {
        ShowProgramMessage(MsgNotEnoughMemory());
        return false;
    }

    StartupToneState();        // 31
    StartupOpenSoundOutput();  // 32
    if (ScreenPixelsPerInch == 96)
        StartupApplySavedZoom(); // 33

    // Settings read after the language switch changed what some captions show.
    RefreshStateCaptions();

    FirstShowPending = true;   // 34
    MainFormCreated = true;
    return true;
}

// Creates a window into its global instance and tells the observer.
template <typename Form>
void createWindow(Form *&instance, const char *name, const std::function<void(const char *)> &observer)
{
    instance = new Form;
    observe(observer, name);
}

// Creates the window a module registered at that place, if any, and tells the observer.
static void createModuleWindow(SideWindowPlace place, const std::function<void(const char *)> &observer)
{
    if (TSideForm *made = MakeSideWindow(place))
        observe(observer, made->objectName().toLatin1().constData());
}

bool CreateAllWindows(const std::function<void(const char *)> &observer)
{
    createWindow(Form1, "Form1", observer);
    if (!Form1->FormCreate())
        return false;

    createWindow(FormNote, "FormNote", observer);
    NoteWindowCreated = true;
    observe(observer, "NoteWindowCreated");
    createModuleWindow(SideWindowPlace::GamesLauncher, observer);
    createModuleWindow(SideWindowPlace::TileGame, observer);
    createModuleWindow(SideWindowPlace::PairsGame, observer);
    createModuleWindow(SideWindowPlace::ChoiceHelpCard, observer);
    createModuleWindow(SideWindowPlace::Beacon, observer);
    createWindow(FormFilter, "FormFilter", observer);
    createWindow(FormNoise, "FormNoise", observer);
    createWindow(FormQSB, "FormQSB", observer);
    createModuleWindow(SideWindowPlace::Instructor, observer);
    createModuleWindow(SideWindowPlace::DemoView, observer);
    ReportCreated = true;
    observe(observer, "ReportCreated");
    createModuleWindow(SideWindowPlace::QuizReport, observer);
    FormsCreatedReport = true;
    observe(observer, "FormsCreatedReport");
    createWindow(FormInfo, "FormInfo", observer);
    createModuleWindow(SideWindowPlace::ExamPause, observer);
    createModuleWindow(SideWindowPlace::EntrySheet, observer);
    createWindow(FormDrift, "FormDrift", observer);
    createWindow(FormDriftBMP, "FormDriftBMP", observer);
    createWindow(FormMonitorInfo, "FormMonitorInfo", observer);
    createWindow(FormZoom, "FormZoom", observer);
    // The message box may exist already when the creation handler had something to say.
    DialogWindow();
    observe(observer, "FormDialog");
    AllFormsCreated = true;
    observe(observer, "AllFormsCreated");
    return true;
}

void PushSettingsIntoSideWindows()
{
    // The effect windows: noise and fading levels, pitch or exam tone, noise band, drift. A
    // position set runs its change handler, as any change of it does.
    if (FormNoise)
        FormNoise->TrackBarNoise->setValue(IniNoisePosition);
    if (FormQSB)
        FormQSB->TrackBarQSB->setValue(IniQsbPosition);
    if (FormNote) {
        if (IniNotePosition == -1)
            FormNote->CheckBoxTonExamen->setChecked(true);
        else
            FormNote->TrackBarNote->setValue(IniNotePosition);
    }
    if (Form1 && FormNoise) {
        switch (Form1->EngineTone.Tables.NoiseBandDivisor()) {
        case 1:
            FormNoise->RadioButton10k->setChecked(true);
            break;
        case 2:
            FormNoise->RadioButton5k->setChecked(true);
            break;
        case 4:
            FormNoise->RadioButton2k->setChecked(true);
            break;
        default:
            FormNoise->RadioButton1k->setChecked(true);
            break;
        }
    }
    if (Form1 && FormDrift) {
        const Drift &drift = Form1->EngineTone.drift;
        FormDrift->UpDownDrift->setValue(drift.DriftAmount());
        FormDrift->UpDownFMax->setValue(drift.DriftUpper());
        FormDrift->UpDownFMin->setValue(drift.DriftLower());
    }

    // The entry sheet, filter window, zoom view, tile game colour, exam type and file and
    // monitor options.
    StartupPushParkedSettings();

    if (WarnAnsiShown)
        DialogWindow()->CheckBoxWarningFile->setChecked(true);
    SheetWasOpen = true;
}

void DestroyAllWindows()
{
    std::vector<TSideForm *> forms = TSideForm::all();
    std::reverse(forms.begin(), forms.end());
    for (TSideForm *form : forms)
        delete form;
    ForgetSideWindows();
    FormNote = nullptr;
    FormFilter = nullptr;
    FormNoise = nullptr;
    FormQSB = nullptr;
    FormInfo = nullptr;
    FormDrift = nullptr;
    FormDriftBMP = nullptr;
    FormMonitorInfo = nullptr;
    FormZoom = nullptr;
    FormDialog = nullptr;
    delete Form1;
    Form1 = nullptr;
    // Without its windows the program is back before start-up: windows made again start
    // from the same flags as a new run.
    NoteWindowCreated = ReportCreated = FormsCreatedReport = AllFormsCreated = false;
    SheetWasOpen = MainFormCreated = FirstShowPending = false;
    startupRunning = false;
    quitAfterStartup = nullptr;
}

void MainFormShown()
{
    if (!FirstShowPending)
        return;
    FirstShowPending = false;
    // After the showing itself: restoring the file mode may open a file dialog. From then on
    // the mode on screen is the one to keep (7 and 1 restore nothing: the characters show).
    QTimer::singleShot(0, Form1, [] {
        restoreLastMode();
        checkedModeCounts = true;
    });
}

void FirstIdleMoment()
{
    StartupReleaseCheck();
}

void LeaveKidModeKeepingItsOption(const std::function<void()> &leaveKidMode)
{
    QAction *kidOption = Form1 ? Form1->findChild<QAction *>(QStringLiteral("MenuMonitorTexte")) : nullptr;
    const bool kidOptionChecked = kidOption && kidOption->isChecked();
    leaveKidMode();
    if (kidOption)
        kidOption->setChecked(kidOptionChecked);
}

bool QuitStarted()
{
    return Form1 && Form1->Engine.Quitting;
}

void QuitButton()
{
    TForm1 *f = Form1;
    if (!f || f->Engine.Quitting)
        return;

    // 1. A running kid-mode animation is only stopped.
    if (f->TimerLapin->isActive()) {
        QuitStopRabbitAnimation();
        return;
    }

    // 2. An open settings panel is only closed, by its own way out.
    static constexpr PanelExit textRecord[] = {{"PanelTextRecord", "BitBtnNoRecord"}};
    if (CloseFirstShownPanel(f, SettingsPanelExits) || CloseFirstShownPanel(f, textRecord))
        return;

    // 3. The quiz's start button back at its caption, PLAY in the language.
    f->TimerQuiz->stop();
    f->TimerBoucle->stop();
    if (auto *ok = f->findChild<QAbstractButton *>(QStringLiteral("ButtonQuizOK")))
        ok->setText(Pick(QuizPlayCaption()));

    // 4. Ask. A quit that ran meanwhile (the close button, a signal) counts as the answer.
    if (AskProgramQuestion(MsgConfirmQuit()) != 1 || f->Engine.Quitting)
        return;
    if (!quitWaitsForStartup(quitAnswered))
        quitAnswered();
}

void QuitCommand()
{
    TForm1 *f = Form1;
    if (!f || f->Engine.Quitting || quitWaitsForStartup(QuitCommand))
        return;

    // 1. Kid mode is left, but its option is written as it was.
    f->TimerQuiz->stop();
    f->Engine.Quitting = true;
    LeaveKidModeKeepingItsOption(QuitLeaveKidMode);

    // 2. to 5.
    finishQuit(f);
}

void RequestQuitFromOutside()
{
    // Nobody may be there to answer (logout, kill): what the quit has to say goes to the
    // standard error instead of waiting for an answer. A quit already under way may itself
    // wait on a message (its settings file could not be written): that wait ends too, so the
    // quit goes on to its end.
    MessagesToStandardError = true;
    if (quitWaitsForStartup(RequestQuitFromOutside))
        return;
    if (QuitStarted())
        EndWaitsForQuit();
    QuitCommand();
}

void StartupBegins()
{
    startupRunning = true;
}

void StartupFinished()
{
    startupRunning = false;
    if (const std::function<void()> road = std::exchange(quitAfterStartup, nullptr))
        road();
}

int RunMainBlock(int argc, char **argv)
{
    StartupBegins();
    // Before any window: the data folder is the current folder for the whole run.
    if (!InitDataFolder())
        std::fprintf(stderr, "kestrelon: cannot use the data folder %s\n", qPrintable(DataFolder()));

    // Qt's window geometry option is applied with the other arguments, held to the screen.
    TakeWindowGeometryArgument(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrelon"));
    // The main window's close runs the quit command; a side window closing last must not
    // end the program behind its back.
    QApplication::setQuitOnLastWindowClosed(false);
    // The serial component's messages come from its own catalogs, found before any window.
    ComPortInitCatalog();

    InstallQuitSignals(RequestQuitFromOutside);
    if (qEnvironmentVariableIsSet("KESTRELON_REPORT_STARTUP"))
        std::fprintf(stderr, "kestrelon: quit signals ready\n");
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [](QSessionManager &) { RequestQuitFromOutside(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [] {
        if (!QuitStarted())
            QuitCommand();
    });

    if (!CreateAllWindows()) {
        DestroyAllWindows();
        return 1;
    }
    PushSettingsIntoSideWindows();

    // A quit asked for during start-up runs here. The program then ends without its main
    // loop: the quit asked that loop to end before it ran, which the loop would not see.
    StartupFinished();
    int result = 0;
    if (!QuitStarted()) {
        if (qEnvironmentVariableIsSet("KESTRELON_REPORT_STARTUP"))
            Form1->installEventFilter(new FirstPaintReporter(Form1));
        Form1->show();
        QTimer::singleShot(0, Form1, FirstIdleMoment);
        result = app.exec();
    }
    UninstallQuitSignals();
    DestroyAllWindows();
    return result;
}
