// Start-up order and flags, the first showing, and the two quit roads.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "games/formgames.h"
#include "games/formmemorypairs.h"
#include "games/formmorsejong.h"
#include "shell/aboutbox.h"
#include "shell/datafolders.h"
#include "shell/enginesettingskeys.h"
#include "shell/formdialog.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/opendialogs.h"
#include "shell/settingsformat.h"
#include "shell/settingsfile.h"
#include "shell/settingskeys.h"
#include "shell/effectwindows.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/beacon.h"
#include "training/demoview.h"
#include "training/entrysheet.h"
#include "training/exam.h"
#include "training/instructor.h"
#include "training/filetext.h"
#include "training/quiz.h"

#include <QAction>
#include <QCheckBox>
#include <QSlider>
#include <QSpinBox>
#include <QDir>
#include <QMenu>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using shelltest::terminations;
using shelltest::whenDialogShown;

struct Snapshot {
    std::string what;
    bool note, reportCreated, formsCreatedReport, all, mainCreated;
};

TEST(StartupOrder, TheWindowsComeInOrderWithTheFlagsBetweenThem)
{
    ASSERT_EQ(Form1, nullptr) << "each test starts without windows";
    std::vector<Snapshot> seen;
    ASSERT_TRUE(CreateAllWindows([&](const char *what) {
        seen.push_back({what, NoteWindowCreated, ReportCreated, FormsCreatedReport, AllFormsCreated,
                        MainFormCreated});
    }));

    std::vector<std::string> windows;
    std::map<std::string, Snapshot> at;
    for (const Snapshot &s : seen) {
        if (s.what.rfind("Form", 0) == 0 && s.what != "FormsCreatedReport")
            windows.push_back(s.what);
        at[s.what] = s;
    }
    const std::vector<std::string> expected = {
        "Form1", "FormNote", "FormGames", "FormMorseJong", "FormMemoryPairs", "FormhelpChoixRandom",
        "FormBalise", "FormFilter", "FormNoise", "FormQSB", "FormInstructor", "FormDemo", "FormReport",
        "FormInfo", "FormPause", "FormSaisie", "FormDrift", "FormDriftBMP", "FormMonitorInfo",
        "FormZoom", "FormDialog"};
    EXPECT_EQ(windows, expected);

    // The main window's creation has finished before any side window exists.
    EXPECT_TRUE(at["FormNote"].mainCreated);
    // Each flag is down at the window before it is raised, and up at the window after.
    EXPECT_FALSE(at["FormNote"].note);
    EXPECT_TRUE(at["FormGames"].note);
    EXPECT_FALSE(at["FormDemo"].reportCreated);
    EXPECT_TRUE(at["FormReport"].reportCreated);
    EXPECT_FALSE(at["FormReport"].formsCreatedReport);
    EXPECT_TRUE(at["FormInfo"].formsCreatedReport);
    EXPECT_FALSE(at["FormDialog"].all);
    EXPECT_TRUE(AllFormsCreated);

    // Each global instance is the window of that name, and the side windows are listed in
    // the order they were made.
    const std::vector<QWidget *> globals = {
        Form1, FormNote, FormGames, FormMorseJong, FormMemoryPairs, FormhelpChoixRandom, FormBalise,
        FormFilter, FormNoise, FormQSB, FormInstructor, FormDemo, FormReport, FormInfo, FormPause,
        FormSaisie, FormDrift, FormDriftBMP, FormMonitorInfo, FormZoom, FormDialog};
    ASSERT_EQ(TSideForm::all().size(), 20u);
    for (size_t i = 0; i < globals.size(); ++i) {
        ASSERT_NE(globals[i], nullptr) << expected[i];
        EXPECT_EQ(globals[i]->objectName().toStdString(), expected[i]);
        if (i > 0) {
            EXPECT_EQ(TSideForm::all()[i - 1], globals[i]);
        }
    }
    EXPECT_FALSE(Form1->isVisible()); // shown by the main block only after the pushes
}

class QuitRoads : public ::testing::Test {
protected:
    void SetUp() override { shelltest::ensureWindows(); }
};

