// Recording a text as a WAV file: the header of every format, the data as the sending engine
// renders it, and a failed write that leaves no half file behind.

#include "tests/common/testsupport.h"
#include "tests/engine/enginerig.h"

#include "engine/morsecode.h"
#include "engine/wavwriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

struct MemorySink : WavSink {
    std::vector<std::uint8_t> bytes;
    int write(const std::uint8_t *data, std::size_t size) override
    {
        bytes.insert(bytes.end(), data, data + size);
        return 0;
    }
    int patch(std::uint64_t offset, const std::uint8_t *data, std::size_t size) override
    {
        std::memcpy(bytes.data() + offset, data, size);
        return 0;
    }
    std::uint32_t u32(std::size_t at) const
    {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24;
    }
    std::uint16_t u16(std::size_t at) const { return std::uint16_t(bytes[at] | bytes[at + 1] << 8); }
    std::int16_t s16(std::size_t sample) const { return std::int16_t(u16(WavHeaderBytes + 2 * sample)); }
};

struct Recorder {
    Timing timing;
    ToneTables tables;
    MemorySink sink;
    WavResult record(const std::string &text, WavFormat format)
    {
        sink.bytes.clear();
        return RenderWav(sink, text, MorseCodes, timing, tables, format);
    }
};

constexpr WavFormat Mono8{1, 1, 8}, Mono16{1, 1, 16}, Stereo8{1, 2, 8}, Stereo16{1, 2, 16};

TEST(WavWriter, HeaderOfEveryFormatAndTheDataSizeOfOneCharacter)
{
    // " e" at 12 wpm: the blank's 6 gaps, the dot, its gap and the character space of 2 gaps,
    // each 2083 frames at 22050 Hz and 1041 at 11025 Hz.
    const struct {
        WavFormat format;
        std::uint32_t byteRate, block, data;
    } cases[] = {
        {Mono8, 22050, 1, 10 * 2083},       {Mono16, 44100, 2, 41660},
        {Stereo8, 44100, 2, 2 * 10 * 2083}, {Stereo16, 88200, 4, 83320},
        {{2, 1, 8}, 11025, 1, 10 * 1041},   {{2, 1, 16}, 22050, 2, 2 * 10 * 1041},
        {{2, 2, 8}, 22050, 2, 20820},       {{2, 2, 16}, 44100, 4, 4 * 10 * 1041},
    };
    Recorder r;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format.Rate() * 10 + c.format.Channels);
        const WavResult result = r.record(" e", c.format);
        ASSERT_EQ(result.error, 0);
        EXPECT_EQ(result.dataBytes, c.data);
        EXPECT_EQ(WavDataBytes(" e", MorseCodes, r.timing, c.format), c.data);
        const MemorySink &s = r.sink;
        ASSERT_EQ(s.bytes.size(), WavHeaderBytes + c.data + c.data % 2);
        EXPECT_EQ(std::string(s.bytes.begin(), s.bytes.begin() + 4), "RIFF");
        EXPECT_EQ(s.u32(4), c.data + 36 + c.data % 2);
        EXPECT_EQ(std::string(s.bytes.begin() + 8, s.bytes.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(s.u32(16), 16u);
        EXPECT_EQ(s.u16(20), 1u);
        EXPECT_EQ(s.u16(22), c.format.Channels);
        EXPECT_EQ(s.u32(24), std::uint32_t(c.format.Rate()));
        EXPECT_EQ(s.u32(28), c.byteRate);
        EXPECT_EQ(s.u16(32), c.block);
        EXPECT_EQ(s.u16(34), c.format.Bits);
        EXPECT_EQ(std::string(s.bytes.begin() + 36, s.bytes.begin() + 40), "data");
        EXPECT_EQ(s.u32(40), c.data);
    }
    // The half-to-even rounding of the lengths: at 16 wpm the dot is 1562 frames.
    r.timing.setSpeed(16);
    EXPECT_EQ(r.record(" e", Mono16).dataBytes, 31240u);
}

