#pragma once

// The rows of the three lists (characters, Q codes, abbreviations) and what a click on a row
// plays. Plain data and functions on Windows-1252 rows; the lists module shows them.
//
// The character list holds 154 rows in pages of 31: letters, figures, stops and prosigns with
// their codes and rhythm, then the local characters (rows 97..122) and the shortcuts (rows
// 128..153). Its headings come from the shell's text table; the Q-code and abbreviation rows
// are whole rows per language (ListTextRows).

#include "engine/morsecode.h"
#include "shell/languages/mainwindowtexts.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr int AlphabetRowCount = 154;
constexpr int AlphabetPageRows = 31; // one column of the list
constexpr int AlphabetLocalFirstRow = 97;
constexpr int AlphabetShortcutFirstRow = 128;
constexpr int QCodeRowCount = 30;
constexpr int AbbreviationRowCount = 64;

// The spoken rhythm of a code: "." -> "Dit", ".-" -> "Di dah", "-.--." -> "Dah di dah dah dit".
std::string Rhythm(std::string_view code);

// One character row: a blank, the character's name (one character, or a prosign's two
// letters), blanks, the code and the rhythm: " A  .-    Di dah".
std::string AlphabetCharacterRow(std::string_view name, std::string_view code);

// The character list's rows from the built-in codes: letters, figures, stops and prosigns
// filled, every other row empty (headings, local characters and shortcuts are written by
// their owners).
std::vector<std::string> AlphabetRows();

// What a left click on a row of the character list plays: the row's character (a prosign's
// control character for its row), or, from row 125 on, a shortcut's text. Nothing for
// headings, explanations, empty rows and a shortcut row without text.
std::optional<std::string> AlphabetPayload(int row, std::string_view text);
// The Q code of a row: its first four characters without trailing blanks and control
// characters ("QRA"); nothing for an empty row.
std::optional<std::string> QCodePayload(std::string_view text);
// The abbreviation of a row: from its second character up to the first ":", without
// trailing blanks (" RPT AA : repeat all after" -> "RPT AA"); nothing when the second
// character is a blank or there is no ":".
std::optional<std::string> AbbreviationPayload(std::string_view text);

// The editor a right click on a row of the character list opens.
enum class AlphabetEditor { None, LocalCharacter, Shortcut };
AlphabetEditor AlphabetEditorFor(int row);

// The language rows of the main window's lists: the 30 Q-code rows, the 64 abbreviation rows
// and the three lists' hints, in seven languages.
std::span<const TextRow> ListTextRows();
