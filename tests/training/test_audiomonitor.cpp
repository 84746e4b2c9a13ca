// The audio monitor in the program's window: Morse heard on the sound input (a fake input
// the test feeds, or ALSA's default capture device reading a file) decoded into the memo,
// the channels and thresholds, the filter button, window and Ctrl+arrow keys, the settings,
// and an input that cannot be used.

#include "tests/common/fakeaudioinput.h"
#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/engine/morsesignal.h"
#include "tests/shell/shelltestsupport.h"

#include "platform/portaudioinput.h"
#include "shell/formfilter.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/stepspinbox.h"
#include "shell/utilities.h"
#include "training/audiomonitor.h"
#include "training/monitor.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <portaudio.h>

using testsupport::waitFor;

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::control;

FakeAudioOutput &output()
{
    return shelltest::fake();
}

// "PARIS PARIS " at 20 wpm on both channels, loud enough for the default threshold.
std::vector<std::uint8_t> paris()
{
    return morsesignal::signal("PARIS PARIS ");
}

class AudioMonitor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        AudioInputFactory() = [this] {
            auto fake = std::make_unique<FakeAudioInput>();
            fake->openError = openError;
            fake->answersLate = answersLate;
            input = fake.get();
            return std::unique_ptr<AudioInput>(std::move(fake));
        };
        shelltest::ensureWindows();
        Form1->show();
        SoundEngine().State = EngineState{};
        box = control<QLineEdit>("Editcaractere");
        memo = control<QPlainTextEdit>("MemoMonitor");
        ASSERT_TRUE(box && memo);
    }

    // Entering the monitor with the left channel chosen (as the program starts) opens the
    // input; a message it shows is answered.
    QString enterMonitor()
    {
        return shelltest::withMessage([] { ClickButton(Form1->RadioButtonMonitor); });
    }

    QString caption() const { return control<QGroupBox>("GroupBoxAudioMonitor")->title(); }
    bool memoIs(const QString &text) { return waitFor([&] { return memo->toPlainText() == text; }, 5000); }
    void ctrlKey(Qt::Key key, Qt::KeyboardModifiers extra = {})
    {
        QTest::keyClick(box, key, Qt::ControlModifier | extra);
    }

    int openError = 0;
    bool answersLate = false;
    FakeAudioInput *input = nullptr;
    QLineEdit *box = nullptr;
    QPlainTextEdit *memo = nullptr;
};

} // namespace

TEST_F(AudioMonitor, ReceivedMorseIsWrittenIntoTheMemoWithItsElementsAndLevels)
{
    ASSERT_EQ(enterMonitor(), QString());
    ASSERT_TRUE(input && input->isOpen());
    EXPECT_TRUE(Hooks().waveInputOpen());
    EXPECT_TRUE(control<QWidget>("PanelErrAudioMonitor")->isHidden());
    const std::vector<std::uint8_t> frames = paris();
    // Within the first dash of the P: the level bars show the tone.
    input->capture({frames.begin(), frames.begin() + 2 * 5500});
    EXPECT_GT(control<QProgressBar>("ProgressBarLeft")->value(), 60);
    EXPECT_GT(control<QProgressBar>("ProgressBarRight")->value(), 60);
    input->capture({frames.begin() + 2 * 5500, frames.end()});
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("PARIS PARIS "));
    EXPECT_TRUE(control<QLineEdit>("EditMonitor")->text().endsWith(QStringLiteral(".--. .- .-. .. ... ")));
    EXPECT_TRUE(control<QLabel>("Label4")->text().startsWith(QStringLiteral(" p=")));
    EXPECT_EQ(control<QProgressBar>("ProgressBarLeft")->value(), 0);
}

