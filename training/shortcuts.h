#pragma once

// The user's shortcuts: up to 26 characters without a Morse code of their own, each standing
// for a text. Typing one queues its text. Windows-1252 strings; the shortcut panel and the
// settings file (SHORTCUT= lines) fill them.

#include <array>
#include <optional>
#include <string>

constexpr int ShortcutCount = 26;

// Entries 1..26: the shortcut characters (one character each, empty when unused); entry
// 26 + i: the text of character i. Entry 0 is unused.
extern std::array<std::string, 2 * ShortcutCount + 1> Shortcuts;

// The text a character stands for, or nothing. All 26 entries are compared; a later match
// replaces an earlier one.
std::optional<std::string> ShortcutTextFor(unsigned char c);

// Binds the settings key SHORTCUT= (one line per shortcut whose character and text are set).
void BindShortcutSettings();
