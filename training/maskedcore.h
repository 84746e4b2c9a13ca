#pragma once

// The two markers of masked text without any widget: what the settings line MASKED_CHAR=
// holds, and what the panel's OK makes of its two edits. A marker is a Windows-1252 byte;
// 0 means none (the engine's MaskStartChar and MaskEndChar).

#include <optional>
#include <string>

namespace masked {

struct Markers {
    unsigned char start = 0;
    unsigned char end = 0;
};

// The byte that stands for "no marker" in the settings file; it can never be a marker.
inline constexpr unsigned char NoMarkerByte = 255;

// MASKED_CHAR=: two raw bytes, 255 for none. A short value leaves the missing marker none;
// an empty one leaves both none.
Markers ParseSetting(const std::string &value);
std::string FormatSetting(Markers markers);

// OK of the panel, each edit holding at most one character (nothing when empty).
enum class EditsVerdict {
    Clear,   // both empty: both markers none
    Same,    // the same character twice: refused with a message
    Refused, // a marker that cannot be one (the settings file's "none" byte): refused with a beep
    Store,   // take the markers
};
EditsVerdict CheckEdits(std::optional<unsigned char> start, std::optional<unsigned char> end);

} // namespace masked