TEST_F(QuitRoads, QuitButtonAsksAndNoKeepsTheProgramWithTheQuizTimersStopped)
{
    auto *quizOK = Form1->findChild<QPushButton *>(QStringLiteral("ButtonQuizOK"));
    ASSERT_NE(quizOK, nullptr);
    quizOK->setText(QStringLiteral("Stop"));
    Form1->TimerQuiz->start(100000);
    Form1->TimerBoucle->start(100000);
    Form1->Timer1->start(100000);

    QString asked;
    bool yesShown = false, okShown = true;
    whenDialogShown([&] {
        asked = shelltest::dialogText();
        yesShown = FormDialog->ButtonYes->isVisible() && FormDialog->ButtonNo->isVisible();
        okShown = FormDialog->ButtonOK->isVisible();
        FormDialog->ButtonNo->click();
    });
    Form1->ButtonQuitter->click();

    EXPECT_EQ(asked, MsgConfirmQuit()); // "You quit ! Are you sure ?" in English
    EXPECT_TRUE(yesShown);
    EXPECT_FALSE(okShown);
    EXPECT_EQ(terminations, 0);
    EXPECT_FALSE(Form1->Engine.Quitting);
    EXPECT_FALSE(Form1->TimerQuiz->isActive());
    EXPECT_FALSE(Form1->TimerBoucle->isActive());
    EXPECT_TRUE(Form1->Timer1->isActive()); // No touches only the quiz and loop timers
    EXPECT_EQ(quizOK->text(), QStringLiteral("PLAY"));
    EXPECT_FALSE(FormDialog->isVisible());

    Form1->Engine.PlayQueue = "CQ";
    whenDialogShown([] { FormDialog->ButtonYes->click(); });
    Form1->ButtonQuitter->click();
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(Form1->Engine.PlayQueue.empty());
    EXPECT_TRUE(Form1->Engine.Quitting);
    EXPECT_TRUE(Form1->Engine.QuitRequested);
    EXPECT_FALSE(Form1->Timer1->isActive()); // every timer is stopped on the way out
}

TEST_F(QuitRoads, QuitCommandAndCloseButtonAskNothing)
{
    int shown = 0;
    whenDialogShown([&] {
        ++shown;
        FormDialog->ButtonYes->click();
    }, 300);
    Form1->MenuOutilsQuit->trigger();
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(Form1->Engine.Quitting);

    Form1->Engine.Quitting = false;
    Form1->close(); // the window's close button
    EXPECT_EQ(terminations, 2);
    testsupport::waitFor([] { return false; }, 350);
    EXPECT_EQ(shown, 0);
}

TEST_F(QuitRoads, AQuitRequestedTwiceRunsOnce)
{
    QuitCommand();
    QuitCommand();
    Form1->close();
    RequestQuitFromOutside();
    Form1->ButtonQuitter->click(); // asks nothing once a quit has run
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(FormDialog->isVisible());
}

TEST_F(QuitRoads, ACloseDuringTheQuitQuestionQuitsOnceAndTheQuestionReturns)
{
    whenDialogShown([] {
        Form1->close(); // runs the quit command inside the question's wait
        FormDialog->ButtonYes->click();
    });
    Form1->ButtonQuitter->click();
    EXPECT_EQ(terminations, 1);
}

TEST_F(QuitRoads, QuitButtonWithAnOpenPanelOnlyClosesThePanel)
{
    auto *panel = Form1->findChild<QWidget *>(QStringLiteral("PanelLocalShortcut"));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(ClickNamed(Form1, "MenuLocalShortcuts"));
    ASSERT_FALSE(panel->isHidden());

    int shown = 0;
    whenDialogShown([&] {
        ++shown;
        FormDialog->ButtonNo->click();
    }, 300);
    Form1->ButtonQuitterClick();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(terminations, 0);

    // A closed panel no longer stops the road.
    Form1->ButtonQuitterClick();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(terminations, 0);
}

