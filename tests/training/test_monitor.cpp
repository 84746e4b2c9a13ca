// The key monitor in the program's own window: keys pressed as the learner presses them (the
// CTRL key in the typing box, mouse buttons on the key picture, the T and P buttons, serial
// lines of a scripted port), the elements the engine then renders into the fake output, and
// what the monitor writes.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/devices/fakeserialdevice.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"
#include "platform/outputmixer.h"
#include "platform/serialports.h"
#include "shell/formdialog.h"
#include "shell/formmonitorinfo.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/speedcontrol.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/monitor.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using shelltest::whenDialogShown;
using shelltest::withMessage;
using testsupport::waitFor;

namespace {

// Waits without serving the window's events, so a batch of line changes stays unhandled.
bool waitUnserved(const std::function<bool()> &condition)
{
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

const bool fakeSound = shelltest::useFakeSound();

using shelltest::fake;

using shelltest::control;

class Monitor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        Form1->show();
        TSoundEngine &engine = SoundEngine();
        engine.State = EngineState{};
        engine.Timings.setSpeed(12);
        engine.Timings.setStartSilence(0);
        // The hand keys' clock is the test's.
        monitorSeams().now = [this] { return clock; };
        box = control<QLineEdit>("Editcaractere");
        memo = control<QPlainTextEdit>("MemoMonitor");
        line = control<QLineEdit>("EditMonitor");
        ASSERT_TRUE(box && memo && line);
        ClickButton(Form1->RadioButtonMonitor);
        ASSERT_TRUE(control<QGroupBox>("GroupBoxMonitor")->isVisible());
    }

    void chooseKeyType(const char *name) { control<QRadioButton>(name)->click(); }
    QString memoText() const { return memo->toPlainText(); }
    bool memoIs(const QString &text) { return waitFor([&] { return memoText() == text; }, 5000); }

    // CTRL held for `held` in the typing box, as the keyboard gives it.
    void ctrl(std::chrono::milliseconds held)
    {
        box->setFocus();
        QTest::keyPress(box, Qt::Key_Control);
        clock += held;
        QTest::keyRelease(box, Qt::Key_Control);
    }

    KeyClock::time_point clock = KeyClock::time_point{} + 1h;
    QLineEdit *box = nullptr;
    QPlainTextEdit *memo = nullptr;
    QLineEdit *line = nullptr;
};

} // namespace

TEST_F(Monitor, CtrlHeldOneDotLongWritesEAndThreeDotsLongWritesT)
{
    chooseKeyType("RadioButtonCTRL");
    ctrl(100ms);
    ASSERT_TRUE(memoIs("E ")) << memoText().toStdString();
    EXPECT_TRUE(line->text().endsWith(". "));
    EXPECT_TRUE(control<QLabel>("Label4")->text().startsWith(" pmax:150  tmin:198  tmax:390  imax:250  s:100"))
        << control<QLabel>("Label4")->text().toStdString();

    ctrl(300ms);
    ASSERT_TRUE(memoIs("E T ")) << memoText().toStdString();
    EXPECT_TRUE(line->text().endsWith(". - "));
    // No sound card was involved: nothing was rendered, and the engine is idle again.
    EXPECT_TRUE(fake().written.empty());
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);

    // The limits follow the speed control.
    SetSpeed(20);
    EXPECT_EQ(control<QLabel>("Label4")->text(), QStringLiteral(" pmax:90  tmin:119  tmax:234  imax:150"));
}

TEST_F(Monitor, WithoutASoundCardTheCtrlKeyStillKeysAndIsNeverStuck)
{
    SoundEngine().State.NoSoundCard = true;
    chooseKeyType("RadioButtonCTRL");
    // Auto-repeat while the key is held starts nothing new.
    box->setFocus();
    QTest::keyPress(box, Qt::Key_Control);
    for (int i = 0; i < 5; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, QString(), true);
        QApplication::sendEvent(box, &repeat);
        QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(box, &repeatUp);
    }
    clock += 300ms;
    QTest::keyRelease(box, Qt::Key_Control);
    ASSERT_TRUE(memoIs("T ")) << memoText().toStdString();
    clock += 1s;
    ctrl(100ms);
    clock += 100ms;
    ctrl(100ms);
    ASSERT_TRUE(memoIs("T I ")) << memoText().toStdString();
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);
}

