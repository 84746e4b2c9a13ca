#pragma once

// The settings file's format, free of widgets and devices: splitting the file into
// KEY=VALUE lines, formatting it back, strict numbers, the instructor password's shift, and
// the parsers of the list keys. Every text here is Windows-1252 bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

inline constexpr std::string_view Header = "[KESTRELON 5.2.9]";
inline constexpr std::string_view LineEnd = "\r\n";

// One setting line. The key keeps its trailing "=" ("SPEED="); the value is everything after
// the first "=", verbatim (not trimmed, may hold "=", may be empty).
struct Line {
    std::string key;
    std::string value;
    bool operator==(const Line &) const = default;
};

// Splits the file's bytes into setting lines. CR LF, LF and CR all end a line (a file edited
// by hand may have any of them); NUL bytes are dropped. Lines without "=" (the header among
// them) or starting with "=" are skipped.
std::vector<Line> ParseLines(std::string_view bytes);

// The whole file: the header, then one KEY=VALUE line per entry, each ended by CR LF.
// CR, LF and NUL are dropped from keys and values, so no value can split into two lines.
std::string FormatFile(const std::vector<Line> &lines);

// A value with CR, LF and NUL removed.
std::string CleanValue(std::string_view value);

// A decimal integer: an optional "-" and digits, nothing else (no blank, no "+", no trailing
// garbage), within the range of int. Independent of the locale.
std::optional<int> ParseInt(std::string_view text);

// The instructor password as stored: byte i (from 1) := (code + i * i) mod 256. A shifted
// byte that would be NUL, CR or LF (or the escape byte 1 itself) is written as byte 1
// followed by the byte + 0x40, so the value never breaks its line.
std::string ShiftPassword(std::string_view plain);

// The reverse of ShiftPassword. Byte 1 followed by anything but an escaped byte is taken as a
// plain stored byte, as older files hold it.
std::string UnshiftPassword(std::string_view stored);

// ---- list keys ----

inline constexpr int MaxShortcuts = 26;
inline constexpr int MaxShortcutText = 36;
// MSG=: line i is memory message i. The row that binds it writes all six lines, empty ones
// included, so a message keeps its place (the beacon refers to messages by number).
inline constexpr int MessageCount = 6;
inline constexpr int LessonSlots = 60;
inline constexpr int MaxLessonLength = 55;
inline constexpr int MaxLocalCharacters = 26;
inline constexpr int MaxLocalCodeSigns = 10;
inline constexpr int MaxLocalLine = 40;
inline constexpr int MaxChosenCharacters = 70;
inline constexpr int MaxKochList = 60;

// SHORTCUT=: the first byte is the shortcut character, the rest (cut to 36) its text.
// An empty value is no shortcut.
struct Shortcut {
    unsigned char character = 0;
    std::string text;
};
std::optional<Shortcut> ParseShortcut(std::string_view value);

// LESSON=: "characters #n" with the slot n = 1..60 in at most two digits after the first " #".
// The characters are kept as given, lower-cased and cut to 55 (the lesson editor's limit);
// only a lone blank, which stands for no lesson, is refused.
struct Lesson {
    int slot = 0;
    std::string text;
};
std::optional<Lesson> ParseLesson(std::string_view value);
std::string FormatLesson(const Lesson &lesson);

// LOCAL_CHAR=: the list line of a local character: a blank, the character, two blanks, the
// code (1 to 10 dots and dashes), then optionally two blanks and a comment. The code is the
// run of dots and dashes right after the two blanks, so a comment can hold any text. The
// line is cut to 40 characters. A control character cannot be a local character (bytes 1
// to 7 are the prosigns).
struct LocalCharacter {
    unsigned char character = 0;
    std::string code;
    std::string line;
};
std::optional<LocalCharacter> ParseLocalCharacter(std::string_view value);

// CHOSEN_CHAR= and KOCHLIST=: lower-cased and cut to their editors' limits (the chosen
// characters fill the random list from index 72, which holds 70).
std::string ClipChosenCharacters(std::string_view value);
std::string ClipKochList(std::string_view value);

} // namespace settings