TEST_F(QuitRoads, OnTheWayOutOnlyTheMessageBoxStaysUsable)
{
    // The settings file cannot be written: its message is shown on the way out.
    bool mainUsable = true, beaconUsable = true, messageUsable = false;
    whenDialogShown([&] {
        mainUsable = Form1->ButtonQuitter->isEnabled() && Form1->RadioButtonFile->isEnabled();
        beaconUsable = FormBalise->isEnabled();
        messageUsable = FormDialog->ButtonOK->isEnabled();
        FormDialog->ButtonOK->click();
    });
    QuitCommand();
    ShowProgramMessage("Can't create kestrelon.ini !");
    EXPECT_FALSE(mainUsable);
    EXPECT_FALSE(beaconUsable);
    EXPECT_TRUE(messageUsable);
}

TEST_F(QuitRoads, SideWindowTimersAreStoppedBeforeTheProgramEnds)
{
    auto *beaconPeriod = new QTimer(FormBalise);
    beaconPeriod->start(100000);
    auto *pause = new QTimer(FormPause);
    pause->start(100000);
    QuitCommand();
    EXPECT_FALSE(beaconPeriod->isActive());
    EXPECT_FALSE(pause->isActive());
    delete beaconPeriod;
    delete pause;
}

TEST_F(QuitRoads, LeavingKidModeOnTheWayOutKeepsItsOptionForTheSettings)
{
    QAction *kid = Form1->findChild<QAction *>(QStringLiteral("MenuMonitorTexte"));
    ASSERT_TRUE(kid);
    for (bool on : {true, false}) {
        kid->setChecked(on);
        bool left = false;
        // Leaving kid mode unchecks the option, as it does when another mode starts.
        LeaveKidModeKeepingItsOption([&] {
            left = true;
            kid->setChecked(false);
        });
        EXPECT_TRUE(left);
        EXPECT_EQ(kid->isChecked(), on);
    }
}

struct LastModeCase {
    int lastChoice;
    const char *clicked; // the control whose handler runs, nullptr for none
    const char *checked; // the mode button checked afterwards
};

void PrintTo(const LastModeCase &c, std::ostream *os)
{
    *os << "LASTCHOICE=" << c.lastChoice;
}

class FirstShowing : public ::testing::TestWithParam<LastModeCase> {};

TEST_P(FirstShowing, RestoresTheLastModeOnce)
{
    shelltest::ensureWindows();
    ASSERT_NE(Form1->findChild<QAbstractButton *>(QStringLiteral("ButtonChoixRandom")), nullptr);
    std::vector<std::string> clicked;
    QObject watching; // the connections end with the test
    for (QAbstractButton *b : Form1->Frame->findChildren<QAbstractButton *>()) {
        UncheckExclusive(b);
        QObject::connect(b, &QAbstractButton::clicked, &watching,
                         [&clicked, b] { clicked.push_back(b->objectName().toStdString()); });
    }

    LastChoice = GetParam().lastChoice;
    // The file mode asks for a file: the user cancels.
    WarnAnsiShown = true;
    OpenFileDialogRunner() = [](QFileDialog &) { return std::optional<QString>(); };
    FirstShowPending = true;
    MainFormShown();
    testsupport::waitFor([] { return false; }, 50);
    MainFormShown(); // later showings restore nothing
    testsupport::waitFor([] { return false; }, 50);

    if (GetParam().clicked)
        EXPECT_EQ(clicked, std::vector<std::string>{GetParam().clicked});
    else
        EXPECT_TRUE(clicked.empty());
    if (GetParam().checked) {
        auto *radio = Form1->findChild<QRadioButton *>(QString::fromLatin1(GetParam().checked));
        ASSERT_NE(radio, nullptr);
        EXPECT_TRUE(radio->isChecked());
    }
    EXPECT_FALSE(FirstShowPending);
}