TEST_F(Monitor, TheSidetoneSoundsWhileTheKeyIsHeldAndFallsSilentAfterTenSeconds)
{
    FakeAudioOutput &output = fake();
    output.withSidetone = true;
    OutputMixer mixer;
    mixer.attachSidetone(&output.voice);
    auto render = [&](std::size_t frames) {
        std::vector<std::int16_t> out(2 * frames);
        for (std::size_t at = 0; at < frames; at += 256) {
            if (mixer.render(out.data() + 2 * at, std::min<std::size_t>(256, frames - at)))
                output.voice.deliverDone();
        }
        return out;
    };
    EngineState &s = SoundEngine().State;
    chooseKeyType("RadioButtonCTRL");

    // Key down: the tone table from its start; the engine is held as by a playing buffer.
    box->setFocus();
    QTest::keyPress(box, Qt::Key_Control);
    EXPECT_FALSE(s.PlaybackDone);
    const auto tone = SoundEngine().Tone.Tables.ToneBuffer();
    const std::vector<std::int16_t> held = render(1000);
    EXPECT_TRUE(std::equal(held.begin(), held.end(), tone.begin()));
    // Key up: the engine is free at once, the tone falls and ends.
    clock += 100ms;
    QTest::keyRelease(box, Qt::Key_Control);
    EXPECT_TRUE(s.PlaybackDone);
    const std::vector<std::int16_t> after = render(1000);
    EXPECT_NE(after[0], 0);
    EXPECT_TRUE(std::all_of(after.begin() + 2 * SidetoneVoice::FallFrames, after.end(), [](auto v) { return v == 0; }));
    ASSERT_TRUE(memoIs("E ")) << memoText().toStdString();

    // Held past 10 s: silent at 10 s and the engine handed back while the key is still down;
    // the release still ends the mark.
    clock += 1s;
    QTest::keyPress(box, Qt::Key_Control);
    render(SidetoneVoice::MaxFrames + 500);
    EXPECT_TRUE(s.PlaybackDone);
    clock += 12s;
    QTest::keyRelease(box, Qt::Key_Control);
    ASSERT_TRUE(memoIs("E T ")) << memoText().toStdString();
    EXPECT_TRUE(control<QLabel>("Label4")->text().contains(QStringLiteral("s:12000")));
    output.withSidetone = false;
}

TEST_F(Monitor, AHandKeyIsHeardAgainOnceTheLostOutputIsBack)
{
    FakeAudioOutput &output = fake();
    output.withSidetone = true;
    EngineState &s = SoundEngine().State;
    chooseKeyType("RadioButtonCTRL");
    box->setFocus();
    const std::size_t opened = output.openedDevices.size();
    EXPECT_EQ(withMessage([&] { output.fail(-9985); }), "Err -9985 : Can't open the sound card !");
    ASSERT_TRUE(s.NoSoundCard);

    // Still away at the first key: silent and unsaid, the mark timed all the same, and the
    // device is not tried from here (the output does that by itself).
    const std::uint32_t keyedBefore = output.voice.lastKeyDown();
    EXPECT_TRUE(withMessage([&] {
                    QTest::keyPress(box, Qt::Key_Control);
                    clock += 100ms;
                    QTest::keyRelease(box, Qt::Key_Control);
                }).isEmpty());
    EXPECT_EQ(output.openedDevices.size(), opened);
    EXPECT_EQ(output.voice.lastKeyDown(), keyedBefore);
    ASSERT_TRUE(memoIs("E ")) << memoText().toStdString();

    // Back: the next key sounds.
    output.restore();
    clock += 1s;
    QTest::keyPress(box, Qt::Key_Control);
    EXPECT_FALSE(s.NoSoundCard);
    EXPECT_EQ(output.voice.lastKeyDown(), keyedBefore + 1);
    clock += 300ms;
    QTest::keyRelease(box, Qt::Key_Control);
    ASSERT_TRUE(memoIs("E T ")) << memoText().toStdString();
    EXPECT_EQ(output.openedDevices.size(), opened);
    output.withSidetone = false;
}

