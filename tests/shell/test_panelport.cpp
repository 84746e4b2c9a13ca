// The port panel in the main window: the port list, the line roles, the delay, the settings
// keys, the failed open and the keyer supply; with a scripted port, and on this machine's
// UART where it has one.

#include "tests/common/testsupport.h"
#include "tests/devices/fakeserialdevice.h"
#include "tests/common/fakeaudiooutput.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/elementclock.h"
#include "platform/serialports.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/panellpt.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/soundengine.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using shelltest::whenDialogShown;

// The scripted port, with the time of every line switch.
struct TimedFakeDevice : FakeSerialDevice {
    using Clock = std::chrono::steady_clock;
    std::vector<std::pair<Clock::time_point, std::string>> switches; // under m
    int setLines(unsigned set, unsigned clear) override
    {
        const int result = FakeSerialDevice::setLines(set, clear);
        std::lock_guard g(m);
        std::string text;
        if (set & serialdev::LineDTR) text += "+DTR";
        if (set & serialdev::LineRTS) text += "+RTS";
        if (clear & serialdev::LineDTR) text += "-DTR";
        if (clear & serialdev::LineRTS) text += "-RTS";
        switches.emplace_back(Clock::now(), text);
        return result;
    }
    std::string calls()
    {
        std::lock_guard g(m);
        std::string text;
        for (const auto &[when, what] : switches)
            text += (text.empty() ? "" : " ") + what;
        return text;
    }
    void clearCalls()
    {
        std::lock_guard g(m);
        switches.clear();
    }
};

std::vector<std::string> fakePorts = {"ttyS0", "ttyUSB0"};

// A fresh panel on the scripted port; the program's own panel comes back afterwards.
class PortPanel : public ::testing::Test {
protected:
    TimedFakeDevice *device = nullptr;
    TPanelPort *panel = nullptr;
    bool formWasVisible = false;
    PortPanelSeams programSeams;
    QTemporaryDir consoles;

