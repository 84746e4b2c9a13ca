#include "training/shortcuts.h"

#include "engine/localcharacters.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"

std::array<std::string, 2 * ShortcutCount + 1> Shortcuts;

std::optional<std::string> ShortcutTextFor(unsigned char c)
{
    std::optional<std::string> text;
    const std::string key(1, static_cast<char>(c));
    for (int i = 1; i <= ShortcutCount; ++i) {
        if (Shortcuts[i] == key)
            text = Shortcuts[ShortcutCount + i];
    }
    return text;
}

namespace {
int readSlot = 0;
}

void BindShortcutSettings()
{
    Settings().addReadStart("typing: shortcuts", [] { readSlot = 0; });
    Settings().bind(
        "SHORTCUT=",
        [](const std::string &value) {
            const auto shortcut = settings::ParseShortcut(value);
            if (!shortcut || readSlot >= ShortcutCount || shortcut->character <= ' ')
                return;
            ++readSlot;
            Shortcuts[readSlot] = std::string(1, static_cast<char>(shortcut->character));
            Shortcuts[ShortcutCount + readSlot] = shortcut->text;
        },
        [](std::vector<std::string> &values) {
            for (int i = 1; i <= ShortcutCount; ++i) {
                if (!Shortcuts[i].empty() && !Shortcuts[ShortcutCount + i].empty())
                    values.push_back(Shortcuts[i] + Shortcuts[ShortcutCount + i]);
            }
        });
}

int FindShortcut(unsigned char c)
{
    const std::string key(1, static_cast<char>(c));
    for (int i = 1; i <= ShortcutCount; ++i) {
        if (Shortcuts[i] == key)
            return i;
    }
    return 0;
}

bool ShortcutTableFull()
{
    for (int i = 1; i <= ShortcutCount; ++i) {
        if (Shortcuts[i].empty())
            return false;
    }
    return true;
}

int CreateShortcut(unsigned char c, const std::string &text)
{
    if (FindShortcut(c) != 0)
        return 0;
    for (int i = 1; i <= ShortcutCount; ++i) {
        if (Shortcuts[i].empty()) {
            Shortcuts[i] = std::string(1, static_cast<char>(c));
            Shortcuts[ShortcutCount + i] = text.substr(0, MaxShortcutTextLength);
            return i;
        }
    }
    return 0;
}

void ModifyShortcut(unsigned char c, const std::string &text)
{
    const std::string key(1, static_cast<char>(c));
    for (int i = 1; i <= ShortcutCount; ++i) {
        if (Shortcuts[i] == key)
            Shortcuts[ShortcutCount + i] = text.substr(0, MaxShortcutTextLength);
    }
}

void DeleteShortcut(unsigned char c)
{
    const std::string key(1, static_cast<char>(c));
    for (int i = 1; i <= ShortcutCount; ++i) {
        if (Shortcuts[i] == key) {
            Shortcuts[i].clear();
            Shortcuts[ShortcutCount + i].clear();
        }
    }
}

std::array<std::string, ShortcutCount> ShortcutListRows()
{
    std::array<std::string, ShortcutCount> rows;
    rows.fill(" ");
    int row = 0;
    for (int i = 1; i <= ShortcutCount; ++i) {
        if (!Shortcuts[i].empty())
            rows[row++] = " " + Shortcuts[i] + " = " + Shortcuts[ShortcutCount + i];
    }
    return rows;
}

ShortcutCharacterKind ClassifyShortcutCharacter(const CharacterSets &sets, std::optional<unsigned char> c)
{
    if (!c)
        return ShortcutCharacterKind::Empty;
    if (*c == ' ')
        return ShortcutCharacterKind::Refused;
    for (int i = 0; i < BuiltInRandomCount; ++i) {
        if (sets.RandomCharacters[i] == *c)
            return ShortcutCharacterKind::Refused;
    }
    if (FindLocalCharacter(sets, *c) >= 0)
        return ShortcutCharacterKind::Refused;
    return FindShortcut(*c) != 0 ? ShortcutCharacterKind::Existing : ShortcutCharacterKind::New;
}