TEST_F(Monitor, APaddleClickOnTheKeyPictureIsDecodedWithoutAnyKeyingOutput)
{
    chooseKeyType("RadioButtonElKeyN");
    QTest::mousePress(Form1->Image1, Qt::LeftButton);
    QTest::mouseRelease(Form1->Image1, Qt::LeftButton);
    EXPECT_EQ(line->text(), "-");
    EXPECT_EQ(SoundEngine().State.PlayQueue, "t");
    fake().finishAll();
    ASSERT_TRUE(memoIs("T ")) << memoText().toStdString();
    EXPECT_EQ(line->text(), "- ");

    // Both paddles held: dash, dot, dash, dot ... until both are let go.
    QTest::mousePress(Form1->Image1, Qt::LeftButton);
    QTest::mousePress(Form1->Image1, Qt::RightButton);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(fake().finishNext());
    EXPECT_EQ(line->text(), "- -.-.");
    QTest::mouseRelease(Form1->Image1, Qt::LeftButton);
    QTest::mouseRelease(Form1->Image1, Qt::RightButton);
    fake().finishAll();
    ASSERT_TRUE(memoIs("T C ")) << memoText().toStdString();
}

// To a screen reader the key picture is a button: its press keys as a short left click does.
TEST_F(Monitor, APressOfTheKeyPictureThroughTheAccessibilityBusKeysItAsAClick)
{
    chooseKeyType("RadioButtonElKeyN");
    ASSERT_TRUE(testsupport::pressAccessibly(Form1->Image1));
    EXPECT_EQ(line->text(), "-");
    EXPECT_EQ(SoundEngine().State.PlayQueue, "t");
    // Let go by itself, as a click is: one dash, no more.
    QTest::qWait(300);
    fake().finishAll();
    ASSERT_TRUE(memoIs("T ")) << memoText().toStdString();
    EXPECT_EQ(line->text(), "- ");
}

TEST_F(Monitor, TheMouseButtonsKeyThePaddlesOfTheChosenKeyType)
{
    const auto click = [](Qt::MouseButton button) {
        QTest::mousePress(Form1->Image1, button);
        QTest::mouseRelease(Form1->Image1, button);
        fake().finishAll();
    };
    // Reversed: the right button is the dash, the left one the dot.
    chooseKeyType("RadioButtonElKeyR");
    click(Qt::RightButton);
    ASSERT_TRUE(memoIs("T ")) << memoText().toStdString();
    click(Qt::LeftButton);
    ASSERT_TRUE(memoIs("T E ")) << memoText().toStdString();

    // The middle button is the dot of both keyer types: held, it repeats dots; let go, they
    // stop.
    for (const char *type : {"RadioButtonElKeyN", "RadioButtonElKeyR"}) {
        chooseKeyType(type);
        const QString before = memoText();
        QTest::mousePress(Form1->Image1, Qt::MiddleButton);
        ASSERT_TRUE(fake().finishNext());
        QTest::mouseRelease(Form1->Image1, Qt::MiddleButton);
        fake().finishAll();
        ASSERT_TRUE(memoIs(before + "I ")) << type << ": " << memoText().toStdString();
    }

    // A straight key: the left button is the key itself, timed, and queues no element.
    chooseKeyType("RadioButtonPioche");
    QTest::mousePress(Form1->Image1, Qt::LeftButton);
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    clock += 300ms;
    QTest::mouseRelease(Form1->Image1, Qt::LeftButton);
    ASSERT_TRUE(memoIs("T E I I T ")) << memoText().toStdString();
}

