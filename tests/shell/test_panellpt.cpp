// The parallel port in the program's own window, on a made-up kernel tree with a recording
// ppdev device: the ports shown and chosen, the custom address, the pin and its polarity as
// the register gets them, keying by the element clock, the settings keys, and the pin at
// key-up after each road out of the program.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/devices/fakeparport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/elementclock.h"
#include "engine/keyingsafety.h"
#include "shell/formdialog.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/panellpt.h"
#include "shell/panelport.h"
#include "shell/settingsfile.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/unixsignals.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

using shelltest::withMessage;
using testsupport::waitFor;

namespace {

class LptPanel : public ::testing::Test {
protected:
    // The program started on a kernel with these ports and, when given, this settings file.
    void start(const std::vector<std::pair<int, std::string>> &ports = {{0, "888\t1912"}}, bool reachable = true,
               const std::vector<std::string> &settings = {})
    {
        SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<FakeAudioOutput>()); };
        lptSeams().roots = MakeParportTree(dir.path().toStdString(), ports, reachable);
        lptSeams().makeDevice = [s = state] { return std::make_unique<FakeParport>(s); };
        lptSeams().beep = [this] { ++beeps; };
        if (!settings.empty()) {
            QDir().mkpath(QFileInfo(SettingsFilePath()).path());
            QFile file(SettingsFilePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("[KESTRELON 5.2.9]\r\n");
            for (const std::string &line : settings)
                file.write(QByteArray::fromStdString(line + "\r\n"));
        }
        shelltest::ensureWindows();
        lpt = LptPort();
        ASSERT_NE(lpt, nullptr);
        ASSERT_NE(SoundEnginePtr(), nullptr);
    }