TEST(WavWriter, TheDataIsWhatTheEnginePlays)
{
    // The engine renders " paris" at 12 wpm (no start silence): one buffer per character.
    EngineRig rig;
    rig.send(" paris");
    rig.playAll();
    std::vector<std::int16_t> played;
    for (const auto &buffer : rig.output.written)
        played.insert(played.end(), buffer.values.begin(), buffer.values.end());

    Recorder r;
    ASSERT_EQ(r.record(" paris", Stereo16).error, 0);
    ASSERT_EQ(r.sink.bytes.size(), WavHeaderBytes + 2 * played.size());
    for (std::size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(r.sink.s16(i), played[i]) << "sample " << i;

    // Mono takes the left values; 8 bits keep the high byte, shifted to unsigned.
    ASSERT_EQ(r.record(" paris", Mono16).error, 0);
    for (std::size_t f = 0; f < played.size() / 2; ++f)
        ASSERT_EQ(r.sink.s16(f), played[2 * f]) << "frame " << f;
    ASSERT_EQ(r.record(" paris", Stereo8).error, 0);
    for (std::size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(r.sink.bytes[WavHeaderBytes + i], std::uint8_t((played[i] >> 8) + 128)) << "sample " << i;
}

TEST(WavWriter, HalfRateTakesEverySecondTableFrameAndFallsToSilence)
{
    Recorder r;
    ASSERT_EQ(r.record("t", {2, 2, 16}).error, 0);
    const auto tone = r.tables.ToneBuffer();
    const std::size_t dash = 12500 / 2 / 2; // 3125 frames at 11025 Hz
    for (std::size_t m = 0; m + 50 < dash; ++m) {
        ASSERT_EQ(r.sink.s16(2 * m), tone[2 * (2 * m)]) << m;
        ASSERT_EQ(r.sink.s16(2 * m + 1), r.sink.s16(2 * m)) << m;
    }
    EXPECT_EQ(r.sink.s16(2 * (dash - 1)), 0);       // the fall ends at 0
    EXPECT_NE(r.sink.s16(2 * (dash - 50) - 2), 0);  // and starts 50 frames before

    // 8 bits: silence is 128, and so is the end of the fall.
    ASSERT_EQ(r.record("t", {2, 1, 8}).error, 0);
    EXPECT_EQ(r.sink.bytes[WavHeaderBytes + dash - 1], 0x80);
    EXPECT_EQ(r.sink.bytes.back(), 0x80);
}

TEST(WavWriter, CharactersWithoutCodeAreSkippedAndOddDataIsPadded)
{
    Recorder r;
    const WavResult result = r.record(" #\x01", Mono16);
    // The blank's silence and the prosign AS; "#" has no code.
    EXPECT_EQ(result.dataBytes, WavDataBytes(" \x01", MorseCodes, r.timing, Mono16));
    ASSERT_EQ(r.record(" #", Mono16).dataBytes, 24996u);
    EXPECT_TRUE(std::all_of(r.sink.bytes.begin() + WavHeaderBytes, r.sink.bytes.end(), [](auto b) { return b == 0; }));

    // Mono 8 bits at 11025 Hz and 13 wpm: " t" is 9 gaps of 961 frames and a dash of 2884,
    // an odd number of bytes, which a pad byte follows.
    r.timing.setSpeed(13);
    const WavResult odd = r.record(" t", {2, 1, 8});
    ASSERT_EQ(odd.dataBytes, 11533u);
    EXPECT_EQ(r.sink.bytes.size(), WavHeaderBytes + odd.dataBytes + 1);
    EXPECT_EQ(r.sink.u32(4), odd.dataBytes + 37);
    EXPECT_EQ(r.sink.u32(40), odd.dataBytes);
}

TEST(WavWriter, ATextTooLongForAWavFileWritesNothing)
{
    Recorder r;
    r.timing.setSpeed(5);
    r.timing.setWordSpacing(20);
    const std::string blanks(2000, ' ');
    const WavResult result = r.record(blanks, Stereo16);
    EXPECT_EQ(result.error, EFBIG);
    EXPECT_TRUE(r.sink.bytes.empty());
}

// A disk that fills up after so many bytes.
class FullDisk : public WavFile {
public:
    FullDisk(std::string path, std::size_t room) : WavFile(std::move(path)), room_(room) {}

protected:
    ssize_t writeAt(int fd, const void *data, std::size_t size, off_t offset) override
    {
        if (std::size_t(offset) + size > room_) {
            errno = ENOSPC;
            return -1;
        }
        return WavFile::writeAt(fd, data, size, offset);
    }

private:
    std::size_t room_;
};

TEST(WavFileTest, AFailedWriteLeavesNoHalfFileAndTheOldOneAsItWas)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("Text1.wav")).toStdString();
    Recorder r;
    const std::string text = " paris paris paris paris paris paris paris paris paris paris";

    {
        WavFile file(path);
        const WavResult result = RecordWavFile(file, text, MorseCodes, r.timing, r.tables, Stereo16);
        ASSERT_EQ(result.error, 0);
        EXPECT_EQ(QFile(QString::fromStdString(path)).size(), qint64(WavHeaderBytes + result.dataBytes));
    }
    std::ifstream in(path, std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(in)), {});

    FullDisk full(path, 3'000'000);
    const WavResult result = RecordWavFile(full, text + text, MorseCodes, r.timing, r.tables, Stereo16);
    EXPECT_EQ(result.error, ENOSPC);
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Text1.wav")});

    // A folder that cannot be written: the error, and nothing made.
    WavFile nowhere(dir.filePath(QStringLiteral("missing/Text1.wav")).toStdString());
    EXPECT_EQ(RecordWavFile(nowhere, text, MorseCodes, r.timing, r.tables, Stereo16).error, ENOENT);
}

// An outside Morse decoder reads the recording back (skipped where none is installed).
TEST(WavFileTest, AnOutsideDecoderReadsTheRecordingBack)
{
    SKIP_WITHOUT_TOOLS({"multimon-ng", "multimon-ng"});
    const QString decoder = QStandardPaths::findExecutable(QStringLiteral("multimon-ng"));
    Recorder r;
    r.timing.setSpeed(20);
    ASSERT_EQ(r.record(" paris paris ", Mono16).error, 0);

    QProcess process;
    process.start(decoder, {QStringLiteral("-q"), QStringLiteral("-a"), QStringLiteral("MORSE_CW"),
                            QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-")});
    ASSERT_TRUE(process.waitForStarted(5000));
    process.write(reinterpret_cast<const char *>(r.sink.bytes.data() + WavHeaderBytes),
                  qint64(r.sink.bytes.size() - WavHeaderBytes));
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString heard = QString::fromLatin1(process.readAllStandardOutput()).simplified().toLower();
    EXPECT_TRUE(heard.contains(QStringLiteral("paris paris"))) << heard.toStdString();
}

} // namespace
