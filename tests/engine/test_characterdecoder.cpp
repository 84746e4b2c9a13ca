// The character decoder shared by every input: element strings to monitor text, the error
// prosign's erase and the element line.

#include "engine/characterdecoder.h"
#include "engine/localcharacters.h"

#include <QString>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::array<std::string, 7> EnglishWords = {"wait", "error", "transmit", "end of work",
                                                  "understood", "end of message", "break"};

std::string decode(std::string_view code, CharacterDecoderOptions options = {},
                   const MorseCodeTable &table = DefaultMorseCodes,
                   std::span<const LocalCharacterEntry> locals = {})
{
    const DecodedCharacter c = DecodeElements(code, table, options, EnglishWords, locals);
    switch (c.kind) {
    case DecodedCharacter::Kind::Nothing:
        return "<nothing>";
    case DecodedCharacter::Kind::Erase:
        return "<erase>";
    case DecodedCharacter::Kind::Text:
        break;
    }
    return c.text;
}

} // namespace

TEST(CharacterDecoder, ProsignsInTheirThreeForms)
{
    CharacterDecoderOptions options;
    EXPECT_EQ(decode(".-.-.", options), "[AR]");
    options.prosigns = ProsignForm::Sign;
    EXPECT_EQ(decode(".-.-.", options), "+");
    EXPECT_EQ(decode("...-.", options), "SN");
    EXPECT_EQ(decode("-.--.", options), "(");
    options.prosigns = ProsignForm::Word;
    EXPECT_EQ(decode(".-.-.", options), "[end of message]");
    EXPECT_EQ(decode("-...-.-", options), "[break]");
    // HH is written like the others unless it is told to erase.
    EXPECT_EQ(decode("........", options), "[error]");
    options.errorErases = true;
    EXPECT_EQ(decode("........", options), "<erase>");
}

TEST(CharacterDecoder, CharactersInTheMonitorsCaseAndUnknownStringsInBrackets)
{
    EXPECT_EQ(decode(".-"), "A");
    EXPECT_EQ(decode(".-", {.lowerCase = true}), "a");
    EXPECT_EQ(decode("..--.."), "?");
    EXPECT_EQ(decode("..--"), "[..--]");
    EXPECT_EQ(decode(".-?"), "[.-?]");
    EXPECT_EQ(decode("-!"), "[-!]");
    // An empty string matches every character without a code; it writes nothing at all.
    EXPECT_EQ(decode(""), "<nothing>");

    // A local letter keeps its own case rules: é becomes É, and ß (no capital in the code
    // page) stays as it is.
    MorseCodeTable table = DefaultMorseCodes;
    table.set(0xE9, "..-..");
    table.set(0xDF, "...--..");
    EXPECT_EQ(decode("..-..", {}, table), "\xC9");
    EXPECT_EQ(decode("...--..", {}, table), "\xDF");
    EXPECT_EQ(decode("...--..", {.lowerCase = true}, table), "\xDF");
}

TEST(CharacterDecoder, ALocalCharacterGivesWayToALaterBuiltInOfTheSameCode)
{
    // "#" (35) as a local character with the code of "?" (63): the built-in one is written.
    MorseCodeTable table = DefaultMorseCodes;
    table.set('#', "..--..");
    EXPECT_EQ(decode("..--..", {}, table), "?");
    // With a code of its own it is written.
    table.set('#', "..--.-.");
    EXPECT_EQ(decode("..--.-.", {}, table), "#");
    // A built-in character given another code is still a built-in one: written at once.
    table.set(0xE0, ".-.-.-.");
    table.set('_', ".-.-.-.");
    EXPECT_EQ(decode(".-.-.-.", {}, table), "_");
}

TEST(CharacterDecoder, ALocalCharacterAsItsComment)
{
    MorseCodeTable table = DefaultMorseCodes;
    table.set(0xE4, ".-.-");
    table.set(0xC4, ".-.-");
    const std::vector<LocalCharacterEntry> locals = {
        {0xE4, LocalCharacterLine(0xE4, ".-.-", "a umlaut  ")}, // read back from the list line
    };
    CharacterDecoderOptions options{.localComments = true};
    // The scan meets the upper-case form first (196 before 228); it finds the line all the same.
    EXPECT_EQ(decode(".-.-", options, table, locals), "[a umlaut]");
    options.localComments = false;
    EXPECT_EQ(decode(".-.-", options, table, locals), "\xC4");
    options.lowerCase = true;
    EXPECT_EQ(decode(".-.-", options, table, locals), "\xE4");
    // A line without a comment writes the character.
    const std::vector<LocalCharacterEntry> bare = {{0xE4, LocalCharacterLine(0xE4, ".-.-", "")}};
    EXPECT_EQ(decode(".-.-", {.localComments = true}, table, bare), "\xC4");

    EXPECT_EQ(LocalCommentForMonitor(" x  -..-.-  " + std::string(120, 'c')), std::string(100, 'c'));
    EXPECT_EQ(LocalCommentForMonitor(" x"), "");
}

TEST(CharacterDecoder, TheErrorProsignErasesTheLastCharacterOrBracketedGroup)
{
    struct Case {
        std::string before, after;
    } cases[] = {
        {"A ", ""},
        {"[xy] ", ""},
        {"AB\r\n", "A"},
        {"HELLO [AR]\n", "HELLO "},
        // A "]" with no "[" before it (the memo is editable) removes only itself.
        {"KEEP THIS]", "KEEP THIS"},
        {"   \r\n", ""},
        {"", ""},
    };
    for (const Case &c : cases) {
        std::string text = c.before;
        EraseLastCharacter(text);
        EXPECT_EQ(text, c.after) << "from \"" << c.before << "\"";
        QString memo = QString::fromLatin1(c.before);
        EraseLastCharacter(memo);
        EXPECT_EQ(memo, QString::fromLatin1(c.after));
    }
}

TEST(CharacterDecoder, TheElementLineSettlesAtOneHundredAndOneSigns)
{
    std::string line;
    for (int i = 0; i < 150; ++i)
        AppendToElementLine(line, std::string(1, i % 2 ? '.' : '-'));
    EXPECT_EQ(line.size(), 101u);
    EXPECT_EQ(line.back(), '.');
    // A longer append after 101 still only drops one sign first.
    AppendToElementLine(line, std::string(" "));
    EXPECT_EQ(line.size(), 101u);
    AppendToElementLine(line, std::string("-- "));
    EXPECT_EQ(line.size(), 103u);
}