    void SetUp() override
    {
        shelltest::ensureWindows();
        formWasVisible = Form1->isVisible();
        programSeams = portPanelSeams();
        delete PanelPort();
        portPanelSeams().listPorts = [] { return fakePorts; };
        portPanelSeams().makeDevice = [this] {
            auto d = std::make_unique<TimedFakeDevice>();
            device = d.get();
            return std::unique_ptr<serialdev::SerialDevice>(std::move(d));
        };
        CreatePortPanel(*Form1);
        panel = PanelPort();
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override
    {
        delete PanelPort();
        portPanelSeams() = programSeams;
        CreatePortPanel(*Form1);
        Form1->setVisible(formWasVisible);
    }

    QAbstractButton *button(const char *name) { return Form1->findChild<QAbstractButton *>(QString::fromLatin1(name)); }
    PortRadioGroup *group(const char *name) { return Form1->findChild<PortRadioGroup *>(QString::fromLatin1(name)); }
    void choosePort(int index) { panel->RadioGroupCOM->Item(index)->click(); }

    // Reads settings lines through the panel's own rows; returns what the writer gives back.
    std::vector<settings::Line> roundTrip(const std::vector<settings::Line> &lines)
    {
        SettingsRegistry registry;
        panel->BindSettingsKeys(registry);
        registry.read(lines);
        return registry.write();
    }
    // What the panel's rows write now.
    std::vector<settings::Line> roundTripWrite()
    {
        SettingsRegistry registry;
        panel->BindSettingsKeys(registry);
        return registry.write();
    }
    static std::string value(const std::vector<settings::Line> &lines, const std::string &key)
    {
        for (const auto &line : lines)
            if (line.key == key)
                return line.value;
        return "(none)";
    }
    // Runs `act`, answering the message box it shows; returns the message's text.
    QString withMessage(const std::function<void()> &act) { return shelltest::withMessage(act); }
};

TEST_F(PortPanel, CheckingCWOnDTRTakesTheLineFromPTT)
{
    panel->CheckBoxPTTDTR->click();
    EXPECT_EQ(panel->Keying.PTTLines, LineDTR);
    panel->CheckBoxCWDTR->click();
    EXPECT_FALSE(panel->CheckBoxPTTDTR->isChecked());
    EXPECT_TRUE(panel->CheckBoxCWDTR->isChecked());
    EXPECT_EQ(panel->Keying.PTTLines, 0);
    EXPECT_EQ(panel->Keying.CWLines, LineDTR);
    // And back: PTT on DTR unchecks CW.
    panel->CheckBoxPTTDTR->click();
    EXPECT_FALSE(panel->CheckBoxCWDTR->isChecked());
    EXPECT_EQ(panel->Keying.PTTLines, LineDTR);
    EXPECT_EQ(panel->Keying.CWLines, 0);
}

TEST_F(PortPanel, ChoosingThePortInUseDoesNotReopenIt)
{
    choosePort(1);
    ASSERT_EQ(panel->Keying.ComPortName, "ttyS0");
    EXPECT_EQ(device->opens.load(), 1);
    EXPECT_GE(panel->Keying.ComHandle(), 0);
    device->clearCalls();
    choosePort(1);
    EXPECT_EQ(device->opens.load(), 1);
    EXPECT_EQ(device->calls(), "");
    EXPECT_TRUE(panel->Keying.ComPortKeyer.Connected());

    // Another port closes the first: both lines down, then the new one opens.
    choosePort(2);
    EXPECT_EQ(panel->Keying.ComPortName, "ttyUSB0");
    EXPECT_EQ(device->opens.load(), 2);
    EXPECT_EQ(device->calls().rfind("-DTR -RTS", 0), 0u) << device->calls();

    // NONE closes it.
    choosePort(0);
    EXPECT_EQ(panel->Keying.ComPortName, NoComPortName);
    EXPECT_FALSE(panel->Keying.ComPortKeyer.Connected());
    EXPECT_EQ(panel->Keying.ComHandle(), -1);
}

TEST_F(PortPanel, APortThatIsTheKernelsConsoleIsSaidInThePanelAndOnceWhenChosenAndStaysChosen)
{
    // As the kernel lists its consoles when the machine starts with console=ttyS0.
    const QString list = consoles.filePath(QStringLiteral("consoles"));
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("tty0                 -WU (E  p  )    4:1\nttyS0                -W- (EC  p a)    4:64\n");
    file.close();
    portPanelSeams().consolesFile = list.toStdString();
    auto *note = Form1->findChild<QLabel *>(QStringLiteral("LabelConsolePort"));
    ASSERT_NE(note, nullptr);
    Form1->show();
    panel->MenuPortClick();
    ASSERT_EQ(panel->RadioGroupCOM->ItemText(1), QStringLiteral("ttyS0"));

    ASSERT_TRUE(ClickLanguageLetter('D'));
    QString said = withMessage([&] { choosePort(1); });
    EXPECT_TRUE(said.startsWith(QStringLiteral("ttyS0 ist die Systemkonsole"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("kill -9")));
    // Still the keying port, and the panel says what it is.
    EXPECT_EQ(panel->Keying.ComPortName, "ttyS0");
    EXPECT_TRUE(panel->Keying.ComPortKeyer.Connected());
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("Dieser Port ist die Systemkonsole")));
    ASSERT_TRUE(ClickLanguageLetter('E'));
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("This port is the system console")));

    // The same port clicked again says nothing more; another port has no note.
    bool again = false;
    whenDialogShown([&] {
        again = true;
        FormDialog->ButtonOK->click();
    }, 300);
    choosePort(1);
    choosePort(2);
    EXPECT_FALSE(again);
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(panel->Keying.ComPortName, "ttyUSB0");

    // Kept from the settings at start: the note, no message.
    choosePort(0);
    Form1->hide();
    said = withMessage([&] { roundTrip({{"COM=", "ttyS0"}}); });
    EXPECT_TRUE(said.isEmpty()) << said.toStdString();
    EXPECT_EQ(panel->Keying.ComPortName, "ttyS0");
    EXPECT_FALSE(note->isHidden());
}

