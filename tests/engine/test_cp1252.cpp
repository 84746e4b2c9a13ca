#include "engine/cp1252.h"
#include "engine/random.h"

#include <gtest/gtest.h>

#include <set>

TEST(Cp1252, EveryByteRoundTripsThroughUnicode)
{
    for (int b = 0; b < 256; ++b) {
        char32_t u = cp1252::toUnicode(static_cast<unsigned char>(b));
        auto back = cp1252::fromUnicode(u);
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(*back, b);
    }
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(cp1252::fromQString(cp1252::toQString(all)), all);
}

TEST(Cp1252, UndefinedBytesMapToC1ControlsAndBack)
{
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(cp1252::toUnicode(b), char32_t(b));
        EXPECT_EQ(cp1252::fromUnicode(b), b);
    }
}

TEST(Cp1252, SpecialCharactersOfTheHighRange)
{
    EXPECT_EQ(cp1252::toUnicode(0x80), U'€');
    EXPECT_EQ(cp1252::fromUnicode(U'€'), 0x80);
    EXPECT_EQ(cp1252::fromUnicode(U'Ÿ'), 0x9F);
    EXPECT_EQ(cp1252::fromUnicode(U'…'), 0x85);
    // Latin-1's C1 controls that the code page replaced are not encodable.
    EXPECT_FALSE(cp1252::fromUnicode(0x80).has_value());
    EXPECT_FALSE(cp1252::fromUnicode(0x9F).has_value());
}

TEST(Cp1252, CharactersOutsideTheCodePageAreDroppedNotReplaced)
{
    EXPECT_FALSE(cp1252::fromUnicode(U'ő').has_value());
    EXPECT_FALSE(cp1252::fromUnicode(U'Ж').has_value());
    EXPECT_FALSE(cp1252::fromUnicode(0x1F600).has_value());
    EXPECT_EQ(cp1252::fromQString(QString::fromUtf8("aőbЖc😀")), "abc");
}

TEST(Cp1252, CasePairs)
{
    EXPECT_EQ(cp1252::toUpper('a'), 'A');
    EXPECT_EQ(cp1252::toLower('Z'), 'z');
    for (int b = 0xC0; b <= 0xDE; ++b) {
        if (b == 0xD7) {
            EXPECT_EQ(cp1252::toLower(0xD7), 0xD7);
            EXPECT_EQ(cp1252::toUpper(0xF7), 0xF7);
            continue;
        }
        EXPECT_EQ(cp1252::toLower(static_cast<unsigned char>(b)), b + 0x20) << b;
        EXPECT_EQ(cp1252::toUpper(static_cast<unsigned char>(b + 0x20)), b) << b;
    }
    const std::pair<unsigned char, unsigned char> pairs[] = {
        {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (auto [upper, lower] : pairs) {
        EXPECT_EQ(cp1252::toLower(upper), lower);
        EXPECT_EQ(cp1252::toUpper(lower), upper);
        EXPECT_EQ(cp1252::otherCase(upper), lower);
        EXPECT_EQ(cp1252::otherCase(lower), upper);
    }
    // No partner: ß, µ, ª, º, digits, prosigns.
    for (unsigned char b : {0xDF, 0xB5, 0xAA, 0xBA, int('5'), 1, 7}) {
        EXPECT_EQ(cp1252::toUpper(b), b);
        EXPECT_EQ(cp1252::toLower(b), b);
        EXPECT_EQ(cp1252::otherCase(b), b);
    }
    EXPECT_EQ(cp1252::toUpper(std::string("\xe4h\xff")), "\xc4H\x9f");
}

TEST(RandomGenerator, RangeAndSeeding)
{
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-3), 0);
    EXPECT_EQ(Random(1), 0);
    RandomSeed(42);
    std::vector<int> first;
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        int v = Random(7);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 7);
        first.push_back(v);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 7u);
    RandomSeed(42);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(Random(7), first[i]);
}
