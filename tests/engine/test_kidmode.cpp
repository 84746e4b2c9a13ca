// Kid mode's pure rules: the check of the decoded text against the word to key, and the kid
// view's size at an enlargement. Also the short WAV sounds it plays.

#include "engine/kidmode.h"
#include "engine/wavsound.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(KidCheck, TheLastCharactersOfTheTextAreComparedWithTheWord)
{
    EXPECT_EQ(KidCheck("ABC HELLO", "hello"), KidCheckResult::Start);
    EXPECT_EQ(KidCheck("XHELLO", "hello"), KidCheckResult::Start);
    EXPECT_EQ(KidCheck("hello", "hello"), KidCheckResult::Start);
    EXPECT_EQ(KidCheck("HELLX", "hello"), KidCheckResult::Stop);
    // A word space after the word stops the animation.
    EXPECT_EQ(KidCheck("HELLO ", "hello"), KidCheckResult::Stop);
    // Blanks and line ends between the letters are skipped on both sides.
    EXPECT_EQ(KidCheck("HI\r\nYOU", "hiyou"), KidCheckResult::Start);
    EXPECT_EQ(KidCheck("HI\nYOU", "hiyou"), KidCheckResult::Start);
    EXPECT_EQ(KidCheck("H I Y O U", "hiyou"), KidCheckResult::Start);
    // Too short for the word, or too few letters once blanks are skipped: nothing changes.
    EXPECT_EQ(KidCheck("ELLO", "hello"), KidCheckResult::Unchanged);
    EXPECT_EQ(KidCheck("E\nL L O", "hello"), KidCheckResult::Unchanged);
    EXPECT_EQ(KidCheck("", "hello"), KidCheckResult::Unchanged);
    EXPECT_EQ(KidCheck("HELLO", ""), KidCheckResult::Unchanged);
    // Only A-Z are folded: an accented letter in upper case never matches its lower case.
    EXPECT_EQ(KidCheck("\xC9T\xC9", "\xE9t\xE9"), KidCheckResult::Stop);
}

TEST(KidCheck, TheViewsSizeIsStoredAtHundredPercent)
{
    const KidSize at150 = KidSizeAtZoom({600, 400}, 150);
    EXPECT_EQ(at150.width, 900);
    EXPECT_EQ(at150.height, 600);
    const KidSize back = KidSizeAtHundred({901, 601}, 150);
    EXPECT_EQ(back.width, 600); // Int(901 x 100 / 150)
    EXPECT_EQ(back.height, 400);
    const KidSize same = KidSizeAtHundred(KidSizeAtZoom({600, 400}, 150), 150);
    EXPECT_EQ(same.width, 600);
    EXPECT_EQ(same.height, 400);
}

namespace {

// A RIFF file with an odd-sized chunk before "fmt " (padded) and a data chunk of `dataSize`.
std::string wav(int channels, int rate, int bits, const std::string &data, std::size_t dataSize)
{
    auto le = [](std::uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return s;
    };
    const auto block = static_cast<std::uint32_t>(channels * bits / 8);
    const std::string body = "WAVELIST" + le(3, 4) + "abc" + std::string(1, '\0') + "fmt " + le(16, 4) + le(1, 2)
        + le(channels, 2) + le(rate, 4) + le(rate * block, 4) + le(block, 2) + le(bits, 2) + "data"
        + le(static_cast<std::uint32_t>(dataSize), 4) + data;
    return "RIFF" + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

} // namespace

TEST(WavSound, PcmFilesBecomeTheOutputsFormatAndDamagedOnesAreRefused)
{
    // 8 bit mono at half the output rate: heard on both sides, interpolated to twice the frames.
    const auto a = ParseWavSound(wav(1, 11025, 8, std::string{'\x80', '\xC0', '\x40'}, 3));
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, (std::vector<std::int16_t>{0, 0, 8192, 8192, 16384, 16384, 0, 0, -16384, -16384}));
    // 16 bit stereo at the output rate: unchanged.
    std::string sixteen(8, '\0');
    const std::int16_t values[4] = {1000, -1000, 32767, -32768};
    std::memcpy(sixteen.data(), values, sizeof values);
    EXPECT_EQ(ParseWavSound(wav(2, 22050, 16, sixteen, 8)), (std::vector<std::int16_t>{1000, -1000, 32767, -32768}));
    // A data chunk cut short plays what is there.
    const std::string data(100, '\x80');
    EXPECT_EQ(ParseWavSound(wav(1, 22050, 8, data, 100000))->size(), 2u * 100);
    EXPECT_FALSE(ParseWavSound(""));
    EXPECT_FALSE(ParseWavSound("RIFF1234WAVE"));
    EXPECT_FALSE(ParseWavSound(wav(3, 22050, 8, data, 100)));
    EXPECT_FALSE(ParseWavSound(wav(1, 22050, 24, data, 100)));
    EXPECT_FALSE(ParseWavSound(wav(1, 0, 8, data, 100)));
}
