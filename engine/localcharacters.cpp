#include "engine/localcharacters.h"

#include "engine/cp1252.h"

CharacterSets::CharacterSets()
{
    for (int i = 0; i < 26; ++i)
        RandomCharacters[RandomLettersFirst + i] = 'a' + i;
    for (int i = 0; i < 10; ++i)
        RandomCharacters[RandomFiguresFirst + i] = '0' + i;
    for (std::size_t i = 0; i < RandomStops.size(); ++i)
        RandomCharacters[RandomStopsFirst + i] = static_cast<unsigned char>(RandomStops[i]);
}

std::string LocalCharacterLine(unsigned char character, std::string_view code,
                               std::string_view comment)
{
    std::string line = " ";
    line += static_cast<char>(character);
    line += "  ";
    line += code;
    line += "  ";
    line += comment;
    return line;
}

std::string LocalCommentFromLine(std::string_view line, std::size_t codeLength)
{
    std::size_t start = codeLength + 6;
    return start < line.size() ? std::string(line.substr(start)) : std::string();
}

std::string FilterCodeSigns(std::string_view text)
{
    std::string signs;
    for (char c : text) {
        if (c == '.' || c == '-')
            signs += c;
    }
    return signs;
}

namespace {

bool isBuiltInSetCharacter(const CharacterSets &sets, unsigned char c)
{
    for (int i = 0; i < BuiltInRandomCount; ++i) {
        if (sets.RandomCharacters[i] == c)
            return true;
    }
    return false;
}

bool validLocalCode(std::string_view code)
{
    return !code.empty() && code.size() <= static_cast<std::size_t>(MaxLocalCodeSigns) &&
           IsMorseSigns(code);
}

// Writes a code at the character and at its other case form.
void setBothCases(MorseCodeTable &codes, unsigned char c, std::string_view code)
{
    codes.set(c, code);
    codes.set(cp1252::otherCase(c), code);
}

void updateRandomCount(CharacterSets &sets, RandomSetFollow follow)
{
    if (follow == RandomSetFollow::All)
        sets.RandomCount = sets.LocalCount + BuiltInRandomCount;
    else if (follow == RandomSetFollow::Local)
        sets.RandomCount = sets.LocalCount;
}

// The index i of the local character that LocalEditIndex points at, when that is the given
// character; -1 otherwise. Guards Modify and Delete against a stale index.
int editedLocal(const CharacterSets &sets, unsigned char character)
{
    int i = sets.LocalEditIndex - LocalCharactersFirst;
    if (i < 0 || i >= sets.LocalCount)
        return -1;
    if (sets.LocalCharacter(i) != cp1252::toLower(character))
        return -1;
    return i;
}

} // namespace

int FindLocalCharacter(const CharacterSets &sets, unsigned char character)
{
    unsigned char c = cp1252::toLower(character);
    for (int i = 0; i < sets.LocalCount; ++i) {
        if (sets.LocalCharacter(i) == c)
            return i;
    }
    return -1;
}

LocalCharacterKind ClassifyLocalCharacter(CharacterSets &sets, std::string_view editText,
                                          std::string_view shortcutCharacters)
{
    if (editText.empty())
        return LocalCharacterKind::Empty;
    unsigned char c = cp1252::toLower(static_cast<unsigned char>(editText.front()));
    if (c == ' ')
        return LocalCharacterKind::Blank;
    if (isBuiltInSetCharacter(sets, c))
        return LocalCharacterKind::BuiltInSet;
    for (char s : shortcutCharacters) {
        if (s != 0 && cp1252::toLower(static_cast<unsigned char>(s)) == c)
            return LocalCharacterKind::Shortcut;
    }
    int i = FindLocalCharacter(sets, c);
    if (i >= 0) {
        sets.LocalEditIndex = LocalCharactersFirst + i;
        return LocalCharacterKind::Local;
    }
    return LocalCharacterKind::New;
}

bool NeedsBuiltInOverrideConfirmation(unsigned char character)
{
    return !DefaultMorseCodes[cp1252::toLower(character)].empty();
}

LocalResult CreateLocalCharacter(CharacterSets &sets, MorseCodeTable &codes,
                                 unsigned char character, std::string_view code,
                                 std::string_view comment, RandomSetFollow follow)
{
    if (sets.LocalCount >= MaxLocalCharacters)
        return LocalResult::Full;
    unsigned char c = cp1252::toLower(character);
    if (c <= ' ' || c == 0x7F || isBuiltInSetCharacter(sets, c) || !validLocalCode(code))
        return LocalResult::Invalid;
    if (FindLocalCharacter(sets, c) >= 0)
        return LocalResult::AlreadyLocal;

    comment = comment.substr(0, MaxLocalCommentLength);
    int i = sets.LocalCount++;
    sets.RandomCharacters[LocalCharactersFirst + i] = c;
    setBothCases(codes, c, code);
    sets.LocalLines[i] = LocalCharacterLine(c, code, comment);
    sets.LocalEditIndex = LocalCharactersFirst + i;
    updateRandomCount(sets, follow);
    return LocalResult::Done;
}

LocalResult ModifyLocalCharacter(CharacterSets &sets, MorseCodeTable &codes,
                                 unsigned char character, std::string_view code,
                                 std::string_view comment)
{
    int i = editedLocal(sets, character);
    if (i < 0)
        return LocalResult::NotFound;
    if (!validLocalCode(code))
        return LocalResult::Invalid;
    unsigned char c = sets.LocalCharacter(i);
    setBothCases(codes, c, code);
    sets.LocalLines[i] = LocalCharacterLine(c, code, comment.substr(0, MaxLocalCommentLength));
    return LocalResult::Done;
}

LocalResult DeleteLocalCharacter(CharacterSets &sets, MorseCodeTable &codes,
                                 unsigned char character, RandomSetFollow follow)
{
    int i = editedLocal(sets, character);
    if (i < 0)
        return LocalResult::NotFound;
    unsigned char c = sets.LocalCharacter(i);
    unsigned char other = cp1252::otherCase(c);
    codes.set(c, DefaultMorseCodes[c]);
    codes.set(other, DefaultMorseCodes[other]);

    for (int j = i; j + 1 < sets.LocalCount; ++j) {
        sets.RandomCharacters[LocalCharactersFirst + j] =
            sets.RandomCharacters[LocalCharactersFirst + j + 1];
        sets.LocalLines[j] = std::move(sets.LocalLines[j + 1]);
    }
    int last = sets.LocalCount - 1;
    sets.RandomCharacters[LocalCharactersFirst + last] = 0;
    sets.LocalLines[last].clear();
    sets.LocalCount = last;
    sets.LocalEditIndex = -1;
    updateRandomCount(sets, follow);
    return LocalResult::Done;
}
