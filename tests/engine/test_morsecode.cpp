#include "engine/localcharacters.h"
#include "engine/morsecode.h"

#include <gtest/gtest.h>

#include <array>
#include <span>
#include <string>

namespace {
unsigned char u8(char c)
{
    return static_cast<unsigned char>(c);
}
constexpr unsigned char aUmlaut = 0xE4, AUmlaut = 0xC4;
} // namespace

// The built-in table against two listings of its own: the International Morse code as
// Recommendation ITU-R M.1677-1 gives it (letters, figures, punctuation, and the service
// signals that the program sends as prosigns), and the program's additions (the signs that
// recommendation has no code for, three sharing a prosign's code, and the prosigns KN and BK).
// Every character has the code of one listing, both cases of a letter alike, or none at all.
TEST(MorseCodes, BuiltInTableIsTheInternationalCodeAndTheProgramsAdditions)
{
    struct Listed {
        int c;
        const char *code;
    };
    const Listed international[] = {
        // Letters (the accented e is left out: no character above 127 has a built-in code)
        {'A', ".-"}, {'B', "-..."}, {'C', "-.-."}, {'D', "-.."}, {'E', "."}, {'F', "..-."},
        {'G', "--."}, {'H', "...."}, {'I', ".."}, {'J', ".---"}, {'K', "-.-"}, {'L', ".-.."},
        {'M', "--"}, {'N', "-."}, {'O', "---"}, {'P', ".--."}, {'Q', "--.-"}, {'R', ".-."},
        {'S', "..."}, {'T', "-"}, {'U', "..-"}, {'V', "...-"}, {'W', ".--"}, {'X', "-..-"},
        {'Y', "-.--"}, {'Z', "--.."},
        // Figures
        {'1', ".----"}, {'2', "..---"}, {'3', "...--"}, {'4', "....-"}, {'5', "....."},
        {'6', "-...."}, {'7', "--..."}, {'8', "---.."}, {'9', "----."}, {'0', "-----"},
        // Full stop, comma, colon, question mark, apostrophe, hyphen, fraction bar, brackets,
        // inverted commas, double hyphen, cross, commercial at
        {'.', ".-.-.-"}, {',', "--..--"}, {':', "---..."}, {'?', "..--.."}, {'\'', ".----."},
        {'-', "-....-"}, {'/', "-..-."}, {'(', "-.--."}, {')', "-.--.-"}, {'"', ".-..-."},
        {'=', "-...-"}, {'+', ".-.-."}, {'@', ".--.-."},
        // Wait, error, end of work, understood, cross (end of message)
        {ProsignAS, ".-..."}, {ProsignHH, "........"}, {ProsignVA, "...-.-"}, {ProsignSN, "...-."},
        {ProsignAR, ".-.-."},
    };
    const Listed additions[] = {
        {'!', "-.-.--"}, {'$', "...-..-"}, {';', "-.-.-."}, {'_', "..--.-"},
        {'&', ".-..."},    // as AS
        {'<', "........"}, // as HH
        {'>', "...-.-"},   // as VA
        {ProsignKN, "-.--."}, {ProsignBK, "-...-.-"},
    };
    std::array<std::string, 256> expected;
    for (const auto &listing : {std::span<const Listed>(international), std::span<const Listed>(additions)}) {
        for (const Listed &l : listing) {
            expected[l.c] = l.code;
            if (l.c >= 'A' && l.c <= 'Z')
                expected[l.c + ('a' - 'A')] = l.code;
        }
    }
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(DefaultMorseCodes[c], expected[c]) << "character " << c;
    EXPECT_EQ(DefaultMorseCodes.count(), 89);
    // The working table starts as the built-in one.
    EXPECT_EQ(MorseCodes, DefaultMorseCodes);
}

TEST(MorseCodes, TableRefusesCodesItCannotKey)
{
    MorseCodeTable t = DefaultMorseCodes;
    EXPECT_TRUE(t.set('#', std::string(15, '-')));
    EXPECT_EQ(t['#'].size(), 15u);
    EXPECT_FALSE(t.set('#', std::string(16, '.')));
    EXPECT_EQ(t['#'], std::string(15, '-')); // unchanged
    EXPECT_FALSE(t.set('e', ". -"));
    EXPECT_FALSE(t.set('e', "._"));
    EXPECT_EQ(t['e'], ".");
    EXPECT_TRUE(t.set('e', ""));
    EXPECT_TRUE(t['e'].empty());
    EXPECT_TRUE(t[300].empty());
    EXPECT_TRUE(t[-1].empty());
}

