#pragma once

// The main window's translatable texts: one row per control property, applied by object
// name in table order at every language switch (see languages.h for how to add rows).

#include "shell/languages/languages.h"

#include <span>
#include <vector>

enum class TextKind { Caption, Hint, Item };

struct TextRow
{
    const char *object; // the control's object name
    TextKind kind;
    int item; // the row of a list or radio group for TextKind::Item, else -1
    Tr text;

    constexpr TextRow(const char *objectName, TextKind textKind, Tr texts)
        : object(objectName), kind(textKind), item(-1), text(texts)
    {
    }
    constexpr TextRow(const char *objectName, TextKind textKind, int index, Tr texts)
        : object(objectName), kind(textKind), item(index), text(texts)
    {
    }
};

std::span<const TextRow> MainWindowTextRows();

// A module keeps its main-window texts in a table of its own (a `constexpr TextRow[]` in its
// own file) and registers it once when it builds its controls; every switch applies the
// registered tables after the shell's own, in the order they were registered. Registering
// the same table again changes nothing.
void RegisterMainWindowTexts(std::span<const TextRow> rows);
// Every row of the main window: the shell's own, then the registered tables.
std::vector<const TextRow *> AllMainWindowTextRows();

// "0 s" .. "5 s": the delay menus' whole seconds.
inline constexpr Tr SecondsCaptions[6] = {
    Tr("0 s", "0 mp", "0 s", "0 s", "0 s", "0 s", "0 s"), Tr("1 s", "1 mp", "1 s", "1 s", "1 s", "1 s", "1 s"),
    Tr("2 s", "2 mp", "2 s", "2 s", "2 s", "2 s", "2 s"), Tr("3 s", "3 mp", "3 s", "3 s", "3 s", "3 s", "3 s"),
    Tr("4 s", "4 mp", "4 s", "4 s", "4 s", "4 s", "4 s"), Tr("5 s", "5 mp", "5 s", "5 s", "5 s", "5 s", "5 s"),
};

// The main window's title line.
const Tr &TitleRow();
// `LabelCurrentLessonSet` for the Koch set and for the local set.
const Tr &LessonSetCaption(bool koch);
// The full-page label of the shortcut editor (the local-character editor's is
// `MsgLocalCharactersFull`).
const Tr &ShortcutPageFullText();
// The caption of the quiz's start button `ButtonQuizOK`.
const Tr &QuizPlayCaption();
