#include "shell/settingsformat.h"

#include <gtest/gtest.h>

#include <climits>

using namespace settings;

TEST(SettingsFormat, LinesSplitOnAnyLineEndAndKeepValuesVerbatim)
{
    const std::string file = "[KESTRELON 5.2.9]\r\nSPEED=20\r\nSHORTCUT=a=b\nMSG=73 \rNOEQUALS\r\n=X\r\nMSG=\r\n\r\nBEND=x";
    const std::vector<Line> expected = {
        {"SPEED=", "20"}, {"SHORTCUT=", "a=b"}, {"MSG=", "73 "}, {"MSG=", ""}, {"BEND=", "x"}};
    EXPECT_EQ(ParseLines(file), expected);
    EXPECT_EQ(ParseLines(std::string("\0SPEED=1\0" "2", 11)), (std::vector<Line>{{"SPEED=", "12"}}));
}

TEST(SettingsFormat, FormatWritesHeaderAndCrLfAndNeverSplitsAValue)
{
    EXPECT_EQ(FormatFile({{"SPEED=", "12"}, {"MSG=", ""}, {"BTEXT=", "a\r\nLEVEL=0\0b"}}),
              std::string("[KESTRELON 5.2.9]\r\nSPEED=12\r\nMSG=\r\nBTEXT=aLEVEL=0\r\n"));
    std::string withNul = "x";
    withNul += '\0';
    withNul += "y";
    EXPECT_EQ(CleanValue(withNul), "xy");
}

