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

const bool fakeSound = [] {
    SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<FakeAudioOutput>()); };
    return true;
}();

template <typename T>
T *control(const char *name)
{
    return Form1->findChild<T *>(QString::fromLatin1(name));
}

FakeAudioOutput &output()
{
    return dynamic_cast<FakeAudioOutput &>(*SoundEngine().Output);
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
    EXPECT_EQ(memo->toPlainText(), QString());

    // The right channel, with its threshold above the tone's peak: still nothing.
    control<QSlider>("TrackBarRC")->setValue(120);
    control<QRadioButton>("RadioButtonRC")->click();
    EXPECT_TRUE(control<QRadioButton>("RadioButtonRC")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("RadioButtonLC")->isChecked());
    EXPECT_EQ(AudioMonitorDecoder().DotEstimate(), -1);
    input->capture(rightOnly);
    EXPECT_EQ(memo->toPlainText(), QString());
    control<QSlider>("TrackBarRC")->setValue(64);
    input->capture(rightOnly);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("PARIS PARIS "));

    // A key type closes the input; the channel opens it again.
    control<QRadioButton>("RadioButtonCTRL")->click();
    EXPECT_FALSE(input->isOpen());
    EXPECT_FALSE(control<QRadioButton>("RadioButtonRC")->isChecked());
    control<QRadioButton>("RadioButtonLC")->click();
    EXPECT_TRUE(input->isOpen());
    EXPECT_FALSE(control<QRadioButton>("RadioButtonCTRL")->isChecked());
}

TEST_F(AudioMonitor, TheFilterButtonWindowAndCtrlArrowsSetTheFilterAndTheCaption)
{
    enterMonitor();
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding"));
    auto *button = control<QToolButton>("SpeedButtonMonitorFilter");
    EXPECT_EQ(button->toolTip(), ForDisplay(TxtAudioFilterHint()));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=800Hz / bw=100Hz"));
    EXPECT_TRUE(FormFilter->CheckBoxFilter->isChecked());
    EXPECT_EQ(button->toolTip(), ForDisplay(TxtAudioFilterKeysHint()));

    ctrlKey(Qt::Key_Up);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=810Hz / bw=100Hz"));
    EXPECT_EQ(FormFilter->UpDownFCenter->value(), 810);
    ctrlKey(Qt::Key_Right);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=810Hz / bw=150Hz"));
    ctrlKey(Qt::Key_Up, Qt::ShiftModifier);
    ctrlKey(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=810Hz / bw=150Hz"));
    ctrlKey(Qt::Key_Down);
    ctrlKey(Qt::Key_Down);
    ctrlKey(Qt::Key_Left);
    ctrlKey(Qt::Key_Left);
    ctrlKey(Qt::Key_Left); // held at the bandwidth's least
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=790Hz / bw=50Hz"));
    EXPECT_EQ(FilterCenter, 790);
    EXPECT_EQ(FilterBandwidth, 50);

    // The filter window's box switches the filter as the button does.
    FormFilter->show();
    QTest::mouseClick(FormFilter->CheckBoxFilter, Qt::LeftButton);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding"));
    // Filter off: the arrows are the typing box's again.
    ctrlKey(Qt::Key_Up);
    EXPECT_EQ(FilterCenter, 790);
    FormFilter->UpDownFCenter->setValue(1000);
    EXPECT_EQ(FilterCenter, 1000);
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding"));
    FormFilter->close();

    // A right-button release on the button, and the menu item, open the window.
    QTest::mouseClick(button, Qt::RightButton);
    EXPECT_TRUE(FormFilter->isVisible());
    EXPECT_FALSE(button->isChecked());
    FormFilter->close();
    ClickNamed(Form1, "MenuAudioFilter");
    EXPECT_TRUE(FormFilter->isVisible());
}

TEST_F(AudioMonitor, WithTheFilterOnAToneOutsideItsBandIsNotHeard)
{
    enterMonitor();
    morsesignal::Options far;
    far.frequency = 2000;
    QTest::mouseClick(control<QToolButton>("SpeedButtonMonitorFilter"), Qt::LeftButton);
    input->capture(morsesignal::signal("PARIS PARIS ", far));
    EXPECT_EQ(memo->toPlainText(), QString());
    // The filter moved onto it (in steps of 10 Hz, as the keys would).
    FormFilter->UpDownFCenter->setValue(1500);
    FormFilter->UpDownBW->setValue(400);
    far.frequency = 1500;
    input->capture(morsesignal::signal("PARIS PARIS ", far));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("PARIS PARIS "));
}

TEST_F(AudioMonitor, WithoutACaptureDeviceTheMonitorSaysSoAndSendingGoesOn)
{
    openError = paInvalidDevice;
    const QString said = enterMonitor();
    EXPECT_EQ(said, QStringLiteral("Err %1 : ").arg(paInvalidDevice) + MsgCannotOpenSoundCard());
    auto *panel = control<QWidget>("PanelErrAudioMonitor");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(control<QLabel>("StaticTextErrAudioMonitor")->text(), MsgAudioDecodingUnavailable());
    EXPECT_FALSE(Hooks().waveInputOpen());

    // Typing still sends; the end of the text tries the input again without a new message.
    QTest::keyClicks(box, QStringLiteral("e"));
    const std::size_t sent = output().written.size();
    ASSERT_GE(sent, 1u);
    EXPECT_EQ(shelltest::withMessage([] { output().finishAll(); }), QString());
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);
    EXPECT_EQ(input->openedDevices.size(), 2u);
    EXPECT_TRUE(panel->isVisible());
    QTest::keyClicks(box, QStringLiteral("t"));
    EXPECT_GT(output().written.size(), sent);
}