TEST_F(Monitor, TheKeyGroupNamesItsPortInTheLanguage)
{
    JoystickPresent = true;
    auto *ports = control<PortRadioGroup>("RadioGroupKeyerPort");
    auto *group = control<QGroupBox>("GroupBoxKeyMonitor");
    ports->Item(0)->click();
    LanguageMenuClick(Language::Francais);
    EXPECT_EQ(group->title(), QStringLiteral("JOYSTICK / CTRL"));
    ports->Item(1)->click();
    EXPECT_EQ(group->title(), QStringLiteral("SOURIS / CTRL"));
    LanguageMenuClick(Language::Deutsch);
    EXPECT_EQ(group->title(), QStringLiteral("MAUS / CTRL"));
}

TEST_F(Monitor, JoystickButtonsRepeatOnlyTheLastPressedAndEitherReleaseStopsBoth)
{
    JoystickPresent = true;
    control<PortRadioGroup>("RadioGroupKeyerPort")->Item(0)->click();
    EXPECT_EQ(control<QGroupBox>("GroupBoxKeyMonitor")->title(), QStringLiteral("JOYSTICK / CTRL"));
    chooseKeyType("RadioButtonElKeyN");
    const auto button = [](int which, bool pressed) { Hooks().joystickButtonChanged(which, pressed, KeyClock::now()); };
    button(1, true); // the dash
    button(2, true); // the dot: the dash's flag goes
    ASSERT_TRUE(fake().finishNext());
    ASSERT_TRUE(fake().finishNext());
    EXPECT_EQ(line->text(), "-..");
    button(1, false);
    fake().finishAll();
    ASSERT_TRUE(memoIs("D ")) << memoText().toStdString();
    button(2, false); // the other button let go as well: nothing more
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
}

TEST_F(Monitor, TheMouseKeysNothingWithTheCtrlTypeOrNoTypeButSaysWhy)
{
    chooseKeyType("RadioButtonCTRL");
    EXPECT_EQ(withMessage([] { QTest::mousePress(Form1->Image1, Qt::LeftButton); }),
              "CAUTION: CTRL is selected for keying!\nIf you want to use the mouse as a Morse-Keyer,\n"
              "please select \"Single key\" or \"Dual key\"");
    QTest::mouseRelease(Form1->Image1, Qt::LeftButton);

    // No key type (an audio channel is chosen): how to key with the mouse.
    chooseKeyType("RadioButtonLC");
    EXPECT_EQ(withMessage([] { QTest::mousePress(Form1->Image1, Qt::RightButton); }),
              "When using the mouse buttons to send Morse code,\nfirst choose how to use the mouse\n"
              "(single key or dual key)\nthen place the mouse cursor on\n the MORSE KEY image\n"
              "and click the mouse left/right buttons\nas you do with a keyer");
    QTest::mouseRelease(Form1->Image1, Qt::RightButton);
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    EXPECT_TRUE(line->text().isEmpty());
}

TEST_F(Monitor, TheOnScreenPaddlesStopAPendingLetterGap)
{
    chooseKeyType("RadioButtonElKeyN");
    auto *trait = control<QPushButton>("ButtonTrait");
    auto *point = control<QPushButton>("ButtonPoint");
    QTest::mouseClick(trait, Qt::LeftButton);
    fake().finishAll(); // the dash has sounded: the letter gap (188 ms) runs
    QTest::mouseClick(point, Qt::LeftButton);
    // The dot sounds longer than the gap: the letter must not end in its middle.
    waitFor([] { return false; }, 400);
    EXPECT_EQ(memoText(), "");
    fake().finishAll();
    ASSERT_TRUE(memoIs("N ")) << memoText().toStdString();
}

