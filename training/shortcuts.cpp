#include "training/shortcuts.h"

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
            if (!shortcut || readSlot >= ShortcutCount)
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