TEST(SettingsFormat, IntegersAreStrict)
{
    struct Case {
        const char *text;
        std::optional<int> value;
    } cases[] = {
        {"12", 12}, {"-12", -12}, {"0", 0}, {"-0", 0}, {"007", 7}, {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN}, {"2147483648", std::nullopt}, {"99999999999999999999", std::nullopt},
        {"", std::nullopt}, {"-", std::nullopt}, {"abc", std::nullopt}, {"12a", std::nullopt},
        {" 12", std::nullopt}, {"12 ", std::nullopt}, {"+5", std::nullopt}, {"3.0", std::nullopt},
        {"1,5", std::nullopt}, {"$FF", std::nullopt}, {"--1", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(SettingsFormat, PasswordShiftMatchesTheStoredForm)
{
    // "abcabc" as two lines of "abc" each: 97+1, 98+4, 99+9.
    EXPECT_EQ(ShiftPassword("abc"), "bfl");
    EXPECT_EQ(UnshiftPassword("bfl"), "abc");
    // 0xFF + 4 wraps to 3 at position 2.
    EXPECT_EQ(ShiftPassword("a\xff"), std::string("b\x03"));
    EXPECT_EQ(UnshiftPassword(std::string("b\x03")), "a\xff");
}

TEST(SettingsFormat, PasswordBytesThatWouldBreakTheLineAreEscapedAndComeBack)
{
    // 'z' at 12 gives LF, 'd' at 13 gives CR, 'p' at 12 gives NUL, ')' at 15 gives LF.
    const std::string prefix11 = "abcdefghijk";
    for (std::string password : {prefix11 + "z", prefix11 + "p", prefix11 + "xd", std::string("abcdefghijklmn)")}) {
        std::string stored = ShiftPassword(password);
        for (char c : stored) {
            EXPECT_NE(c, '\n');
            EXPECT_NE(c, '\r');
            EXPECT_NE(c, '\0');
        }
        EXPECT_EQ(stored.size(), password.size() + 1) << password;
        EXPECT_EQ(UnshiftPassword(stored), password);
        // and through a whole file
        auto lines = ParseLines(FormatFile({{"MDPINT=", stored}}));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(UnshiftPassword(lines[0].value), password);
    }
    // Every byte at every position up to 40.
    for (int position = 1; position <= 40; ++position) {
        for (int b = 0; b < 256; ++b) {
            std::string password(static_cast<std::size_t>(position - 1), 'q');
            password.push_back(static_cast<char>(b));
            std::string stored = ShiftPassword(password);
            ASSERT_EQ(stored.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
            ASSERT_EQ(UnshiftPassword(stored), password) << position << " " << b;
        }
    }
}

TEST(SettingsFormat, PasswordReaderTakesALoneEscapeByteAsStored)
{
    // An older file may hold byte 1 raw: 1 - 1 = 0 at position 1, then 'b' - 4.
    EXPECT_EQ(UnshiftPassword(std::string("\x01" "f")), std::string("\0b", 2));
    EXPECT_EQ(UnshiftPassword(std::string("\x01")), std::string("\0", 1));
    EXPECT_EQ(UnshiftPassword(""), "");
}

TEST(SettingsFormat, Shortcuts)
{
    EXPECT_FALSE(ParseShortcut(""));
    auto s = ParseShortcut("a=b");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->character, 'a');
    EXPECT_EQ(s->text, "=b");
    s = ParseShortcut("#" + std::string(50, 'k'));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->character, '#');
    EXPECT_EQ(s->text, std::string(36, 'k'));
    s = ParseShortcut("x");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->text, "");
}

TEST(SettingsFormat, Lessons)
{
    struct Case {
        const char *value;
        int slot; // 0: refused
        const char *text;
    } cases[] = {
        {"ABC #3", 3, "abc"},   {"abc #61", 0, ""},   {"abc", 0, ""},      {"abc #0", 0, ""},
        {"abc #", 0, ""},       {"abc #x", 0, ""},    {"abc #-1", 0, ""},  {"  #5", 0, ""},
        {" #5", 5, ""},         {"q #60", 60, "q"},   {"a B #7", 7, "a b"}, {"r #05", 5, "r"},
        {"   #8", 8, "  "},     {"\x01k #9", 9, "\x01k"},
        {"r #123", 12, "r"},    {"\xC9t\xC9 #2", 2, "\xE9t\xE9"}, {"a#b #9", 9, "a#b"},
    };
    for (const Case &c : cases) {
        auto lesson = ParseLesson(c.value);
        if (c.slot == 0) {
            EXPECT_FALSE(lesson) << c.value;
            continue;
        }
        ASSERT_TRUE(lesson) << c.value;
        EXPECT_EQ(lesson->slot, c.slot) << c.value;
        EXPECT_EQ(lesson->text, c.text) << c.value;
    }
    auto longLesson = ParseLesson(std::string(70, 'k') + " #4");
    ASSERT_TRUE(longLesson);
    EXPECT_EQ(longLesson->text, std::string(55, 'k'));
    EXPECT_EQ(ParseLesson(std::string(60, ' ') + " #4")->text, std::string(55, ' '));
    EXPECT_EQ(FormatLesson({12, "abc"}), "abc #12");
    EXPECT_EQ(ParseLesson(FormatLesson({12, "abc"}))->text, "abc");
}

TEST(SettingsFormat, LocalCharacters)
{
    struct Case {
        std::string value;
        bool accepted;
        unsigned char character;
        const char *code;
    } cases[] = {
        {" X  .-..-", true, 'X', ".-..-"},
        {" x  abc", false, 0, ""},
        {" \xF1  --.--  n-tilde", true, 0xF1, "--.--"},
        {" u  ..-  U.S.-made", true, 'u', "..-"},
        {" u  ..-etc.", true, 'u', "..-"},
        {" u  ", false, 0, ""},
        {" u .-", false, 0, ""},
        {" u   .-", false, 0, ""},
        {" u  .-.-.-.-.-", true, 'u', ".-.-.-.-.-"},
        {" u  .-.-.-.-.-.", false, 0, ""},
        {" u  " + std::string(36, '.'), false, 0, ""},
        {std::string(" \x03  .-"), false, 0, ""},
    };
    for (const Case &c : cases) {
        auto local = ParseLocalCharacter(c.value);
        ASSERT_EQ(local.has_value(), c.accepted) << c.value;
        if (!local)
            continue;
        EXPECT_EQ(local->character, c.character) << c.value;
        EXPECT_EQ(local->code, c.code) << c.value;
        EXPECT_EQ(local->line, c.value) << c.value;
    }
    auto cut = ParseLocalCharacter(" y  -.--  " + std::string(50, 'c'));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->line.size(), 40u);
}

TEST(SettingsFormat, ChosenCharactersAndKochListAreCutAndLowered)
{
    EXPECT_EQ(ClipChosenCharacters("ABC\xC0"), "abc\xE0");
    EXPECT_EQ(ClipChosenCharacters(std::string(80, 'Q')), std::string(70, 'q'));
    EXPECT_EQ(ClipKochList(std::string(61, 'K')), std::string(60, 'k'));
    EXPECT_EQ(ClipKochList("KMRSU"), "kmrsu");
}