TEST_F(Monitor, ChoosingTheComKeyPortWithoutAPortFallsBackToTheMouse)
{
    auto *port = control<PortRadioGroup>("RadioGroupKeyerPort");
    auto *dot = control<PortRadioGroup>("RadioGroupKeyerDOT");
    auto *dash = control<PortRadioGroup>("RadioGroupKeyerDash");
    ASSERT_TRUE(port && dot && dash);
    ASSERT_EQ(PanelPort()->RadioGroupCOM->ItemIndex(), 0);
    EXPECT_EQ(withMessage([&] { port->Item(2)->click(); }), QStringLiteral("No COM ....."));
    EXPECT_EQ(port->ItemIndex(), 1);
    EXPECT_EQ(control<QGroupBox>("GroupBoxKeyMonitor")->title(), QStringLiteral("MOUSE / CTRL"));
    EXPECT_FALSE(dot->isEnabled());
    EXPECT_FALSE(dash->isEnabled());

    // The two line choices never name the same line (clicked in code: they are disabled).
    dot->SetItemIndex(1);
    RadioGroupKeyerDOTClick();
    EXPECT_EQ(dash->ItemIndex(), 0);
    dash->SetItemIndex(2);
    RadioGroupKeyerDashClick();
    dot->SetItemIndex(2);
    RadioGroupKeyerDOTClick();
    EXPECT_EQ(dash->ItemIndex(), 1);
}

