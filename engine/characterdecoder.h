#pragma once

// The character decoder shared by the hand key, the paddle keyer and the audio decoder: an
// element string ("." "-" and the doubtful "?" "!") is looked up in the working code table and
// becomes the text the monitor writes: a character in the monitor's case, a prosign in the
// chosen form, a local character's comment, or the string itself in brackets. Also the error
// prosign's erase of the monitor text and the element line's length rule.

#include "engine/morsecode.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

// How prosigns are written: "[AR]", the language's word in brackets, or a single sign.
enum class ProsignForm { Tag, Word, Sign };

struct CharacterDecoderOptions {
    ProsignForm prosigns = ProsignForm::Tag;
    bool localComments = false; // a local character as its comment in brackets
    bool errorErases = false;   // HH erases the last character instead of being written
    bool lowerCase = false;     // characters in lower case (else upper case)
};

// A local character and its line of the character list (" c  code  comment").
struct LocalCharacterEntry {
    unsigned char character = 0;
    std::string line;
};

struct DecodedCharacter {
    enum class Kind {
        Nothing, // an empty string: nothing is written
        Text,    // write `text` (Windows-1252)
        Erase,   // the error prosign: erase the last character of the monitor text
    };
    Kind kind = Kind::Nothing;
    std::string text;
};

// The working table is scanned from character 0 to 255: a prosign (1..7) or a character with a
// built-in code is taken at once; a local character gives way to a later built-in character of
// the same code. `prosignWords` are the seven words of AS, HH, KN, VA, SN, AR, BK.
DecodedCharacter DecodeElements(std::string_view code, const MorseCodeTable &working,
                                const CharacterDecoderOptions &options,
                                const std::array<std::string, 7> &prosignWords,
                                std::span<const LocalCharacterEntry> locals);

// The comment of a local character's line as the monitor shows it: the line after its first
// four characters, from behind the first double blank, at most 100 characters, trimmed.
std::string LocalCommentForMonitor(std::string_view line);

// The error prosign's erase: trailing blanks (space, CR, LF) first, then the last character,
// or a whole bracketed group when the text ends in "]" (only the "]" when no "[" precedes it).
// Works on std::string and QString alike.
template <typename Text>
void EraseLastCharacter(Text &text)
{
    auto last = [&text] { return text[text.size() - 1]; };
    while (text.size() > 0 && (last() == u' ' || last() == u'\r' || last() == u'\n'))
        text.resize(text.size() - 1);
    if (text.size() == 0)
        return;
    const auto end = text.size() - 1;
    if (last() == u']') {
        for (auto i = end; i-- > 0;) {
            if (text[i] == u'[') {
                text.resize(i);
                return;
            }
        }
    }
    text.resize(end);
}

// The element line keeps about 100 signs: a line longer than 100 first loses its first
// character, then the new signs are appended. Works on std::string and QString alike.
constexpr int ElementLineLength = 100;
template <typename Text>
void AppendToElementLine(Text &line, const Text &signs)
{
    if (line.size() > ElementLineLength)
        line.erase(line.begin(), line.begin() + 1);
    line += signs;
}
