// The sound input of the audio decoder: captured frames made into the decoder's blocks, and
// the real PortAudio stream reading ALSA's default capture device pointed at a file.

#include "platform/audioinput.h"
#include "platform/portaudioinput.h"
#include "tests/common/testsupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> convert(int rate, int channels, const std::vector<std::int16_t> &samples)
{
    InputConverter converter;
    converter.configure(rate, channels);
    std::vector<std::uint8_t> out;
    std::size_t blocks = 0;
    converter.feed(samples.data(), samples.size() / static_cast<std::size_t>(channels),
                   [&](std::span<const std::uint8_t> block) {
                       EXPECT_EQ(block.size(), AudioInput::BlockBytes);
                       ++blocks;
                       out.insert(out.end(), block.begin(), block.end());
                   });
    EXPECT_EQ(out.size(), blocks * AudioInput::BlockBytes);
    return out;
}

// A pattern of 16-bit stereo frames at 11025: left rises, right falls.
std::vector<std::int16_t> pattern(std::size_t frames)
{
    std::vector<std::int16_t> s;
    for (std::size_t n = 0; n < frames; ++n) {
        s.push_back(static_cast<std::int16_t>((n * 97) % 65536 - 32768));
        s.push_back(static_cast<std::int16_t>(32767 - (n * 89) % 65536));
    }
    return s;
}

std::uint8_t unsigned8(int value)
{
    return static_cast<std::uint8_t>((value >> 8) + 128);
}

} // namespace

TEST(InputConverter, SixteenBitsBecomeEightUnsignedInWholeBlocks)
{
    const std::vector<std::int16_t> edges = {-32768, 32767, -1, 0, 255, 256};
    std::vector<std::int16_t> samples;
    for (int k = 0; k < 370; ++k) // 1110 frames: one block
        samples.insert(samples.end(), edges.begin(), edges.end());
    const std::vector<std::uint8_t> out = convert(11025, 2, samples);
    ASSERT_EQ(out.size(), AudioInput::BlockBytes);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 6), (std::vector<std::uint8_t>{0, 255, 127, 128, 128, 129}));
    // Less than a block gives nothing yet.
    EXPECT_TRUE(convert(11025, 2, std::vector<std::int16_t>(2 * 1109, 0)).empty());
}

TEST(InputConverter, HigherRatesAreAveragedDownAndOneChannelIsHeardOnBoth)
{
    // 22050: each output frame the mean of two; 44100: of four.
    std::vector<std::int16_t> twice, four;
    for (int n = 0; n < 1110; ++n) {
        for (std::int16_t v : {std::int16_t(1000), std::int16_t(3000)}) {
            twice.push_back(v);
            twice.push_back(static_cast<std::int16_t>(-v));
        }
        for (std::int16_t v : {std::int16_t(0), std::int16_t(256), std::int16_t(512), std::int16_t(768)})
            four.push_back(v);
    }
    const std::vector<std::uint8_t> half = convert(22050, 2, twice);
    ASSERT_EQ(half.size(), AudioInput::BlockBytes);
    EXPECT_EQ(half[0], unsigned8(2000));
    EXPECT_EQ(half[1], unsigned8(-2000));
    // 4440 frames at 44100, one channel: 1110 frames out on both sides, one block.
    const std::vector<std::uint8_t> mono = convert(44100, 1, four);
    ASSERT_EQ(mono.size(), AudioInput::BlockBytes);
    for (std::size_t n = 0; n + 1 < mono.size(); n += 2) {
        EXPECT_EQ(mono[n], unsigned8(384));
        EXPECT_EQ(mono[n + 1], unsigned8(384));
    }
    // 48000: a second of capture gives a second of frames.
    InputConverter converter;
    converter.configure(48000, 2);
    std::size_t frames = 0;
    const std::vector<std::int16_t> second(2 * 48000, 0);
    for (int k = 0; k < 10; ++k)
        converter.feed(second.data(), 48000, [&](std::span<const std::uint8_t> block) { frames += block.size() / 2; });
    EXPECT_NEAR(double(frames), 10 * 11025.0, double(AudioInput::BlockFrames));
}

