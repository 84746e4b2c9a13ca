#pragma once

// The Morse code tables: one code per Windows-1252 character, "." and "-" first sign first,
// empty where the character is not sent. Codes 1 to 7 are the prosigns.

#include "engine/cwelementtable.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The prosigns travel inside every text, queue and table as these control characters.
enum ProsignCode : unsigned char {
    ProsignAS = 1,
    ProsignHH = 2,
    ProsignKN = 3,
    ProsignVA = 4,
    ProsignSN = 5,
    ProsignAR = 6,
    ProsignBK = 7,
};

// True when every character of the text is a "." or a "-".
constexpr bool IsMorseSigns(std::string_view code)
{
    for (char c : code) {
        if (c != '.' && c != '-')
            return false;
    }
    return true;
}

// 256 codes indexed by character. The table holds at most MaxCodeSigns signs per code, the
// most the element table can key; anything longer (or anything but dots and dashes) is
// refused where it would enter, so no later step can overrun.
class MorseCodeTable {
public:
    constexpr MorseCodeTable() = default;

    constexpr std::string_view operator[](unsigned char c) const
    {
        const Entry &e = entries_[c];
        return std::string_view(e.signs.data(), e.length);
    }
    constexpr std::string_view operator[](char c) const
    {
        return (*this)[static_cast<unsigned char>(c)];
    }
    // Character codes held as integers (the random character list); out of range = no code.
    constexpr std::string_view operator[](int c) const
    {
        return c >= 0 && c < 256 ? (*this)[static_cast<unsigned char>(c)] : std::string_view();
    }

    // Stores a code (empty clears the entry). Refuses, leaving the entry as it was, a code
    // longer than MaxCodeSigns or holding anything but "." and "-".
    constexpr bool set(unsigned char c, std::string_view code)
    {
        if (code.size() > static_cast<std::size_t>(MaxCodeSigns) || !IsMorseSigns(code))
            return false;
        Entry &e = entries_[c];
        e.signs = {};
        for (std::size_t i = 0; i < code.size(); ++i)
            e.signs[i] = code[i];
        e.length = static_cast<std::uint8_t>(code.size());
        return true;
    }

    // Number of characters that have a code.
    constexpr int count() const
    {
        int n = 0;
        for (const Entry &e : entries_)
            n += e.length > 0 ? 1 : 0;
        return n;
    }

    friend constexpr bool operator==(const MorseCodeTable &, const MorseCodeTable &) = default;

private:
    struct Entry {
        std::array<char, MaxCodeSigns> signs{};
        std::uint8_t length = 0;
        friend constexpr bool operator==(const Entry &, const Entry &) = default;
    };
    std::array<Entry, 256> entries_{};
};

namespace morsecode_detail {
constexpr MorseCodeTable buildDefaultMorseCodes()
{
    MorseCodeTable t;
    // Prosigns.
    t.set(ProsignAS, ".-...");
    t.set(ProsignHH, "........");
    t.set(ProsignKN, "-.--.");
    t.set(ProsignVA, "...-.-");
    t.set(ProsignSN, "...-.");
    t.set(ProsignAR, ".-.-.");
    t.set(ProsignBK, "-...-.-");
    // Punctuation; several marks share the code of a prosign.
    t.set('!', "-.-.--");
    t.set('"', ".-..-.");
    t.set('$', "...-..-");
    t.set('&', ".-...");
    t.set('\'', ".----.");
    t.set('(', "-.--.");
    t.set(')', "-.--.-");
    t.set('+', ".-.-.");
    t.set(',', "--..--");
    t.set('-', "-....-");
    t.set('.', ".-.-.-");
    t.set('/', "-..-.");
    t.set(':', "---...");
    t.set(';', "-.-.-.");
    t.set('<', "........");
    t.set('=', "-...-");
    t.set('>', "...-.-");
    t.set('?', "..--..");
    t.set('@', ".--.-.");
    t.set('_', "..--.-");
    // Digits and letters (ITU), both cases of a letter alike.
    constexpr std::string_view digits[10] = {"-----", ".----", "..---", "...--", "....-",
                                             ".....", "-....", "--...", "---..", "----."};
    for (int i = 0; i < 10; ++i)
        t.set(static_cast<unsigned char>('0' + i), digits[i]);
    constexpr std::string_view letters[26] = {".-",   "-...", "-.-.", "-..",  ".",    "..-.", "--.",
                                              "....", "..",   ".---", "-.-",  ".-..", "--",   "-.",
                                              "---",  ".--.", "--.-", ".-.",  "...",  "-",    "..-",
                                              "...-", ".--",  "-..-", "-.--", "--.."};
    for (int i = 0; i < 26; ++i) {
        t.set(static_cast<unsigned char>('A' + i), letters[i]);
        t.set(static_cast<unsigned char>('a' + i), letters[i]);
    }
    return t;
}
} // namespace morsecode_detail

// The built-in codes: 89 characters.
inline constexpr MorseCodeTable DefaultMorseCodes = morsecode_detail::buildDefaultMorseCodes();

// The working table every sender, recorder, decoder and mode reads: the built-in codes plus the
// user's local characters. Used on the user-interface thread only.
extern MorseCodeTable MorseCodes;