TEST_F(AudioMonitor, OnlyTheChosenChannelIsHeardWithItsOwnThreshold)
{
    enterMonitor();
    std::vector<std::uint8_t> rightOnly = paris();
    for (std::size_t n = 0; n < rightOnly.size(); n += 2)
        rightOnly[n] = 128;
    input->capture(rightOnly);
    control<QSlider>("TrackBarRC")->setValue(120); // over the tone's peak
    control<QRadioButton>("RadioButtonRC")->click();
    EXPECT_FALSE(control<QRadioButton>("RadioButtonLC")->isChecked());
    input->capture(rightOnly);
    EXPECT_EQ(memo->toPlainText(), QString());
    control<QSlider>("TrackBarRC")->setValue(64);
    input->capture(rightOnly);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("PARIS PARIS "));
    // A key type closes the input; a channel opens it again.
    control<QRadioButton>("RadioButtonCTRL")->click();
    EXPECT_FALSE(input->isOpen() || control<QRadioButton>("RadioButtonRC")->isChecked());
    control<QRadioButton>("RadioButtonLC")->click();
    EXPECT_TRUE(input->isOpen());
    EXPECT_FALSE(control<QRadioButton>("RadioButtonCTRL")->isChecked());
}

TEST_F(AudioMonitor, TheFilterButtonWindowAndCtrlArrowsSetTheFilterAndTheCaption)
{
    enterMonitor();
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding"));
    auto *button = control<QToolButton>("SpeedButtonMonitorFilter");
    EXPECT_EQ(button->toolTip(), QStringLiteral("Audio Filter\nClick right for settings"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=800Hz / bw=100Hz"));
    EXPECT_TRUE(FormFilter->CheckBoxFilter->isChecked());
    EXPECT_EQ(button->toolTip(), QStringLiteral("Audio Filter\nCtrl+Up to increase fc\nCtrl+Down to decrease fc\n"
                                                "Ctrl+Right to increase bw\nCtrl+Left to decrease bw"));

    ctrlKey(Qt::Key_Up);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=810Hz / bw=100Hz"));
    EXPECT_EQ(FormFilter->UpDownFCenter->value(), 810);
    ctrlKey(Qt::Key_Right);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=810Hz / bw=150Hz"));
    ctrlKey(Qt::Key_Up, Qt::ShiftModifier);
    ctrlKey(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=810Hz / bw=150Hz"));
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left})
        ctrlKey(key); // the bandwidth held at its least
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=790Hz / bw=50Hz"));
    // The decoder hears through it: a tone at 2 kHz goes unheard.
    morsesignal::Options far;
    far.frequency = 2000;
    input->capture(morsesignal::signal("PARIS PARIS ", far));
    EXPECT_EQ(memo->toPlainText(), QString());

    // The filter window's box switches the filter as the button does.
    FormFilter->show();
    QTest::mouseClick(FormFilter->CheckBoxFilter, Qt::LeftButton);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding"));
    // Filter off: the arrows are the typing box's again.
    ctrlKey(Qt::Key_Up);
    EXPECT_EQ(FilterCenter, 790);
    FormFilter->close();

    // A right-button release on the button, and the menu item, open the window.
    QTest::mouseClick(button, Qt::RightButton);
    EXPECT_TRUE(FormFilter->isVisible());
    EXPECT_FALSE(button->isChecked());
    FormFilter->close();
    ClickNamed(Form1, "MenuAudioFilter");
    EXPECT_TRUE(FormFilter->isVisible());
}

TEST_F(AudioMonitor, AnInputThatCannotBeOpenedOrFailsTurnsDecodingOffAndSendingGoesOn)
{
    openError = paInvalidDevice;
    EXPECT_EQ(enterMonitor(), QStringLiteral("Err %1 : ").arg(paInvalidDevice) + MsgCannotOpenSoundCard());
    auto *panel = control<QWidget>("PanelErrAudioMonitor");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(control<QLabel>("StaticTextErrAudioMonitor")->text(),
              "Sound card error. Audio decoding unavailable. Check connections or other users then restart Kestrelon");
    EXPECT_FALSE(Hooks().waveInputOpen());
    // Typing still sends; the end of the text tries the input again without a new message.
    QTest::keyClicks(box, QStringLiteral("e"));
    ASSERT_FALSE(output().written.empty());
    EXPECT_EQ(shelltest::withMessage([] { output().finishAll(); }), QString());
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);
    EXPECT_EQ(input->openedDevices.size(), 2u);
    EXPECT_TRUE(panel->isVisible());

    // Now it opens, and later stops by itself: only the input is given up.
    input->openError = 0;
    enterMonitor();
    EXPECT_TRUE(panel->isHidden());
    input->fail(paDeviceUnavailable);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(Hooks().waveInputOpen());
    EXPECT_TRUE(SoundEngine().Output->isOpen());
    // Sending, and the end of the text opens it again.
    QTest::keyClicks(box, QStringLiteral("e"));
    output().finishAll();
    EXPECT_TRUE(input->isOpen());
    EXPECT_TRUE(panel->isHidden());
    // An open input is closed while something is sent.
    QTest::keyClicks(box, QStringLiteral("e"));
    EXPECT_FALSE(input->isOpen());
    EXPECT_FALSE(Hooks().waveInputOpen());
    output().finishAll();
    input->capture(paris());
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("PARIS PARIS "));
}