// ---- The real stream ---------------------------------------------------------------------------

const char *const InputFileVariable = "KESTRELON_CAPTURE_FILE";

// Runs one RealInputChild case in a fresh process whose ALSA default device is `pcm`.
int runChild(const QString &test, const QString &pcm, QString *output)
{
    QTemporaryDir home;
    QFile rc(home.filePath(".asoundrc"));
    if (!rc.open(QIODevice::WriteOnly))
        return -1;
    rc.write(pcm.toUtf8());
    rc.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("JACK_NO_START_SERVER", "1");
    env.remove("ALSA_CONFIG_PATH");
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=RealInputChild.DISABLED_" + test});
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
    }
    *output = QString::fromLocal8Bit(child.readAll());
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

constexpr std::size_t CapturedBlocks = 60; // twice the decoder's ring and more

TEST(RealInput, CapturesTheDefaultDevicesSoundInOrderWithNothingLost)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("capture.raw");
    // The file plugin repeats its last period once the file ends: the pattern is followed by
    // silence longer than any period.
    std::vector<std::int16_t> samples = pattern(CapturedBlocks * AudioInput::BlockFrames);
    samples.resize(samples.size() + 2 * 11025 * 2, 0);
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write(reinterpret_cast<const char *>(samples.data()), static_cast<qint64>(samples.size() * 2));
    raw.close();
    qputenv(InputFileVariable, file.toLocal8Bit());
    QString output;
    const int code = runChild("Captures",
                              QString("pcm.!default { type file; slave.pcm \"null\"; file \"/dev/null\"; "
                                      "infile \"%1\"; format \"raw\" }\n")
                                  .arg(file),
                              &output);
    EXPECT_EQ(code, 0) << output.toStdString();
}

TEST(RealInput, ADeviceThatCannotBeOpenedLeavesTheInputClosed)
{
    QString output;
    EXPECT_EQ(runChild("Refused", "pcm.!default { type hw; card 77 }\n", &output), 0) << output.toStdString();
}

TEST(RealInputChild, DISABLED_Captures)
{
    QFile raw(QString::fromLocal8Bit(qgetenv(InputFileVariable)));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.read(static_cast<qint64>(CapturedBlocks * AudioInput::BlockFrames * 4));
    std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    const std::vector<std::uint8_t> expected = convert(11025, 2, samples);

    PortAudioInput input;
    std::vector<std::uint8_t> got;
    input.setBlockHandler([&](std::span<const std::uint8_t> block) { got.insert(got.end(), block.begin(), block.end()); });
    bool failed = false;
    input.setFailureHandler([&](int) { failed = true; });
    ASSERT_EQ(input.open(-1), 0);
    std::printf("captured at %d Hz, %d channels\n", input.deviceRate(), input.deviceChannels());
    ASSERT_TRUE(testsupport::waitFor([&] { return got.size() >= expected.size() || failed; }, 20000));
    input.close();
    EXPECT_FALSE(failed);
    ASSERT_GE(got.size(), expected.size());
    got.resize(expected.size());
    const auto mismatch = std::mismatch(got.begin(), got.end(), expected.begin());
    EXPECT_TRUE(mismatch.first == got.end()) << "first difference at byte " << (mismatch.first - got.begin());
    // Closed, nothing more arrives.
    const std::size_t before = got.size();
    testsupport::waitFor([] { return false; }, 200);
    EXPECT_EQ(got.size(), before);
    // It opens again.
    ASSERT_EQ(input.open(-1), 0);
    EXPECT_TRUE(input.isOpen());
}

TEST(RealInputChild, DISABLED_Refused)
{
    PortAudioInput input;
    EXPECT_NE(input.open(-1), 0);
    EXPECT_FALSE(input.isOpen());
    input.close();
}
