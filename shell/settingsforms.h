#pragma once

// What each key's value may be: the values the program itself writes for it. Lines of keys
// that no module reads yet are kept for writing through these forms, so a file never gets
// back a value the program could not have chosen (a number held to its control's range, a
// word or a step out of its list dropped, a text cut to its editor's length).

#include <optional>
#include <string>
#include <string_view>

namespace settings {

// What a key's value may be, as the registry's table gives it for each key.
enum class Kind {
    Held,      // a number held to lo..hi, on a grid of `step` from lo; `words` may add one more value
    Range,     // a number in lo..hi, else dropped
    OneOf,     // one of the blank-separated `words`
    Flag,      // "0" or "1"
    On,        // "1" only (the key is written only when the option is on)
    AnyOn,     // any value sets the option, written "ON"
    Text,      // free text, cut to `hi` bytes; empty only where lo is 1 (written even when empty)
    Pair,      // two numbers "a,b", each held to lo..hi; a part that does not convert gives `step`
    Drift,     // drift, maximum, minimum, each held to its up-down's range
    Hex,       // up to four hexadecimal digits; lo 1: in brackets with "h", as the port edits show them
    Font,      // "NO" or the eight fields
    Best,      // nine scores, each followed by ","
    Markers,   // two raw bytes, 255 for none
    Lower,     // text lower-cased and cut to its editor's length (not written when empty or starting with a blank)
    Shortcut,
    Lesson,
    LocalCharacter,
    Password,
};

struct Form {
    Kind kind;
    int lo = 0;
    int hi = 0;
    std::string_view words = {};
    int step = 1;
};

// Free texts (messages, beacon texts, paths) are cut to this many bytes.
inline constexpr std::size_t MaxTextValue = 4096;

// The value to keep for a line of a known key: held, cut or normalised to what the writer
// would emit, or nothing when the line must be dropped (the default then stands).
std::optional<std::string> KeptValue(std::string_view key, std::string_view value);

// How many lines of a key are kept: 0 for a key of one value (the last line wins), else the
// list's own limit (SHORTCUT=, MSG=, LESSON=, LOCAL_CHAR=, and MDPINT=, whose lines append).
std::size_t ListKeyLines(std::string_view key);

// Two kept values of a list key that fill the same entry (LESSON= lines of one slot): the
// later replaces the earlier.
bool SameListEntry(std::string_view key, std::string_view a, std::string_view b);

// A key this program does not know is kept only when it looks like a setting: letters,
// digits and "_", then "=".
bool LooksLikeSettingKey(std::string_view key);

} // namespace settings