TEST_F(PortPanel, AFailedOpenAtStartSaysErrorCOMAndLeavesNoPort)
{
    Form1->hide(); // start-up: the main window is not shown yet
    group("RadioGroupKeyerPort")->SetItemIndex(2); // the key on COM
    button("SpeedButtonPTTKeyer")->setChecked(true);
    device->openError = EBUSY;
    std::vector<settings::Line> written;
    const QString text = withMessage([&] { written = roundTrip({{"COM=", "ttyUSB0"}}); });
    EXPECT_EQ(text, QStringLiteral("Error COM\nttyUSB0: in use by another program"));
    // Refused for now, still the user's choice for the next start.
    EXPECT_EQ(value(written, "COM="), "ttyUSB0");
    EXPECT_EQ(panel->RadioGroupCOM->ItemIndex(), 0);
    EXPECT_EQ(panel->Keying.ComPortName, NoComPortName);
    EXPECT_EQ(panel->Keying.ComHandle(), -1);
    // The key input falls back to the mouse.
    EXPECT_EQ(group("RadioGroupKeyerPort")->ItemIndex(), 1);
    EXPECT_FALSE(button("SpeedButtonPTTKeyer")->isChecked());
    EXPECT_FALSE(button("SpeedButtonPTTKeyer")->isEnabled());
    EXPECT_FALSE(button("SpeedButtonMonPTT")->isEnabled());
    EXPECT_EQ(Form1->findChild<QGroupBox *>(QStringLiteral("GroupBoxKeyMonitor"))->title(), QStringLiteral("MOUSE / CTRL"));
    EXPECT_FALSE(group("RadioGroupKeyerDOT")->isEnabled());
    EXPECT_EQ(panel->Keying.KeyerPowerOn, 0);
}

TEST_F(PortPanel, APortMissingAtStartIsNotOpenedButStaysTheChoiceUntilTheUserChooses)
{
    Form1->hide();
    std::vector<settings::Line> written;
    const QString text = withMessage([&] { written = roundTrip({{"COM=", "ttyUSB7"}}); });
    EXPECT_EQ(text, QStringLiteral("Error COM\nttyUSB7: no such device"));
    EXPECT_EQ(device->opens.load(), 0);
    // Unplugged: kept, so plugging it back and starting again keys through it.
    EXPECT_EQ(value(written, "COM="), "ttyUSB7");
    EXPECT_EQ(value(roundTripWrite(), "COM="), "ttyUSB7");
    // The user's choice in the panel, NONE included, replaces it.
    Form1->show();
    choosePort(0);
    EXPECT_EQ(value(roundTripWrite(), "COM="), "0");
    EXPECT_EQ(value(roundTrip({{"COM=", "0"}}), "COM="), "0");
    // What cannot be a port name is ignored without a word.
    bool shown = false;
    whenDialogShown([&] {
        shown = true;
        FormDialog->ButtonOK->click();
    }, 300);
    EXPECT_EQ(value(roundTrip({{"COM=", "../../dev/watchdog"}}), "COM="), "0");
    EXPECT_FALSE(shown); // a message would have been answered before the read returned
    Form1->hide();
    // A listed name is opened and written back as it is.
    EXPECT_EQ(value(roundTrip({{"COM=", "ttyUSB0"}}), "COM="), "ttyUSB0");
    EXPECT_EQ(device->opens.load(), 1);
}

TEST_F(PortPanel, APortRefusedForPermissionNamesTheDialoutGroupInTheUsersLanguage)
{
    Form1->show();
    device->openError = EACCES;
    ASSERT_TRUE(ClickLanguageLetter('D'));
    const QString text = withMessage([&] { choosePort(2); });
    ClickLanguageLetter('E');
    const QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 2) << text.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Error COM"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("ttyUSB0: Zugriff verweigert"))) << text.toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("dialout"))) << text.toStdString();
    // The user's own choice failed: no port, and none is written.
    EXPECT_EQ(panel->RadioGroupCOM->ItemIndex(), 0);
    EXPECT_EQ(value(roundTripWrite(), "COM="), "0");
}

