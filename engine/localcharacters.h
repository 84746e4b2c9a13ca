#pragma once

// The random character list and the user's local characters kept in it: up to 26 characters
// with a code and a comment of the user's choosing, created, modified and deleted by the editor
// panel and read back from the settings file.

#include "engine/morsecode.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int RandomCharactersSize = 142;
constexpr int RandomLettersFirst = 0;    // "a".."z"
constexpr int RandomFiguresFirst = 26;   // "0".."9"
constexpr int RandomStopsFirst = 36;     // the nine stops
constexpr int LocalCharactersFirst = 45; // the local characters
constexpr int BuiltInRandomCount = 45;   // letters, figures and stops
constexpr int MaxLocalCharacters = 26;
constexpr int OwnChoiceFirst = 72; // the user's own choice, up to the end of the list
constexpr int MaxLocalCodeSigns = 10;
constexpr int MaxLocalCommentLength = 22;

// The nine stops of the built-in character sets, in list order.
inline constexpr std::string_view RandomStops = ".,?/+'-=\"";

// The list that random picks draw from, in its fixed blocks, with the local characters and the
// active window (first index, count). Owned by the main window.
struct CharacterSets {
    CharacterSets();

    std::array<std::int32_t, RandomCharactersSize> RandomCharacters{};
    int RandomFirst = 0;
    int RandomCount = BuiltInRandomCount;
    int LocalCount = 0;
    // Index into RandomCharacters (45 + i) of the local character the editor works on; -1 when
    // none. Modify and Delete act only when it holds the character they are given.
    int LocalEditIndex = -1;
    // The text form of local character i (the character list's line for it; "" when unused).
    std::array<std::string, MaxLocalCharacters> LocalLines{};

    // Local character i (0 .. LocalCount - 1), as held in RandomCharacters.
    unsigned char LocalCharacter(int i) const
    {
        return static_cast<unsigned char>(RandomCharacters[LocalCharactersFirst + i]);
    }
};

// Which active character set follows the number of local characters after a create or a delete:
// "all" (45 + LocalCount) or "local" (LocalCount); none for the other sets.
enum class RandomSetFollow { None, All, Local };

// The text form of a local character: " " + character + "  " + code + "  " + comment.
std::string LocalCharacterLine(unsigned char character, std::string_view code,
                               std::string_view comment);

// The comment of a text-form line, read from position (code length + 7) counting from 1.
std::string LocalCommentFromLine(std::string_view line, std::size_t codeLength);

// Keeps only the dots and dashes of an edit's text, in order.
std::string FilterCodeSigns(std::string_view text);

// What the editor's character edit holds, in the order the editor tests it.
enum class LocalCharacterKind {
    Empty,      // nothing typed
    Blank,      // a blank: refused
    BuiltInSet, // one of the 45 characters of the built-in sets: refused with the warning
    Shortcut,   // a shortcut character: refused
    Local,      // an existing local character: LocalEditIndex now points at it
    New,        // anything else: may be created
};

// Looks at the editor's character (its text, only the first character counts, in lower case).
// For an existing local character sets LocalEditIndex to it.
LocalCharacterKind ClassifyLocalCharacter(CharacterSets &sets, std::string_view editText,
                                          std::string_view shortcutCharacters);

// Index i of a local character (compared in lower case), or -1.
int FindLocalCharacter(const CharacterSets &sets, unsigned char character);

// True when the character has a built-in code, so creating it as local needs the user's yes.
bool NeedsBuiltInOverrideConfirmation(unsigned char character);

enum class LocalResult {
    Done,
    Full,         // already 26 local characters
    Invalid,      // no character, a blank or control character, a built-in set character, a
                  // code that is empty, too long or not all dots and dashes
    AlreadyLocal, // create of a character that is already local
    NotFound,     // modify or delete of a character that LocalEditIndex does not hold
};

// Creates a local character (entered in lower case): appends it, writes its code at both case
// forms in the table, stores its line and makes it the editor's current character
// (LocalEditIndex), so a following Modify or Delete acts on it. The comment is cut to 22.
LocalResult CreateLocalCharacter(CharacterSets &sets, MorseCodeTable &codes,
                                 unsigned char character, std::string_view code,
                                 std::string_view comment, RandomSetFollow follow);

// Changes the code and comment of the local character at LocalEditIndex, which must hold the
// given character.
LocalResult ModifyLocalCharacter(CharacterSets &sets, MorseCodeTable &codes,
                                 unsigned char character, std::string_view code,
                                 std::string_view comment);

// Deletes the local character at LocalEditIndex, which must hold the given character: both
// case forms get their built-in codes back, the later characters move down one place.
LocalResult DeleteLocalCharacter(CharacterSets &sets, MorseCodeTable &codes,
                                 unsigned char character, RandomSetFollow follow);