TEST(LocalCharacters, ListBlocksAndTextForm)
{
    CharacterSets sets;
    EXPECT_EQ(sets.RandomCharacters[0], 'a');
    EXPECT_EQ(sets.RandomCharacters[25], 'z');
    EXPECT_EQ(sets.RandomCharacters[26], '0');
    EXPECT_EQ(sets.RandomCharacters[35], '9');
    const std::string stops = ".,?/+'-=\"";
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(sets.RandomCharacters[36 + i], u8(stops[i]));
    EXPECT_EQ(sets.RandomCharacters[45], 0);
    EXPECT_EQ(sets.RandomCount, 45);

    std::string line = LocalCharacterLine(aUmlaut, "..--", "umlaut a");
    EXPECT_EQ(line, std::string(" \xE4  ..--  umlaut a"));
    EXPECT_EQ(LocalCommentFromLine(line, 4), "umlaut a");
    EXPECT_EQ(LocalCommentFromLine(LocalCharacterLine(aUmlaut, "..--", ""), 4), "");
    EXPECT_EQ(FilterCodeSigns("a.-b-_ ."), ".--.");
}

TEST(LocalCharacters, LocalLetterSetsBothCasesAndDeleteClearsThem)
{
    CharacterSets sets;
    MorseCodeTable codes = DefaultMorseCodes;
    EXPECT_FALSE(NeedsBuiltInOverrideConfirmation(AUmlaut));
    // Typed in upper case, kept in lower case.
    ASSERT_EQ(CreateLocalCharacter(sets, codes, AUmlaut, "..--", "umlaut", RandomSetFollow::All),
              LocalResult::Done);
    EXPECT_EQ(codes[aUmlaut], "..--");
    EXPECT_EQ(codes[AUmlaut], "..--");
    EXPECT_EQ(sets.RandomCharacters[45], aUmlaut);
    EXPECT_EQ(sets.LocalCount, 1);
    EXPECT_EQ(sets.RandomCount, 46);
    EXPECT_EQ(sets.LocalLines[0], std::string(" \xE4  ..--  umlaut"));

    // Create leaves the editor on the new character: Delete right after acts on it, not on "a".
    ASSERT_EQ(DeleteLocalCharacter(sets, codes, aUmlaut, RandomSetFollow::All), LocalResult::Done);
    EXPECT_TRUE(codes[aUmlaut].empty());
    EXPECT_TRUE(codes[AUmlaut].empty());
    EXPECT_EQ(codes, DefaultMorseCodes);
    EXPECT_EQ(sets.RandomCharacters[0], 'a');
    EXPECT_EQ(sets.RandomCharacters[45], 0);
    EXPECT_EQ(sets.LocalCount, 0);
    EXPECT_EQ(sets.RandomCount, 45);
    EXPECT_TRUE(sets.LocalLines[0].empty());
}

TEST(LocalCharacters, ModifyRightAfterCreateActsOnTheNewCharacter)
{
    CharacterSets sets;
    MorseCodeTable codes = DefaultMorseCodes;
    ASSERT_EQ(CreateLocalCharacter(sets, codes, 0xFF, ".-.-", "y", RandomSetFollow::None),
              LocalResult::Done);
    ASSERT_EQ(ModifyLocalCharacter(sets, codes, 0xFF, "--..-", "y2"), LocalResult::Done);
    EXPECT_EQ(codes[0xFF], "--..-");
    EXPECT_EQ(codes[0x9F], "--..-"); // Ÿ is the other case of ÿ
    EXPECT_EQ(codes['a'], ".-");
    EXPECT_EQ(sets.LocalLines[0], std::string(" \xFF  --..-  y2"));
    // A character the index does not hold is left alone.
    EXPECT_EQ(ModifyLocalCharacter(sets, codes, 'a', "...", ""), LocalResult::NotFound);
    EXPECT_EQ(DeleteLocalCharacter(sets, codes, 'a', RandomSetFollow::None), LocalResult::NotFound);
    EXPECT_EQ(codes['a'], ".-");
    EXPECT_EQ(sets.RandomCharacters[0], 'a');
}

TEST(LocalCharacters, OverridingABuiltInCodeAndRestoringIt)
{
    CharacterSets sets;
    MorseCodeTable codes = DefaultMorseCodes;
    EXPECT_TRUE(NeedsBuiltInOverrideConfirmation('!'));
    ASSERT_EQ(CreateLocalCharacter(sets, codes, '!', "..", "", RandomSetFollow::Local),
              LocalResult::Done);
    EXPECT_EQ(codes['!'], "..");
    EXPECT_EQ(sets.RandomCount, 1);
    ASSERT_EQ(DeleteLocalCharacter(sets, codes, '!', RandomSetFollow::Local), LocalResult::Done);
    EXPECT_EQ(codes['!'], "-.-.--");
    EXPECT_EQ(sets.RandomCount, 0);
}

