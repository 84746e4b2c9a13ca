#pragma once

// The user's shortcuts: up to 26 characters without a Morse code of their own, each standing
// for a text. Typing one queues its text. Windows-1252 strings; the shortcut panel and the
// settings file (SHORTCUT= lines) fill them.

#include <array>
#include <optional>
#include <string>

struct CharacterSets;

constexpr int ShortcutCount = 26;
constexpr int MaxShortcutTextLength = 36;

// Entries 1..26: the shortcut characters (one character each, empty when unused); entry
// 26 + i: the text of character i. Entry 0 is unused.
extern std::array<std::string, 2 * ShortcutCount + 1> Shortcuts;

// The text a character stands for, or nothing. All 26 entries are compared; a later match
// replaces an earlier one.
std::optional<std::string> ShortcutTextFor(unsigned char c);

// Binds the settings key SHORTCUT= (one line per shortcut whose character and text are set).
// A line whose character is a blank or a control character is refused: no editor makes one,
// and a blank typed in the box would stand for its text.
void BindShortcutSettings();

// ---- The shortcut editor's table operations (slots 1..26) ----

// The first slot holding the character, or 0.
int FindShortcut(unsigned char c);
bool ShortcutTableFull();
// Stores the character and its text in the first free slot (a deleted slot is reused first).
// Returns the slot, or 0 when the table is full or the character is a shortcut already.
int CreateShortcut(unsigned char c, const std::string &text);
// Every slot holding the character gets the text; every slot holding it is freed.
void ModifyShortcut(unsigned char c, const std::string &text);
void DeleteShortcut(unsigned char c);
// The character list's shortcut rows (from its row 128): " c = text" for the used slots in
// slot order, then " " for the rest.
std::array<std::string, ShortcutCount> ShortcutListRows();

// What the editor's character edit holds, in the order the editor tests it.
enum class ShortcutCharacterKind {
    Empty,    // nothing typed
    Refused,  // a blank, a character of the built-in sets (a-z, 0-9, the nine stops) or a
              // local character
    Existing, // a shortcut already: Modify and Delete
    New,      // anything else: Create
};
// Looks at the edit's character (already in lower case; nothing when the edit is empty).
ShortcutCharacterKind ClassifyShortcutCharacter(const CharacterSets &sets, std::optional<unsigned char> c);