TEST_F(AudioMonitor, AnInputThatFailsTurnsDecodingOffAndSendingReopensIt)
{
    enterMonitor();
    const std::vector<std::uint8_t> frames = paris();
    input->capture({frames.begin(), frames.begin() + 2 * 9000});
    input->fail(paDeviceUnavailable);
    auto *panel = control<QWidget>("PanelErrAudioMonitor");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(Hooks().waveInputOpen());
    // Only the input was given up.
    EXPECT_TRUE(SoundEngine().Output->isOpen());

    // Sending closes the input (here: already closed); the empty queue opens it again.
    QTest::keyClicks(box, QStringLiteral("e"));
    EXPECT_EQ(output().written.size(), 1u);
    output().finishAll();
    EXPECT_TRUE(input->isOpen());
    EXPECT_TRUE(panel->isHidden());
    input->capture(paris());
    EXPECT_TRUE(memo->toPlainText().endsWith(QStringLiteral("PARIS PARIS "))) << memo->toPlainText().toStdString();

    // An open input is closed while something is sent.
    QTest::keyClicks(box, QStringLiteral("e"));
    EXPECT_FALSE(input->isOpen());
    EXPECT_FALSE(Hooks().waveInputOpen());
    output().finishAll();
    EXPECT_TRUE(input->isOpen());
}

TEST_F(AudioMonitor, TheFiltersSettingsAreHeldToItsRangesAndComeBack)
{
    const std::vector<settings::Line> damaged = {{"AFCENTER=", "0"},      {"AFBW=", "-5"},
                                                 {"AFACTIVE=", "1"},      {"MONITOR_FILTER=", "1"},
                                                 {"LEFT_THRESHOLD=", "300"}, {"RIGHT_THRESHOLD=", "12"},
                                                 {"FILTERPOS=", "40,30"}, {"MONITOR_CHANNEL=", "RIGHT"}};
    Settings().read(damaged);
    RunModuleSteps(ModuleStep::PushParkedSettings);
    enterMonitor();
    EXPECT_EQ(FormFilter->UpDownFCenter->value(), 500);
    EXPECT_EQ(FormFilter->UpDownBW->value(), 50);
    EXPECT_TRUE(FormFilter->CheckBoxFilter->isChecked());
    EXPECT_EQ(caption(), QStringLiteral("Audio decoding / fc=500Hz / bw=50Hz"));
    EXPECT_EQ(control<QSlider>("TrackBarLC")->value(), 127);
    EXPECT_TRUE(control<QRadioButton>("RadioButtonRC")->isChecked());

    Settings().read({{"AFCENTER=", "99999"}, {"AFBW=", "abc"}});
    RunModuleSteps(ModuleStep::PushParkedSettings);
    enterMonitor();
    EXPECT_EQ(FormFilter->UpDownFCenter->value(), 1500);
    EXPECT_EQ(FormFilter->UpDownBW->value(), 50);

    const std::vector<settings::Line> written = Settings().write();
    auto value = [&](const char *key) {
        for (const auto &l : written)
            if (l.key == key)
                return l.value;
        return std::string("(none)");
    };
    EXPECT_EQ(value("AFCENTER="), "1500");
    EXPECT_EQ(value("AFBW="), "50");
    EXPECT_EQ(value("AFACTIVE="), "1");
    EXPECT_EQ(value("MONITOR_FILTER="), "1");
    EXPECT_EQ(value("LEFT_THRESHOLD="), "127");
    EXPECT_EQ(value("RIGHT_THRESHOLD="), "12");
    EXPECT_EQ(value("FILTERPOS="), "40,30");
    EXPECT_EQ(value("MONITOR_CHANNEL="), "RIGHT");
}

// ---- The real capture device ------------------------------------------------------------------

const char *const CaptureFileVariable = "KESTRELON_MONITOR_CAPTURE";

TEST(AudioMonitorOnALSA, TheMonitorDecodesWhatTheDefaultCaptureDeviceHears)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("heard.raw");
    morsesignal::Options o;
    o.tailMs = 3000; // the file plugin repeats its last period once the file ends
    const std::vector<std::uint8_t> frames = morsesignal::signal("PARIS PARIS ", o);
    std::vector<std::int16_t> samples;
    for (std::uint8_t v : frames)
        samples.push_back(static_cast<std::int16_t>((v - 128) * 256));
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write(reinterpret_cast<const char *>(samples.data()), static_cast<qint64>(samples.size() * 2));
    raw.close();

    QTemporaryDir home;
    QFile rc(home.filePath(".asoundrc"));
    ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
    rc.write(QString("pcm.!default { type file; slave.pcm \"null\"; file \"/dev/null\"; infile \"%1\"; "
                     "format \"raw\" }\n")
                 .arg(file)
                 .toUtf8());
    rc.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert(CaptureFileVariable, file);
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=AudioMonitorOnALSAChild.DISABLED_Decodes"});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

TEST(AudioMonitorOnALSAChild, DISABLED_Decodes)
{
    ASSERT_FALSE(qgetenv(CaptureFileVariable).isEmpty());
    ASSERT_TRUE(fakeSound);
    AudioInputFactory() = [] { return std::unique_ptr<AudioInput>(std::make_unique<PortAudioInput>()); };
    shelltest::ensureWindows();
    Form1->show();
    EXPECT_EQ(shelltest::withMessage([] { ClickButton(Form1->RadioButtonMonitor); }), QString());
    auto *memo = control<QPlainTextEdit>("MemoMonitor");
    EXPECT_TRUE(waitFor([&] { return memo->toPlainText() == QStringLiteral("PARIS PARIS "); }, 30000))
        << memo->toPlainText().toStdString();
    CloseWaveInput();
}