INSTANTIATE_TEST_SUITE_P(
    LastChoice, FirstShowing,
    ::testing::Values(LastModeCase{1, nullptr, nullptr}, LastModeCase{2, "RadioButtonCodeQ", "RadioButtonCodeQ"},
                      LastModeCase{3, "RadioButtonAbrev", "RadioButtonAbrev"},
                      LastModeCase{4, "ButtonChoixRandom", "RadioButtonRandom"},
                      // The file dialog cancelled: back to the mode on screen, the characters.
                      LastModeCase{5, "RadioButtonFile", "RadioButtonAlphabet"},
                      LastModeCase{6, "RadioButtonQuiz", "RadioButtonQuiz"}, LastModeCase{7, nullptr, nullptr}));

std::string writtenValue(const char *key)
{
    for (const settings::Line &line : Settings().write()) {
        if (line.key == key)
            return line.value;
    }
    return "(none)";
}

TEST(StartupSettings, LastChoiceIsReadInRangeAndWrittenFromTheCheckedMode)
{
    shelltest::ensureWindows();
    BindStartupSettings();
    const struct {
        const char *value;
        int lastChoice;
    } reads[] = {{"4", 4}, {"7", 7}, {"1", 1}, {"9", 1}, {"0", 1}, {"-3", 1}, {"x", 1}, {"", 1}, {" 2", 1}};
    for (const auto &r : reads) {
        LastChoice = 5;
        Settings().read({{"LASTCHOICE=", r.value}});
        EXPECT_EQ(LastChoice, r.lastChoice) << '"' << r.value << '"';
    }

    for (QRadioButton *mode : Form1->Frame->findChildren<QRadioButton *>())
        UncheckExclusive(mode);
    LastChoice = 4; // no mode entered in this run: the one read stays
    EXPECT_EQ(writtenValue("LASTCHOICE="), "4");
    Form1->RadioButtonQuiz->setChecked(true);
    EXPECT_EQ(writtenValue("LASTCHOICE="), "6");
    Form1->RadioButtonMonitor->setChecked(true);
    EXPECT_EQ(writtenValue("LASTCHOICE="), "7");
}

TEST(StartupSettings, WarnAnsiIsReadOnOneAndWrittenOnlyWhenSet)
{
    BindStartupSettings();
    WarnAnsiShown = false;
    Settings().read({{"WARNANSI=", "0"}});
    EXPECT_FALSE(WarnAnsiShown);
    EXPECT_EQ(writtenValue("WARNANSI="), "(none)");
    Settings().read({{"WARNANSI=", "1"}});
    EXPECT_TRUE(WarnAnsiShown);
    EXPECT_EQ(writtenValue("WARNANSI="), "1");
}

TEST(ParkedSettings, ArePushedIntoTheSideWindowsOnceTheyExist)
{
    shelltest::ensureWindows();
    // The effect windows' own controls.
    QSlider *noise = FormNoise->TrackBarNoise;
    QSlider *fading = FormQSB->TrackBarQSB;
    QSlider *pitch = FormNote->TrackBarNote;
    QCheckBox *examTone = FormNote->CheckBoxTonExamen;
    QSpinBox *drift = FormDrift->UpDownDrift;
    QSpinBox *upper = FormDrift->UpDownFMax;
    QSpinBox *lower = FormDrift->UpDownFMin;
    const struct {
        int divisor;
        const char *radio;
    } bands[] = {{1, "RadioButton10k"}, {2, "RadioButton5k"}, {4, "RadioButton2k"}, {8, "RadioButton1k"}};
    std::map<std::string, QRadioButton *> radios;
    for (const auto &band : bands)
        radios[band.radio] = FormNoise->findChild<QRadioButton *>(QString::fromLatin1(band.radio));

    IniNoisePosition = 3;
    IniQsbPosition = 17;
    IniNotePosition = 55;
    Form1->EngineTone.drift.setDriftAmount(20);
    Form1->EngineTone.drift.setDriftUpper(1200);
    Form1->EngineTone.drift.setDriftLower(400);
    WarnAnsiShown = true;
    for (const auto &band : bands) {
        ASSERT_TRUE(Form1->EngineTone.Tables.setNoiseBandDivisor(band.divisor));
        PushSettingsIntoSideWindows();
        EXPECT_TRUE(radios[band.radio]->isChecked()) << band.divisor;
    }
    EXPECT_EQ(noise->value(), 3);
    EXPECT_EQ(fading->value(), 17);
    EXPECT_EQ(pitch->value(), 55);
    EXPECT_FALSE(examTone->isChecked());
    EXPECT_EQ(drift->value(), 20);
    EXPECT_EQ(upper->value(), 1200);
    EXPECT_EQ(lower->value(), 400);
    EXPECT_TRUE(FormDialog->CheckBoxWarningFile->isChecked());
    EXPECT_TRUE(SheetWasOpen);

    IniNotePosition = -1; // the exam tone: the box is checked, the track bar left alone
    PushSettingsIntoSideWindows();
    EXPECT_TRUE(examTone->isChecked());
    EXPECT_EQ(pitch->value(), 55);
    examTone->setChecked(false);
    IniNotePosition = 70;
    pitch->setValue(70);
}