TEST_F(PortPanel, AStoredDelayComesBackAsTheNearestChoice)
{
    const struct {
        const char *value;
        int index;
        int interval;
        const char *written;
    } cases[] = {{"150", 2, 150, "150"}, {"140", 2, 150, "150"}, {"30", 0, 50, "50"},
                 {"300", 4, 250, "250"}, {"0", 1, 100, "100"},   {"x", 1, 100, "100"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        panel->RadioGroupTXDelay->SetItemIndex(4);
        const auto written = roundTrip({{"TXDELAY=", c.value}});
        EXPECT_EQ(panel->RadioGroupTXDelay->ItemIndex(), c.index);
        EXPECT_EQ(Form1->TimerTXDelay->interval(), c.interval);
        EXPECT_EQ(value(written, "TXDELAY="), c.written);
    }
    // A user's choice.
    panel->RadioGroupTXDelay->Item(3)->click();
    EXPECT_EQ(Form1->TimerTXDelay->interval(), 200);
}

TEST_F(PortPanel, RolesFromTheSettingsRunTheBoxesRule)
{
    // PTT and CW both on DTR: CW comes later and takes it.
    const auto written = roundTrip({{"PTT=", "1"}, {"CW=", "1"}});
    EXPECT_EQ(value(written, "PTT="), "0");
    EXPECT_EQ(value(written, "CW="), "1");
    EXPECT_FALSE(panel->CheckBoxPTTDTR->isChecked());
    EXPECT_TRUE(panel->CheckBoxCWDTR->isChecked());

    const auto both = roundTrip({{"PTT=", "2"}, {"CW=", "1"}, {"PTT=", "7"}});
    EXPECT_EQ(value(both, "PTT="), "2");
    EXPECT_EQ(value(both, "CW="), "1");
    EXPECT_TRUE(panel->CheckBoxPTTRTS->isChecked());
}

TEST_F(PortPanel, RestoredSupplyRaisesItsLinesOnlyWithAPort)
{
    // No port: the buttons come back up and nothing blocks the keying.
    roundTrip({{"MONPTT=", "1"}});
    EXPECT_TRUE(button("SpeedButtonMonPTT")->isChecked());
    panel->StartupKeyerSupply();
    EXPECT_FALSE(button("SpeedButtonMonPTT")->isChecked());
    EXPECT_FALSE(button("SpeedButtonPTTKeyer")->isChecked());
    EXPECT_EQ(panel->Keying.KeyerPowerOn, 0);

    // With the port: both buttons down, the supply lines up, their role boxes disabled.
    const auto written = roundTrip({{"COM=", "ttyS0"}, {"PTT=", "2"}, {"MONPTT=", "1"}});
    device->clearCalls();
    panel->StartupKeyerSupply();
    EXPECT_EQ(device->calls(), "+DTR +RTS");
    EXPECT_EQ(panel->Keying.KeyerPowerOn, 1);
    EXPECT_TRUE(button("SpeedButtonMonPTT")->isChecked());
    EXPECT_TRUE(button("SpeedButtonPTTKeyer")->isChecked());
    EXPECT_FALSE(panel->CheckBoxPTTRTS->isEnabled());
    EXPECT_FALSE(panel->CheckBoxCWDTR->isEnabled());
    EXPECT_EQ(value(roundTrip({}), "MONPTT="), "1");
    // PTT on a supply line: RaisePTT leaves it alone.
    device->clearCalls();
    EXPECT_FALSE(panel->RaisePTT());
    EXPECT_EQ(device->calls(), "");
}

TEST_F(PortPanel, SwitchingPortsKeepsTheSupplyOn)
{
    roundTrip({{"COM=", "ttyS0"}, {"MONPTT=", "1"}});
    panel->StartupKeyerSupply();
    ASSERT_EQ(panel->Keying.KeyerPowerOn, 1);
    device->clearCalls();
    choosePort(2);
    // Old port down and closed, the new one opened (lowered at open), then the supply up.
    const std::string calls = device->calls();
    EXPECT_EQ(calls.rfind("-DTR -RTS", 0), 0u) << calls;
    EXPECT_EQ(calls.substr(calls.size() - 9), "+DTR +RTS") << calls;
    EXPECT_EQ(panel->Keying.KeyerPowerOn, 1);
    EXPECT_TRUE(button("SpeedButtonPTTKeyer")->isChecked());

    // NONE: no port, no supply; the buttons agree.
    choosePort(0);
    EXPECT_EQ(panel->Keying.KeyerPowerOn, 0);
    EXPECT_FALSE(button("SpeedButtonPTTKeyer")->isChecked());
    EXPECT_TRUE(panel->CheckBoxPTTDTR->isEnabled());
}

TEST_F(PortPanel, RaiseAndReleaseLightAndDarkenThePTTLamp)
{
    auto *ledOn = Form1->findChild<QLabel *>(QStringLiteral("LedOn"));
    auto *ledOff = Form1->findChild<QLabel *>(QStringLiteral("LedOff"));
    ASSERT_TRUE(ledOn && ledOff);
    auto *box = Form1->findChild<QWidget *>(QStringLiteral("OnairBox"));
    ASSERT_NE(box, nullptr);
    Deutsch1Click();
    EXPECT_EQ(box->toolTip(), QStringLiteral("PTT EIN, wenn beleuchtet"));
    English1Click();
    EXPECT_EQ(box->toolTip(), QStringLiteral("PTT ON when lit"));
    choosePort(1);
    panel->CheckBoxPTTRTS->click();
    device->clearCalls();
    ASSERT_TRUE(panel->RaisePTT());
    EXPECT_TRUE(testsupport::waitFor([&] { return !ledOn->isHidden() && ledOff->isHidden(); }));
    panel->ReleaseKeyingLines();
    EXPECT_EQ(device->calls(), "+RTS -DTR -RTS");
    EXPECT_TRUE(testsupport::waitFor([&] { return ledOn->isHidden() && !ledOff->isHidden(); }));

    // The CW lamp, switched from the clock's thread, changes on the user-interface thread.
    auto *cwOn = Form1->findChild<QLabel *>(QStringLiteral("LedCWon"));
    auto *cwOff = Form1->findChild<QLabel *>(QStringLiteral("LedCWoff"));
    ASSERT_TRUE(cwOn && cwOff);
    std::thread([] { OnAirLampsForClock().SetCWLamp(true); }).join();
    EXPECT_TRUE(testsupport::waitFor([&] { return !cwOn->isHidden() && cwOff->isHidden(); }));
    std::thread([] { OnAirLampsForClock().SetCWLamp(false); }).join();
    EXPECT_TRUE(testsupport::waitFor([&] { return cwOn->isHidden() && !cwOff->isHidden(); }));
}

TEST_F(PortPanel, TheMenuItemOpensThePanelAndTheCrossClosesIt)
{
    auto *item = Form1->findChild<QAction *>(QStringLiteral("MenuPort"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_FALSE(panel->isHidden());
    panel->ButtonClosePanelPort->click();
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(PortPanel, OpeningThePanelClosesTheOthersAndFollowsIgnoreLPT)
{
    // The lessons' import panel and the character choice of random practice, each closed by
    // its own button.
    auto *import = Form1->findChild<QWidget *>(QStringLiteral("PanelImportLessons"));
    ASSERT_NE(import, nullptr);
    import->show();
    auto *choix = Form1->findChild<QWidget *>(QStringLiteral("PanelChoixRandom"));
    ASSERT_NE(choix, nullptr);
    choix->show();
    // The parallel-port controls of the panel, as the program builds them on it.
    new TLptPort(*Form1, *panel); // the panel's child
    std::vector<QWidget *> lpt;
    for (const char *name : {"RadioGroupLPT", "EditLPT1", "EditLPT2", "EditLPT3", "Panel5", "CheckBoxLPTx", "EditLPTx",
                             "Label7"}) {
        lpt.push_back(panel->findChild<QWidget *>(QString::fromLatin1(name)));
        ASSERT_NE(lpt.back(), nullptr) << name;
    }
    auto *ignore = Form1->findChild<QAction *>(QStringLiteral("MenuNoLPT"));
    ASSERT_NE(ignore, nullptr);
    ignore->setChecked(true);

    panel->MenuPortClick();
    EXPECT_TRUE(import->isHidden());
    EXPECT_TRUE(choix->isHidden());
    EXPECT_FALSE(panel->isHidden());
    for (QWidget *control : lpt)
        EXPECT_FALSE(control->isEnabled()) << qPrintable(control->objectName());
    ignore->setChecked(false);
    panel->MenuPortClick();
    for (QWidget *control : lpt)
        EXPECT_TRUE(control->isEnabled()) << qPrintable(control->objectName());
    EXPECT_TRUE(import->isHidden());
}

TEST_F(PortPanel, TypingAnEKeysTheTransmitterAfterTheDelay)
{
    TSoundEngine *engine = SoundEnginePtr();
    ASSERT_NE(engine, nullptr);
    auto *output = dynamic_cast<FakeAudioOutput *>(engine->Output.get());
    if (!output)
        GTEST_SKIP() << "the engine of this program plays on a real device";
    auto *box = Form1->findChild<QLineEdit *>(QStringLiteral("Editcaractere"));
    ASSERT_NE(box, nullptr);

    // The user opens the panel, picks the port, PTT on RTS, CW on DTR and 250 ms.
    Form1->findChild<QAction *>(QStringLiteral("MenuPort"))->trigger();
    ASSERT_FALSE(panel->isHidden());
    choosePort(1);
    panel->CheckBoxPTTRTS->click();
    panel->CheckBoxCWDTR->click();
    panel->RadioGroupTXDelay->Item(4)->click();
    panel->ButtonClosePanelPort->click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(Form1->TimerTXDelay->interval(), 250);
    ASSERT_EQ(panel->Keying.AttachedClock(), engine->Clock.get());

    // An idle engine at 12 wpm without a start silence.
    output->finishAll();
    engine->State = EngineState{};
    engine->Timings.setSpeed(12);
    engine->Timings.setStartSilence(0);
    Form1->Timer1->stop();
    Form1->TimerTXDelay->stop();
    box->setReadOnly(false);
    box->clear();
    Form1->show();
    box->setFocus();

    device->clearCalls();
    const long long waitedBefore = testsupport::processRunDelayMs();
    QTest::keyClicks(box, QStringLiteral("e"));
    EXPECT_EQ(device->calls(), "+RTS");
    EXPECT_TRUE(Form1->TimerTXDelay->isActive());
    ASSERT_TRUE(testsupport::waitFor([&] { return device->calls() == "+RTS +DTR -DTR"; }, 3000)) << device->calls();
    // What the threads that key waited for a processor meanwhile is the machine's, not theirs.
    const long long waited = testsupport::processRunDelayMs() - waitedBefore;
    // The character plays out; at the end of the queue everything goes down.
    output->finishAll();
    EXPECT_TRUE(testsupport::waitFor([&] { return device->calls() == "+RTS +DTR -DTR -DTR -RTS"; }, 3000))
        << device->calls();
    EXPECT_EQ(panel->Keying.PTTOn, 0);

    using namespace std::chrono;
    std::lock_guard g(device->m);
    ASSERT_GE(device->switches.size(), 3u);
    const auto ms = [&](int from, int to) {
        return duration_cast<milliseconds>(device->switches[to].first - device->switches[from].first).count();
    };
    // The delay is a window timer on a possibly busy user-interface thread: it may end a
    // little early (coarse timers) or late, never much early.
    EXPECT_GE(ms(0, 1), 250 - 15) << "PTT up to the first element";
    EXPECT_LT(ms(0, 1) - waited, 250 + 500) << "PTT up to the first element, " << waited << " ms waited for a processor";
    EXPECT_NEAR(ms(1, 2), 94, 15) << "the dot of an e at 12 wpm";
}

// A port list from a made-up /sys/class/tty.
TEST(PortList, OnlyRealPortsInTextOrder)
{
    shelltest::ensureWindows();
    QTemporaryDir root;
    namespace fs = std::filesystem;
    const fs::path base = root.path().toStdString();
    auto entry = [&](const char *name, bool device, const char *type) {
        fs::create_directories(base / name);
        if (device)
            fs::create_directories(base / name / "device");
        if (type)
            std::ofstream(base / name / "type") << type << "\n";
    };
    entry("ttyS0", true, "4");
    entry("ttyS1", true, "0"); // a slot with no UART behind it
    entry("tty0", false, nullptr);
    entry("console", false, nullptr);
    entry("ttyUSB2", true, nullptr);
    entry("ttyUSB10", true, nullptr);
    entry("ttyUSB0", true, nullptr);
    entry("ttyACM0", true, nullptr);

    delete PanelPort();
    const PortPanelSeams programSeams = portPanelSeams();
    const std::string sysfs = base.string();
    portPanelSeams().listPorts = [sysfs] { return serialports::ListSerialPorts(sysfs); };
    CreatePortPanel(*Form1);
    QStringList items;
    for (int i = 0; i < PanelPort()->RadioGroupCOM->Count(); ++i)
        items << PanelPort()->RadioGroupCOM->ItemText(i);
    EXPECT_EQ(items, QStringList({"NONE", "ttyACM0", "ttyS0", "ttyUSB0", "ttyUSB10", "ttyUSB2"}));

    delete PanelPort();
    portPanelSeams() = programSeams;
    CreatePortPanel(*Form1);
}

} // namespace

namespace {

// The real UART of this machine (a 16550A at /dev/ttyS0 on the development machines): the
// levels read back from the port follow each step.
TEST(PortPanelUart, KeysPTTAndCWOnTheRealPort)
{
    if (!QFile::exists(QStringLiteral("/dev/ttyS0")) || !serialports::IsSerialPortName("ttyS0"))
        GTEST_SKIP() << "no UART at /dev/ttyS0";
    shelltest::ensureWindows();
    TPanelPort *panel = PanelPort();
    ASSERT_NE(panel, nullptr);
    const shelltest::PortChoice choice = shelltest::chooseTtyS0();
    ASSERT_NE(choice, shelltest::PortChoice::NotListed);
    if (choice == shelltest::PortChoice::Held)
        GTEST_SKIP() << "ttyS0 is held by another program";
    ASSERT_EQ(panel->Keying.ComPortName, "ttyS0");

    auto levels = [&] {
        unsigned lines = 0;
        EXPECT_EQ(panel->Keying.ComPortKeyer.Device().modemLines(lines), 0);
        std::string text;
        text += (lines & serialdev::LineDTR) ? "DTR" : "dtr";
        text += (lines & serialdev::LineRTS) ? " RTS" : " rts";
        return text;
    };
    EXPECT_EQ(levels(), "dtr rts") << "lowered at open";
    if (!panel->CheckBoxPTTRTS->isChecked())
        panel->CheckBoxPTTRTS->click();
    if (!panel->CheckBoxCWDTR->isChecked())
        panel->CheckBoxCWDTR->click();

    ElementClock clock{&ClockSerialLines(), nullptr, nullptr};
    panel->Keying.AttachClock(&clock);
    ASSERT_TRUE(panel->RaisePTT());
    EXPECT_EQ(levels(), "dtr RTS");
    CWElementTable dot{};
    dot[1] = 94;
    clock.KeyFirstElement(dot);
    EXPECT_EQ(levels(), "DTR RTS");
    EXPECT_TRUE(testsupport::waitFor([&] { return panel->Keying.CWLineDown() == 0; }, 2000));
    EXPECT_EQ(levels(), "dtr RTS");
    panel->ReleaseKeyingLines();
    EXPECT_EQ(levels(), "dtr rts");

    // The keyer supply on both lines, then NONE: everything down and the port closed.
    panel->Keying.PowerLines = 3;
    ASSERT_TRUE(panel->Keying.RaiseKeyerSupply());
    EXPECT_EQ(levels(), "DTR RTS");
    panel->Keying.DropKeyerSupply();
    EXPECT_EQ(levels(), "dtr rts");
    panel->Keying.AttachClock(SoundEnginePtr() ? SoundEnginePtr()->Clock.get() : nullptr);
    panel->RadioGroupCOM->Item(0)->click();
    EXPECT_FALSE(panel->Keying.ComPortKeyer.Connected());
}

} // namespace