// A sound server that does not answer in time (frozen, or slow on a loaded desktop) is no
// refusal: nothing is said, and decoding starts once the device answers. A refusal that comes
// late is said once, as one that comes at once.
TEST_F(AudioMonitor, AnInputThatAnswersLateIsTakenWithoutAMessageAndALateRefusalIsSaidOnce)
{
    auto *panel = control<QWidget>("PanelErrAudioMonitor");
    answersLate = true;
    EXPECT_EQ(enterMonitor(), QString());
    ASSERT_TRUE(input && input->opening());
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(Hooks().waveInputOpen());
    input->answer(0);
    input->capture(paris());
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("PARIS PARIS "));

    ClickButton(Form1->RadioButtonAlphabet);
    EXPECT_EQ(enterMonitor(), QString());
    EXPECT_EQ(shelltest::withMessage([this] { input->answer(paInvalidDevice); }),
              QStringLiteral("Err %1 : ").arg(paInvalidDevice) + MsgCannotOpenSoundCard());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(Hooks().waveInputOpen());
    // Stopping by itself later is no refusal: the panel says it, no message.
    input->answersLate = false;
    ClickButton(Form1->RadioButtonAlphabet);
    enterMonitor();
    EXPECT_EQ(shelltest::withMessage([this] { input->fail(paDeviceUnavailable); }), QString());
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(AudioMonitor, WithoutASoundCardTheInputIsNotTriedAndTheStartsMessageIsNotRepeated)
{
    SoundEngine().State.NoSoundCard = true;
    openError = paInvalidDevice; // what trying the input would meet
    EXPECT_EQ(enterMonitor(), QString());
    EXPECT_EQ(input ? input->openedDevices.size() : 0u, 0u);
    EXPECT_TRUE(control<QWidget>("PanelErrAudioMonitor")->isVisible());
    EXPECT_FALSE(Hooks().waveInputOpen());
}

// An output still being opened (its server slow to answer, or lost for a while) is no missing
// card: the input is tried, without a message of its own when refused.
TEST_F(AudioMonitor, WhileTheOutputIsBeingOpenedAgainTheInputIsStillTried)
{
    SoundEngine().State.NoSoundCard = true;
    SoundEngine().State.OutputLost = true;
    EXPECT_EQ(enterMonitor(), QString());
    ASSERT_TRUE(input && input->isOpen());
    EXPECT_TRUE(control<QWidget>("PanelErrAudioMonitor")->isHidden());
    input->capture(paris());
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("PARIS PARIS "));

    ClickButton(Form1->RadioButtonAlphabet);
    input->openError = paInvalidDevice;
    EXPECT_EQ(enterMonitor(), QString());
    EXPECT_TRUE(control<QWidget>("PanelErrAudioMonitor")->isVisible());
}

