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

std::string wav(int channels, int rate, int bits, const std::string &data, std::size_t dataSize)
{
    auto le = [](std::uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return s;
    };
    const int block = channels * bits / 8;
    std::string fmt = le(1, 2) + le(static_cast<std::uint32_t>(channels), 2) + le(static_cast<std::uint32_t>(rate), 4)
        + le(static_cast<std::uint32_t>(rate * block), 4) + le(static_cast<std::uint32_t>(block), 2)
        + le(static_cast<std::uint32_t>(bits), 2);
    std::string body = "WAVE" + std::string("LIST") + le(3, 4) + "abc" + std::string(1, '\0') // odd chunk, padded
        + "fmt " + le(16, 4) + fmt + "data" + le(static_cast<std::uint32_t>(dataSize), 4) + data;
    return "RIFF" + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

} // namespace

TEST(WavSound, EightAndSixteenBitMonoOrStereoBecomeTheOutputsFormat)
{
    // 8 bit mono at half the output rate: each frame heard on both sides, twice as many frames.
    const std::string eight{'\x80', '\xC0', '\x40'};
    const auto a = ParseWavSound(wav(1, 11025, 8, eight, eight.size()));
    ASSERT_TRUE(a);
    ASSERT_EQ(a->size(), 2u * 5);
    EXPECT_EQ((*a)[0], 0);
    EXPECT_EQ((*a)[1], 0);
    EXPECT_EQ((*a)[2], 8192); // halfway from 0 to 16384
    EXPECT_EQ((*a)[4], 16384);
    EXPECT_EQ((*a)[5], 16384);
    EXPECT_EQ((*a)[8], -16384);

    // 16 bit stereo at the output rate: unchanged.
    std::string sixteen(8, '\0');
    const std::int16_t values[4] = {1000, -1000, 32767, -32768};
    std::memcpy(sixteen.data(), values, sizeof values);
    const auto b = ParseWavSound(wav(2, 22050, 16, sixteen, sixteen.size()));
    ASSERT_TRUE(b);
    EXPECT_EQ(*b, (std::vector<std::int16_t>{1000, -1000, 32767, -32768}));
}

TEST(WavSound, DamagedOrUnusualFilesAreRefusedAndACutDataChunkPlaysWhatIsThere)
{
    const std::string data(100, '\x80');
    EXPECT_FALSE(ParseWavSound(""));
    EXPECT_FALSE(ParseWavSound("RIFF1234WAVE"));
    EXPECT_FALSE(ParseWavSound(wav(3, 22050, 8, data, data.size())));
    EXPECT_FALSE(ParseWavSound(wav(1, 22050, 24, data, data.size())));
    EXPECT_FALSE(ParseWavSound(wav(1, 0, 8, data, data.size())));
    std::string noFormat = wav(1, 22050, 8, data, data.size());
    noFormat.replace(noFormat.find("fmt "), 4, "junk");
    EXPECT_FALSE(ParseWavSound(noFormat));
    const auto cut = ParseWavSound(wav(1, 22050, 8, data, 100000));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), 2u * 100);
}
