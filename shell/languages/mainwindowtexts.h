#pragma once

// The main window's translatable texts: one row per control property, applied by object
// name in table order at every language switch (see languages.h for how to add rows).

#include "shell/languages/languages.h"

#include <span>

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

// The main window's title line.
const Tr &TitleRow();
// `LabelCurrentLessonSet` for the Koch set and for the local set.
const Tr &LessonSetCaption(bool koch);
// The full-page label of the shortcut editor (the local-character editor's is
// `MsgLocalCharactersFull`).
const Tr &ShortcutPageFullText();