TEST(LocalCharacters, DeletingTheThirdOfFiveShiftsTheLaterOnes)
{
    CharacterSets sets;
    MorseCodeTable codes = DefaultMorseCodes;
    const unsigned char chars[] = {0xE0, 0xE4, 0xE9, 0xF1, 0xF6};
    const char *codeOf[] = {".--.-", ".-.-", "..-..", "--.--", "---."};
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(CreateLocalCharacter(sets, codes, chars[i], codeOf[i], "c", RandomSetFollow::All),
                  LocalResult::Done);
    EXPECT_EQ(sets.RandomCount, 50);

    ASSERT_EQ(ClassifyLocalCharacter(sets, "\xE9", ""), LocalCharacterKind::Local);
    EXPECT_EQ(sets.LocalEditIndex, 47);
    ASSERT_EQ(DeleteLocalCharacter(sets, codes, 0xE9, RandomSetFollow::All), LocalResult::Done);

    EXPECT_EQ(sets.LocalCount, 4);
    EXPECT_EQ(sets.RandomCount, 49);
    const unsigned char expected[] = {0xE0, 0xE4, 0xF1, 0xF6, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sets.RandomCharacters[45 + i], expected[i]) << i;
    EXPECT_EQ(sets.LocalLines[2], LocalCharacterLine(0xF1, "--.--", "c"));
    EXPECT_EQ(sets.LocalLines[3], LocalCharacterLine(0xF6, "---.", "c"));
    EXPECT_TRUE(sets.LocalLines[4].empty());
    EXPECT_TRUE(codes[0xE9].empty());
    EXPECT_TRUE(codes[0xC9].empty());
    EXPECT_EQ(codes[0xD6], "---.");
    EXPECT_EQ(FindLocalCharacter(sets, 0xD1), 2);
}

TEST(LocalCharacters, RefusalsOfTheModel)
{
    CharacterSets sets;
    MorseCodeTable codes = DefaultMorseCodes;
    struct Case {
        unsigned char c;
        std::string code;
        LocalResult result;
    };
    const Case cases[] = {
        {'a', "..", LocalResult::Invalid},                  // built-in set
        {'B', "..", LocalResult::Invalid},                  // built-in set, in upper case
        {'?', "..", LocalResult::Invalid},                  // one of the nine stops
        {' ', "..", LocalResult::Invalid},                  // blank
        {0xE4, "", LocalResult::Invalid},                   // no code
        {0xE4, ".x", LocalResult::Invalid},                 // not a code
        {0xE4, std::string(11, '.'), LocalResult::Invalid}, // longer than the editor allows
        {0xE4, std::string(10, '.'), LocalResult::Done},
        {0xC4, "..", LocalResult::AlreadyLocal},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CreateLocalCharacter(sets, codes, c.c, c.code, "", RandomSetFollow::None),
                  c.result)
            << int(c.c) << " " << c.code;
    EXPECT_EQ(codes['a'], ".-");
    EXPECT_EQ(sets.LocalCount, 1);

    // The page holds 26; the 27th is refused.
    for (int c = 0xE0; sets.LocalCount < 26; ++c)
        CreateLocalCharacter(sets, codes, static_cast<unsigned char>(c), "-.-..",
                             std::string(30, 'x'), RandomSetFollow::None);
    EXPECT_EQ(sets.LocalLines[25].size(), 4u + 5 + 2 + 22); // comment cut to 22
    EXPECT_EQ(CreateLocalCharacter(sets, codes, '#', "..", "", RandomSetFollow::None),
              LocalResult::Full);
    EXPECT_TRUE(codes['#'].empty());
}

TEST(LocalCharacters, EditorClassification)
{
    CharacterSets sets;
    MorseCodeTable codes = DefaultMorseCodes;
    CreateLocalCharacter(sets, codes, 0xE4, "..--", "", RandomSetFollow::None);
    sets.LocalEditIndex = -1;
    EXPECT_EQ(ClassifyLocalCharacter(sets, "", "#"), LocalCharacterKind::Empty);
    EXPECT_EQ(ClassifyLocalCharacter(sets, " ", "#"), LocalCharacterKind::Blank);
    EXPECT_EQ(ClassifyLocalCharacter(sets, "a", "#"), LocalCharacterKind::BuiltInSet);
    EXPECT_EQ(ClassifyLocalCharacter(sets, "=", "#"), LocalCharacterKind::BuiltInSet);
    EXPECT_EQ(ClassifyLocalCharacter(sets, "#", "#"), LocalCharacterKind::Shortcut);
    EXPECT_EQ(ClassifyLocalCharacter(sets, "!", "#"), LocalCharacterKind::New);
    EXPECT_EQ(sets.LocalEditIndex, -1);
    EXPECT_EQ(ClassifyLocalCharacter(sets, "\xC4", "#"), LocalCharacterKind::Local);
    EXPECT_EQ(sets.LocalEditIndex, 45);
}