TEST(OutsideQuit, WaitsForTheEndOfStartUpAndThenAsksNothing)
{
    StartupBegins();
    shelltest::ensureWindows();
    RequestQuitFromOutside(); // a signal while the windows are still being made
    testsupport::waitFor([] { return false; }, 50);
    EXPECT_EQ(terminations, 0);
    EXPECT_FALSE(Form1->Engine.Quitting);

    StartupFinished();
    ASSERT_TRUE(testsupport::waitFor([] { return terminations == 1; }, 2000));
    EXPECT_TRUE(Form1->Engine.Quitting);

    // Whatever the quit has to say goes to the standard error, not to a box nobody answers.
    int shown = 0;
    whenDialogShown([&] {
        ++shown;
        FormDialog->ButtonOK->click();
    }, 300);
    ShowProgramMessage("Can't create kestrelon.ini !");
    testsupport::waitFor([] { return false; }, 350);
    EXPECT_EQ(shown, 0);
}

// Should open requests hold a quit back, this answers them after a while so the test ends
// (and fails).
class Rescue {
public:
    Rescue()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            timer.setInterval(50);
            if (FormDialog->isVisible()) {
                needed = true;
                (FormDialog->ButtonOK->isVisible() ? FormDialog->ButtonOK : FormDialog->ButtonNo)->click();
            }
        });
        timer.start(3000);
    }
    bool needed = false;

private:
    QTimer timer;
};

TEST(OutsideQuit, DuringStartUpAnswersTheMessageOnScreenAndThoseWaitingBehindIt)
{
    StartupBegins();
    shelltest::ensureWindows();
    Rescue rescue;
    int secondAnswer = -1;
    whenDialogShown([&] {
        // A timer asks a question while the message is open; it waits behind it.
        QTimer::singleShot(0, [&] {
            // The signal arrives while both wait.
            QTimer::singleShot(0, [] { RequestQuitFromOutside(); });
            secondAnswer = AskProgramQuestion(QStringLiteral("Replace the code ?"));
        });
    });
    ShowProgramMessage("Err -9996 : Can't open the sound card !"); // as start-up shows it
    EXPECT_FALSE(rescue.needed);
    EXPECT_EQ(secondAnswer, 0);
    EXPECT_FALSE(FormDialog->isVisible());

    // The quit itself runs once start-up has finished.
    StartupFinished();
    EXPECT_TRUE(testsupport::waitFor([] { return terminations == 1; }, 2000));
    EXPECT_TRUE(Form1->Engine.Quitting);
}

TEST(OutsideQuit, AQuitWaitingOnItsMessageGoesOn)
{
    shelltest::ensureWindows();
    StartupFinished();
    Form1->Engine.Quitting = true; // the Quit button's road, answered Yes
    Rescue rescue;
    whenDialogShown([] { RequestQuitFromOutside(); });
    ShowProgramMessage("Can't create kestrelon.ini !"); // the settings file on the way out
    EXPECT_FALSE(rescue.needed);
    EXPECT_FALSE(FormDialog->isVisible());
    EXPECT_TRUE(MessagesToStandardError);
}

// A quit road taken while the program waits in nested loops.
struct WaitingQuitRoad {
    const char *name;
    void (*take)();
};