TEST_F(AudioMonitor, TheFiltersSettingsAreHeldToItsRangesAndComeBack)
{
    Settings().read({{"AFCENTER=", "0"}, {"AFBW=", "-5"}, {"AFACTIVE=", "1"}, {"MONITOR_FILTER=", "1"},
                     {"LEFT_THRESHOLD=", "300"}, {"FILTERPOS=", "40,30"}, {"MONITOR_CHANNEL=", "RIGHT"}});
    RunModuleSteps(ModuleStep::PushParkedSettings);
    enterMonitor();
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=500Hz / bw=50Hz"));
    EXPECT_TRUE(FormFilter->CheckBoxFilter->isChecked());
    EXPECT_EQ(control<QSlider>("TrackBarLC")->value(), 127);
    EXPECT_TRUE(control<QRadioButton>("RadioButtonRC")->isChecked());
    Settings().read({{"AFCENTER=", "99999"}, {"AFBW=", "abc"}});
    RunModuleSteps(ModuleStep::PushParkedSettings);
    enterMonitor();
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=1500Hz / bw=50Hz"));
    std::string written;
    for (const auto &line : Settings().write())
        if (line.key == "AFCENTER=" || line.key == "AFBW=" || line.key == "AFACTIVE=" || line.key == "FILTERPOS="
            || line.key == "LEFT_THRESHOLD=")
            written += line.key + line.value + ";";
    EXPECT_EQ(written, "LEFT_THRESHOLD=127;FILTERPOS=40,30;AFCENTER=1500;AFBW=50;AFACTIVE=1;");
}

// ---- The real capture device ------------------------------------------------------------------

// Runs a child case of this program whose ALSA default device is `pcm`.
int runChild(const char *test, const QString &pcm, QByteArray *output)
{
    QTemporaryDir home;
    QFile rc(home.filePath(".asoundrc"));
    if (!rc.open(QIODevice::WriteOnly))
        return -1;
    rc.write(pcm.toUtf8());
    rc.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", QStringLiteral("--gtest_filter=AudioMonitorOnALSAChild.DISABLED_") + test});
    if (!child.waitForFinished(60000))
        child.kill();
    child.waitForFinished();
    *output = child.readAll();
    // A filter that matched nothing would pass too.
    if (!output->contains("[  PASSED  ] 1 test."))
        return -2;
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

TEST(AudioMonitorOnALSA, TheMonitorDecodesWhatTheDefaultCaptureDeviceHearsOrSaysThereIsNone)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("heard.raw");
    morsesignal::Options o;
    o.tailMs = 3000; // the file plugin repeats its last period once the file ends
    std::vector<std::int16_t> samples;
    for (std::uint8_t v : morsesignal::signal("PARIS PARIS ", o))
        samples.push_back(static_cast<std::int16_t>((v - 128) * 256));
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write(reinterpret_cast<const char *>(samples.data()), static_cast<qint64>(samples.size() * 2));
    raw.close();
    QByteArray output;
    EXPECT_EQ(runChild("Decodes",
                       QString("pcm.!default { type file; slave.pcm \"null\"; file \"/dev/null\"; infile \"%1\"; "
                               "format \"raw\" }\n").arg(file),
                       &output),
              0)
        << output.toStdString();
    EXPECT_EQ(runChild("Refused", "pcm.!default { type hw; card 77 }\n", &output), 0) << output.toStdString();
}

class AudioMonitorOnALSAChild : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        AudioInputFactory() = [] { return std::unique_ptr<AudioInput>(std::make_unique<PortAudioInput>()); };
        shelltest::ensureWindows();
        Form1->show();
        said = shelltest::withMessage([] { ClickButton(Form1->RadioButtonMonitor); });
    }
    void TearDown() override { CloseWaveInput(); }
    QString said;
};

TEST_F(AudioMonitorOnALSAChild, DISABLED_Decodes)
{
    EXPECT_EQ(said, QString());
    auto *memo = control<QPlainTextEdit>("MemoMonitor");
    EXPECT_TRUE(waitFor([&] { return memo->toPlainText() == QStringLiteral("PARIS PARIS "); }, 30000))
        << memo->toPlainText().toStdString();
}

TEST_F(AudioMonitorOnALSAChild, DISABLED_Refused)
{
    // The sound library's start may take longer than the opening's bound on a loaded machine:
    // the refusal then comes a little later.
    if (said.isEmpty())
        said = shelltest::withMessage(
            [] { waitFor([] { return control<QWidget>("PanelErrAudioMonitor")->isVisible(); }, 20000); });
    EXPECT_TRUE(said.startsWith(QStringLiteral("Err "))) << said.toStdString();
    EXPECT_TRUE(said.endsWith(MsgCannotOpenSoundCard()));
    EXPECT_TRUE(control<QWidget>("PanelErrAudioMonitor")->isVisible());
    EXPECT_FALSE(WaveInputIsOpen());
}