TEST_F(Monitor, TheMonitorsChoicesComeBackFromTheSettingsFile)
{
    chooseKeyType("RadioButtonElKeyR");
    ClickNamed(Form1, "MenuCarSpeAnsi");
    ClickNamed(Form1, "MenucalSpeed3");
    ClickNamed(Form1, "MenuNoLimitTrait");
    control<QToolButton>("SpeedButtonMonitorCase")->click();
    ClickButton(control<QCheckBox>("CheckBoxPWRDTR")); // RTS alone feeds the keyer
    const std::vector<settings::Line> written = Settings().write();
    auto value = [&](const char *key) {
        for (const auto &l : written)
            if (l.key == key)
                return l.value;
        return std::string("(none)");
    };
    EXPECT_EQ(value("MONITOR_CHANNEL="), "ELKEYR");
    EXPECT_EQ(value("MONCARSPEANSI="), "1");
    EXPECT_EQ(value("SPEEDCALVALUE="), "3");
    EXPECT_EQ(value("MONDASH="), "0");
    EXPECT_EQ(value("MONITOR_CASE="), "LOWER");
    EXPECT_EQ(value("POWERKEYER="), "RTS");
    EXPECT_EQ(DoubleKeyCalibration, 0.6);

    // A new window reads them back.
    DestroyAllWindows();
    shelltest::ensureWindows();
    Settings().read(written);
    EXPECT_TRUE(control<QRadioButton>("RadioButtonElKeyR")->isChecked());
    EXPECT_TRUE(control<QAction>("MenuCarSpeAnsi")->isChecked());
    EXPECT_TRUE(control<QAction>("MenucalSpeed3")->isChecked());
    EXPECT_FALSE(control<QAction>("MenuNoLimitTrait")->isChecked());
    EXPECT_FALSE(KeyDecoder().UnlimitedDash());
    EXPECT_TRUE(control<QToolButton>("SpeedButtonMonitorCase")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CheckBoxPWRDTR")->isChecked());
    EXPECT_EQ(PanelPort()->Keying.PowerLines, 2);
}

TEST_F(Monitor, TheErrorSignErasesAndTheCaseButtonConvertsTheMemo)
{
    memo->setPlainText(cp1252::toQString("HELLO \xDF[AR]\n"));
    ClickNamed(Form1, "MenuMonitorErreur");
    DecodeMonitorCharacter("........");
    EXPECT_EQ(memoText(), cp1252::toQString("HELLO \xDF"));
    control<QToolButton>("SpeedButtonMonitorCase")->click();
    EXPECT_EQ(memoText(), cp1252::toQString("hello \xDF"));
    DecodeMonitorCharacter(".-");
    EXPECT_EQ(memoText(), cp1252::toQString("hello \xDF" "a"));
}

TEST_F(Monitor, SavingWritesTheMemoLinesAndRefusesWhatItCannot)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.txt"));
    QString offered;
    monitorSeams().saveFileName = [&](const QString &suggested) {
        offered = suggested;
        return path;
    };
    EXPECT_EQ(withMessage([] { ClickNamed(Form1, "MenuSaveMonitoring"); }), ForDisplay(MsgNothingToRecord()));
    memo->setPlainText(cp1252::toQString("CQ \xC9T\nK"));
    ClickNamed(Form1, "MenuSaveMonitoring");
    EXPECT_TRUE(offered.endsWith(QStringLiteral("Monitoring1.txt")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("CQ \xC9T\r\nK\r\n"));

    // A FIFO (as a device would be) is never opened, even with a reader waiting at its end.
    const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    monitorSeams().saveFileName = [&](const QString &) { return fifo; };
    EXPECT_EQ(withMessage([] { ClickNamed(Form1, "MenuSaveMonitoring"); }), ForDisplay(MsgWriteError()));
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "the memo went into the FIFO";
    ::close(reader);
}

TEST_F(Monitor, TheHelpCardComesAndGoesAndSpeaksTheLanguage)
{
    auto *help = control<QToolButton>("SpeedButtonHelpMonitor");
    help->click();
    ASSERT_TRUE(FormMonitorInfo->isVisible());
    EXPECT_EQ(FormMonitorInfo->LabelInfoMenuPort->text(), QStringLiteral("Choose keyer port with menu Port"));
    ClickNamed(Form1, "Deutsch1");
    EXPECT_EQ(FormMonitorInfo->ButtonHelp->text(), QStringLiteral("Weitere Hilfe"));
    help->click();
    EXPECT_FALSE(FormMonitorInfo->isVisible());
}

// ---- The serial lines of a scripted port --------------------------------------------------------

namespace {

class MonitorOnSerial : public Monitor {
protected:
    void SetUp() override
    {
        Monitor::SetUp();
        programSeams = portPanelSeams();
        delete PanelPort();
        portPanelSeams().listPorts = [] { return std::vector<std::string>{"ttyS9"}; };
        portPanelSeams().makeDevice = [this] {
            auto d = std::make_unique<FakeSerialDevice>();
            device = d.get();
            return std::unique_ptr<serialdev::SerialDevice>(std::move(d));
        };
        CreatePortPanel(*Form1);
        PanelPort()->RadioGroupCOM->Item(1)->click();
        ASSERT_TRUE(PanelPort()->Keying.ComPortKeyer.Connected());
        ClickButton(Form1->RadioButtonMonitor); // the new panel's controls join the monitor
        control<PortRadioGroup>("RadioGroupKeyerPort")->Item(2)->click();
    }
    void TearDown() override
    {
        delete PanelPort();
        portPanelSeams() = programSeams;
    }
    // A line goes on or off (at `at` as the port saw it) and the monitor has handled it.
    void line(unsigned which, bool on, std::optional<std::chrono::steady_clock::time_point> at = std::nullopt)
    {
        const int before = device->changesServed.load();
        device->setInputs(on ? which : 0, on ? 0 : which, at);
        ASSERT_TRUE(waitFor([&] { return device->changesServed.load() > before; }));
    }

    FakeSerialDevice *device = nullptr;
    PortPanelSeams programSeams;
};

} // namespace

TEST_F(MonitorOnSerial, PaddlesOnTheLinesKeyTheKeyerByKeyTypeAndLineChoice)
{
    chooseKeyType("RadioButtonElKeyN"); // DOT on DSR, Dash on CTS
    line(serialdev::LineDSR, true);
    EXPECT_EQ(SoundEngine().State.PlayQueue, "e");
    EXPECT_TRUE(control<QLabel>("LabelDSR")->styleSheet().contains(QStringLiteral("green")));
    ASSERT_TRUE(fake().finishNext()); // still held: another dot
    line(serialdev::LineDSR, false);
    EXPECT_TRUE(control<QLabel>("LabelDSR")->styleSheet().contains(QStringLiteral("red")));
    fake().finishAll();
    ASSERT_TRUE(memoIs("I ")) << memoText().toStdString();

    // A line up and down again, its element sounded to the end.
    const auto tap = [this](unsigned which) {
        line(which, true);
        line(which, false);
        fake().finishAll();
    };
    tap(serialdev::LineCTS);
    ASSERT_TRUE(memoIs("I T ")) << memoText().toStdString();
    // The line neither group names keys nothing.
    line(serialdev::LineCD, true);
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    EXPECT_TRUE(control<QLabel>("LabelDCD")->styleSheet().contains(QStringLiteral("red")));
    line(serialdev::LineCD, false);

    // Reversed, the Dash line is the dot paddle and the DOT line the dash.
    chooseKeyType("RadioButtonElKeyR");
    tap(serialdev::LineCTS);
    ASSERT_TRUE(memoIs("I T E ")) << memoText().toStdString();
    tap(serialdev::LineDSR);
    ASSERT_TRUE(memoIs("I T E T ")) << memoText().toStdString();

    // The DOT paddle moved to CD: CD keys it, DSR nothing any more.
    chooseKeyType("RadioButtonElKeyN");
    control<PortRadioGroup>("RadioGroupKeyerDOT")->Item(2)->click();
    tap(serialdev::LineCD);
    ASSERT_TRUE(memoIs("I T E T E ")) << memoText().toStdString();
    line(serialdev::LineDSR, true);
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    line(serialdev::LineDSR, false);
}

TEST_F(MonitorOnSerial, AStraightKeyOnTheDashLineIsTimedWhereTheChangeWasSeen)
{
    // At 5 wpm a dot is below 360 ms and a dash above 475 ms.
    SoundEngine().Timings.setSpeed(5);
    chooseKeyType("RadioButtonPioche");
    // A press of 100 ms as the port saw it, however late this thread gets to say so.
    const auto pressed = std::chrono::steady_clock::now();
    line(serialdev::LineCTS, true, pressed);
    ASSERT_TRUE(control<QLabel>("labelCTS")->styleSheet().contains(QStringLiteral("green")));
    // Its release is handled a second late (the window was busy), yet the mark is timed
    // between the changes as the port saw them.
    waitFor([] { return false; }, 100);
    const int before = device->changesReported.load();
    device->setInputs(0, serialdev::LineCTS, pressed + 100ms);
    ASSERT_TRUE(waitUnserved([&] { return device->changesReported.load() > before; }));
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(memoIs("E ")) << memoText().toStdString();
}

// ---- This machine's UART in loopback ------------------------------------------------------------

TEST(MonitorUart, RtsLoopedToCtsIsAStraightKey)
{
    if (!QFile::exists(QStringLiteral("/dev/ttyS0")) || !serialports::IsSerialPortName("ttyS0"))
        GTEST_SKIP() << "no UART at /dev/ttyS0";
    ASSERT_TRUE(fakeSound);
    shelltest::ensureWindows();
    Form1->show();
    TPanelPort *panel = PanelPort();
    const shelltest::PortChoice choice = shelltest::chooseTtyS0();
    ASSERT_NE(choice, shelltest::PortChoice::NotListed);
    if (choice == shelltest::PortChoice::Held)
        GTEST_SKIP() << "ttyS0 is held by another program";
    TComPort &port = panel->Keying.ComPortKeyer;
    ASSERT_EQ(port.SetLines(serialdev::LineLoop, 0), 0) << "no loopback on this UART";
    ASSERT_TRUE(waitFor([&] { return (port.GetComSignals() & csCTS) == 0; }, 10000));

    ClickButton(Form1->RadioButtonMonitor);
    control<PortRadioGroup>("RadioGroupKeyerPort")->Item(2)->click();
    control<QRadioButton>("RadioButtonPioche")->click(); // the Dash line is CTS
    auto *memo = control<QPlainTextEdit>("MemoMonitor");
    waitFor([] { return false; }, 300); // reports of entering loopback settle

    ASSERT_TRUE(port.SetRTS(true));
    waitFor([] { return false; }, 600);
    ASSERT_TRUE(port.SetRTS(false));
    const bool decoded = waitFor([&] { return memo->toPlainText() == QStringLiteral("T "); }, 10000);
    port.SetLines(0, serialdev::LineLoop);
    panel->RadioGroupCOM->Item(0)->click();
    EXPECT_TRUE(decoded) << memo->toPlainText().toStdString();
}
