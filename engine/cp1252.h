#pragma once

// Windows-1252 is the program's text encoding: the engine, the modes and every file hold
// 8-bit strings in it, with prosigns as the bytes 1 to 7. These functions are the only
// conversion to and from Unicode (Qt 6.4 has no guaranteed Windows-1252 codec) and the only
// case mapping used on engine text.

#include <QString>

#include <optional>
#include <string>

namespace cp1252 {

// The Unicode character of a byte. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every byte
// round-trips.
char32_t toUnicode(unsigned char byte);

// The byte of a Unicode character, or nothing when the code page has no such character.
std::optional<unsigned char> fromUnicode(char32_t ch);

QString toQString(const std::string &text);

// Characters with no Windows-1252 form are dropped, never replaced by "?" (which has a
// Morse code of its own).
std::string fromQString(const QString &text);

// Upper and lower case of Windows-1252 letters, accented ones included: A-Z/a-z,
// 0xC0-0xDE/0xE0-0xFE except 0xD7 and 0xF7, and the pairs Š/š, Œ/œ, Ž/ž, Ÿ/ÿ.
// Characters without a case partner are returned unchanged.
unsigned char toUpper(unsigned char byte);
unsigned char toLower(unsigned char byte);
std::string toUpper(std::string text);
std::string toLower(std::string text);

// The other case form of a letter, or the byte itself when it has none.
unsigned char otherCase(unsigned char byte);

} // namespace cp1252