    ElementClock &clock() { return *SoundEngine().Clock; }
    // The straight key down and up, as the manual keying does it.
    void keyDown()
    {
        clock().ManualKeyDown = 1;
        clock().KeyFirstElement();
    }
    void keyUp() { clock().ManualKeyUp(); }
    int lastWrite()
    {
        const auto writes = state->writes();
        return writes.empty() ? -1 : writes.back();
    }
    std::string written(const std::function<void()> &action)
    {
        state->clear();
        action();
        return state->log();
    }
    std::vector<std::string> writtenSettings()
    {
        WriteSettingsFile();
        QFile file(SettingsFilePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        std::vector<std::string> lines;
        for (const QByteArray &line : file.readAll().split('\n')) {
            for (const char *key : {"IGNORELPT=", "LPT=", "ADLPT=", "LPTX=", "ADLPTX=", "PIN=", "LOGIC="})
                if (line.startsWith(key))
                    lines.push_back(line.trimmed().toStdString());
        }
        return lines;
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeParportState> state = std::make_shared<FakeParportState>();
    int beeps = 0;
    TLptPort *lpt = nullptr;
};

// Pins 1, 14 and 17 are driven inverted from their bits, pin 16 not.
bool pinHigh(int control, int pin)
{
    const bool bit = (control >> pin) & 1;
    return pin == 2 ? bit : !bit;
}

TEST_F(LptPanel, DetectionOnlyRecordsAndAPortWithoutAnAddressCannotBeChosen)
{
    start();
    EXPECT_EQ(lpt->EditLPT[1]->text(), "[0378h]");
    EXPECT_EQ(lpt->EditLPT[2]->text(), "[0000h]");
    EXPECT_EQ(lpt->RadioGroupLPT->ItemText(1), "LPT1");
    EXPECT_EQ(lpt->RadioGroupLPT->ItemText(2), "");
    EXPECT_EQ(state->log(), ""); // nothing claimed: the printer keeps its port

    lpt->RadioGroupLPT->Item(2)->click();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(lpt->RadioGroupLPT->ItemIndex(), 0);

    // A port without a pin: still nothing written.
    lpt->RadioGroupLPT->Item(1)->click();
    EXPECT_EQ(state->log(), "");
    // Pin 16, "Neg. logic" clear: claimed, and at once the idle level with bit 2 clear.
    lpt->RadioGroupPin->Item(2)->click();
    EXPECT_EQ(state->log(), "open " + lptSeams().roots.dev + "/parport0 claim read write 08");
    // Checked, its idle level sets bit 2; another pin's box changes nothing.
    EXPECT_EQ(written([&] { lpt->CheckBoxPin[2]->click(); }), "read write 0C");
    EXPECT_EQ(written([&] { lpt->CheckBoxPin[0]->click(); }), "");
    EXPECT_EQ(beeps, 1);
    // A signal that ends the program puts the claimed port at this idle level.
    const int entry = lpt->Lpt.Access().SafetyEntry();
    EXPECT_EQ(keyingsafety::ParallelKeyUp(entry), 0x0C);
    lpt->RadioGroupLPT->Item(0)->click();
    EXPECT_EQ(keyingsafety::ParallelKeyUp(entry), -1);
}

TEST_F(LptPanel, EveryPinAndPolarityKeysAsItsBoxSays)
{
    start();
    lpt->RadioGroupLPT->Item(1)->click();
    for (int pin = 0; pin < 4; ++pin) {
        for (bool negative : {true, false}) {
            lpt->RadioGroupPin->Item(pin)->click();
            if (lpt->CheckBoxPin[pin]->isChecked() != negative)
                lpt->CheckBoxPin[pin]->click();
            const int idle = lastWrite();
            state->clear();
            keyDown();
            keyUp();
            const auto writes = state->writes();
            ASSERT_EQ(writes.size(), 2u) << "pin index " << pin;
            const int down = writes[0], up = writes[1];
            // "Neg. logic": the pin low while the key is down and high while it is up;
            // clear, the reverse. Only the pin's bit moves, and key-up is the idle level.
            EXPECT_EQ(pinHigh(down, pin), !negative) << "pin index " << pin << " neg " << negative;
            EXPECT_EQ(pinHigh(up, pin), negative) << "pin index " << pin << " neg " << negative;
            EXPECT_EQ(down ^ up, 1 << pin);
            EXPECT_EQ(up, idle);
        }
    }
    EXPECT_EQ(beeps, 0);
}

TEST_F(LptPanel, TheElementClockKeysThePinForEachElementOfATypedCharacter)
{
    start({{0, "888\t1912"}}, true, {"LPT=1", "PIN=0", "LOGIC=N"});
    ASSERT_EQ(lastWrite(), 0x0C); // pin 1 high at rest: bit 0 clear
    auto &output = dynamic_cast<FakeAudioOutput &>(*SoundEngine().Output);
    SoundEngine().Timings.setSpeed(12);
    SoundEngine().Timings.setStartSilence(0);
    Form1->show();
    auto *box = Form1->findChild<QLineEdit *>(QStringLiteral("Editcaractere"));
    ASSERT_NE(box, nullptr);
    box->setFocus();
    state->clear();
    QTest::keyClicks(box, QStringLiteral("e"));
    ASSERT_TRUE(waitFor([&] { return state->writes() == std::vector<int>{0x0D, 0x0C}; }, 3000)) << state->log();
    output.finishAll();
    using namespace std::chrono;
    std::lock_guard g(state->m);
    const auto dot = duration_cast<milliseconds>(state->calls[1].first - state->calls[0].first).count();
    EXPECT_GE(dot, 94 - 15) << "the dot of an e at 12 wpm";
    EXPECT_LT(dot, 94 + 500);
}

TEST_F(LptPanel, ChangingThePinOrThePortWhileKeyedLetsTheKeyedPinGoFirst)
{
    start({{0, "888\t1912"}, {1, "632\t1656"}}, true, {"LPT=1", "PIN=0", "LOGIC=N"});
    keyDown();
    ASSERT_EQ(lastWrite(), 0x0D); // pin 1 keyed
    // Pin 14 chosen meanwhile: pin 1 back at rest before the new shadow is taken.
    EXPECT_EQ(written([&] { lpt->RadioGroupPin->Item(1)->click(); }), "write 0C read write 0C");
    // And the old pin stays at rest whatever the new one does.
    EXPECT_EQ(written([&] {
                  keyUp();
                  keyDown();
              }),
              "write 0C write 0E");
    // LPT2 chosen while keyed: LPT1's pin goes to rest before the port is given back.
    const std::string dev = lptSeams().roots.dev;
    EXPECT_EQ(written([&] { lpt->RadioGroupLPT->Item(2)->click(); }),
              "write 0C release close open " + dev + "/parport1 claim read write 0C");
    keyUp();
    EXPECT_EQ(written([&] { lpt->RadioGroupLPT->Item(0)->click(); }), "write 0C release close");
}

TEST_F(LptPanel, ACustomAddressMustBeAPortTheKernelOwns)
{
    start();
    lpt->RadioGroupPin->Item(3)->click();
    auto type = [&](const char *text) {
        lpt->EditLPTx->clear();
        QTest::keyClicks(lpt->EditLPTx, QString::fromLatin1(text));
    };
    const QString refused = QStringLiteral("Enter a VALID address as a 4 hexadecimal character string.\r\nThis address must be "
                                           "associated to an existing LPT port.\r\nA non-valid address may generate a "
                                           "system error!\r\nDetected LPT ports:\r\n");
    const QString report = refused + QStringLiteral("LPT1 : 0378 / ");

    type("12");
    EXPECT_EQ(withMessage([&] { lpt->CheckBoxLPTx->click(); }), ForDisplay(report));
    EXPECT_FALSE(lpt->CheckBoxLPTx->isChecked());
    EXPECT_TRUE(lpt->EditLPTx->text().isEmpty());
    EXPECT_EQ(beeps, 1);

    // Hexadecimal, but no parallel port of the kernel: the keyboard controller stays untouched.
    type("0060");
    EXPECT_EQ(withMessage([&] { lpt->CheckBoxLPTx->click(); }), ForDisplay(report));
    EXPECT_FALSE(lpt->CheckBoxLPTx->isChecked());
    EXPECT_TRUE(lpt->RadioGroupLPT->isEnabled());
    EXPECT_EQ(state->log(), "");

    type("03G8");
    EXPECT_EQ(withMessage([&] { lpt->CheckBoxLPTx->click(); }), QStringLiteral("LPT port address error"));
    EXPECT_FALSE(lpt->CheckBoxLPTx->isChecked());

    // The kernel's own port: taken after the caution, the group of detected ports put aside,
    // the pin at rest.
    type("0378");
    EXPECT_EQ(withMessage([&] { lpt->CheckBoxLPTx->click(); }), ForDisplay(MsgLptAddressCaution()));
    EXPECT_TRUE(lpt->CheckBoxLPTx->isChecked());
    EXPECT_FALSE(lpt->RadioGroupLPT->isEnabled());
    EXPECT_EQ(lastWrite(), 0x04); // pin 17 high at rest: bit 3 clear
    // Editing the address puts the custom port aside again.
    QTest::keyClick(lpt->EditLPTx, Qt::Key_Backspace);
    EXPECT_FALSE(lpt->CheckBoxLPTx->isChecked());
    EXPECT_TRUE(lpt->RadioGroupLPT->isEnabled());
    EXPECT_FALSE(lpt->PortInUse());
}

TEST_F(LptPanel, WithoutAccessToTheDriverThePortCannotBeChosen)
{
    start({{0, "888\t1912"}}, false);
    EXPECT_EQ(withMessage([&] { lpt->RadioGroupLPT->Item(1)->click(); }),
              "The parallel port cannot be used: the ppdev driver is not loaded\nor you have no access to "
              "/dev/parport*.\nAs administrator run \"modprobe ppdev\" and add your user to the group lp,\n"
              "then log in again and restart KESTRELON.");
    EXPECT_EQ(lpt->RadioGroupLPT->ItemIndex(), 0);
    EXPECT_EQ(beeps, 1);
    QTest::keyClicks(lpt->EditLPTx, QStringLiteral("0378"));
    EXPECT_EQ(withMessage([&] { lpt->CheckBoxLPTx->click(); }), ForDisplay(MsgPortDriverMissing()));
    EXPECT_FALSE(lpt->CheckBoxLPTx->isChecked());
    EXPECT_EQ(state->log(), "");
}

TEST_F(LptPanel, TheSettingsBringThePortBackOnlyWhereTheKernelHasIt)
{
    start({{0, "888\t1912"}}, true,
          {"LPT=1", "ADLPT=[03BCh]", "LPTX=OFF", "ADLPTX=0378", "PIN=2", "LOGIC=N", "COM=0"});
    // 0x3BC is no port of the kernel: LPT1 keeps its own address; pin 16 checked at rest.
    EXPECT_EQ(lpt->RadioGroupLPT->ItemIndex(), 1);
    EXPECT_EQ(lpt->EditLPT[1]->text(), "[0378h]");
    EXPECT_TRUE(lpt->CheckBoxPin[2]->isChecked());
    EXPECT_EQ(state->log(), "open " + lptSeams().roots.dev + "/parport0 claim read write 0C");
    EXPECT_EQ(writtenSettings(), (std::vector<std::string>{"LPT=1", "ADLPT=[0378h]", "LPTX=OFF", "ADLPTX=0378",
                                                           "PIN=2", "LOGIC=N"}));
}

TEST_F(LptPanel, IgnoredPortsAreNotLookedForAndAPortThatIsGoneIsNotChosen)
{
    // The custom address comes back without the caution the user gets when choosing it.
    EXPECT_EQ(withMessage([&] {
                  start({{0, "888\t1912"}}, true, {"IGNORELPT=1", "LPT=1", "LPTX=ON", "ADLPTX=0378", "PIN=0"});
              }),
              QString());
    EXPECT_TRUE(lpt->MenuNoLPT->isChecked());
    EXPECT_EQ(lpt->EditLPT[1]->text(), "[0000h]");
    EXPECT_EQ(lpt->RadioGroupLPT->ItemIndex(), 0);
    // The custom address of a port the kernel owns still serves.
    EXPECT_TRUE(lpt->CheckBoxLPTx->isChecked());
    EXPECT_EQ(lastWrite(), 0x0D); // pin 1, "Neg. logic" clear: high at rest
    EXPECT_EQ(writtenSettings(), (std::vector<std::string>{"IGNORELPT=1", "LPT=0", "LPTX=ON", "ADLPTX=0378",
                                                           "PIN=0", "LOGIC=P"}));
    // No port was looked for, so none is named when an address is refused.
    lpt->EditLPTx->clear();
    QTest::keyClicks(lpt->EditLPTx, QStringLiteral("12"));
    EXPECT_EQ(withMessage([&] { lpt->CheckBoxLPTx->click(); }),
              ForDisplay(MsgEnterValidLptAddress() + TxtDetectedLptPorts() + QStringLiteral(" NONE")));
    Form1->findChild<QAction *>(QStringLiteral("MenuPort"))->trigger();
    EXPECT_FALSE(lpt->RadioGroupLPT->isEnabled());
    EXPECT_FALSE(lpt->EditLPTx->isEnabled());
}

// Each road out of the program leaves the pin at rest; the quit command also gives the port
// back to the printer driver.
class LptQuit : public LptPanel {
protected:
    void SetUp() override
    {
        start({{0, "888\t1912"}}, true, {"LPT=1", "PIN=3", "LOGIC=N"});
        keyDown();
        ASSERT_EQ(lastWrite(), 0x0C); // pin 17 keyed: low
        state->clear();
    }
    static constexpr int Rest = 0x04;
};

TEST_F(LptQuit, TheQuitButton)
{
    shelltest::whenDialogShown([] { FormDialog->ButtonYes->click(); });
    Form1->ButtonQuitter->click();
    ASSERT_TRUE(Form1->Engine.Quitting);
    EXPECT_EQ(state->writes(), std::vector<int>{Rest});
    keyDown(); // nothing keys after the quit
    EXPECT_EQ(lastWrite(), Rest);
}

TEST_F(LptQuit, TheQuitCommand)
{
    Form1->MenuOutilsQuit->trigger();
    EXPECT_EQ(state->log(), "write 04 release close");
}

TEST_F(LptQuit, SigTerm)
{
    struct sigaction before {};
    ::sigaction(SIGTERM, nullptr, &before);
    InstallQuitSignals(RequestQuitFromOutside);
    StartupFinished();
    ::raise(SIGTERM);
    EXPECT_TRUE(waitFor([] { return Form1->Engine.Quitting; }));
    InstallQuitSignals(nullptr);
    ::sigaction(SIGTERM, &before, nullptr);
    EXPECT_EQ(state->log(), "write 04 release close");
}

} // namespace
