#include "shell/shellsettingskeys.h"

#include "shell/languages/languages.h"
#include "shell/settingskeys.h"

void BindShellSettingsKeys(SettingsRegistry &registry)
{
    registry.bind({
        {"LANGUAGE=",
         [](const std::string &value) {
             if (value.size() == 1)
                 ClickLanguageLetter(value[0]);
         },
         [](std::vector<std::string> &out) { out.push_back(std::string(1, LanguageLetter(CurrentLanguage()))); }},
    });
}