void PrintTo(const WaitingQuitRoad &road, std::ostream *os)
{
    *os << road.name;
}

class QuitWhileWaiting : public ::testing::TestWithParam<WaitingQuitRoad> {};

// A message waits; inside it a wait on the clock, and inside that a question that waits
// behind the message. The quit comes from inside them all: each wait returns unanswered, and
// the quit runs once, to its end.
TEST_P(QuitWhileWaiting, EveryWaitReturnsAndTheQuitRunsToItsEnd)
{
    shelltest::ensureWindows();
    QFile::remove(SettingsFilePath());
    Rescue rescue;
    int answer = -1;
    bool clockWaitCut = false;
    whenDialogShown([&] {
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(0, GetParam().take);
                answer = AskProgramQuestion(QStringLiteral("Replace the code ?"));
            });
            QElapsedTimer clock;
            clock.start();
            WaitMilliseconds(10000);
            clockWaitCut = clock.elapsed() < 10000;
        });
    });
    ShowProgramMessage("Err -9996 : Can't open the sound card !");

    EXPECT_FALSE(rescue.needed) << "a wait held the quit";
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(clockWaitCut);
    EXPECT_FALSE(FormDialog->isVisible());
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

INSTANTIATE_TEST_SUITE_P(
    Roads, QuitWhileWaiting,
    ::testing::Values(WaitingQuitRoad{"QuitCommand", [] { Form1->MenuOutilsQuit->trigger(); }},
                      WaitingQuitRoad{"CloseButton", [] { Form1->close(); }},
                      // What SIGTERM, SIGINT, SIGHUP and the session's end run.
                      WaitingQuitRoad{"FromOutside", [] { RequestQuitFromOutside(); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DataFolders, TheDataFolderIsCreatedAndBecomesTheCurrentFolder)
{
    const QString data = DataFolder();
    EXPECT_TRUE(data.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    EXPECT_TRUE(data.endsWith(QStringLiteral("/kestrelon")));
    EXPECT_TRUE(SettingsFolder().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    ASSERT_TRUE(InitDataFolder());
    EXPECT_TRUE(QDir(data).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(data).canonicalPath());

    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "relative/path"); // invalid by the XDG rules: the default is used
    EXPECT_EQ(DataFolder(), QDir::homePath() + QStringLiteral("/.local/share/kestrelon"));
    qputenv("XDG_DATA_HOME", saved);
}

TEST(Utilities, WaitMillisecondsWaitsLongerThanAskedAndKeepsEventsRunning)
{
    for (int ms : {0, 1, 30}) {
        QElapsedTimer clock;
        clock.start();
        WaitMilliseconds(ms);
        EXPECT_GT(clock.elapsed(), ms) << ms;
        EXPECT_LT(clock.elapsed(), ms + 2000) << ms; // not stuck (room for a loaded machine)
    }
    // Events run during the wait: a timer due within it fires (how often is the machine's
    // business; a loaded one may hold this thread for most of the wait).
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);
    WaitMilliseconds(60);
    EXPECT_GE(ticks, 1);
}

TEST(Utilities, ClickingInCodeRunsTheHandlerOfAHiddenDisabledControl)
{
    QWidget root;
    auto *button = new QPushButton(&root);
    button->setObjectName(QStringLiteral("Button1"));
    button->hide();
    button->setEnabled(false);
    auto *item = new QAction(&root);
    item->setObjectName(QStringLiteral("MenuItem"));
    item->setCheckable(true);
    item->setEnabled(false);
    int buttonClicks = 0;
    bool itemChecked = false;
    QObject::connect(button, &QPushButton::clicked, [&] { ++buttonClicks; });
    QObject::connect(item, &QAction::triggered, [&](bool checked) { itemChecked = checked; });

    EXPECT_TRUE(ClickNamed(&root, "Button1"));
    EXPECT_TRUE(ClickNamed(&root, "MenuItem"));
    EXPECT_FALSE(ClickNamed(&root, "NotBuiltYet"));
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_TRUE(itemChecked);
    EXPECT_TRUE(item->isChecked());
}

} // namespace
