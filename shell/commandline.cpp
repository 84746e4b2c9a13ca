#include "shell/commandline.h"

#include "engine/cp1252.h"
#include "engine/timing.h"
#include "shell/languages/languages.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"

#include <algorithm>
#include <string>

namespace {

constexpr int ArgumentsRead = 3;
constexpr const char LanguageLetters[] = "EDFIPSM";

std::string upperAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

CommandLineChoice ReadCommandLineArguments(const QStringList &arguments)
{
    CommandLineChoice choice;
    for (int i = 0; i < ArgumentsRead && i < arguments.size(); ++i) {
        const std::string arg = upperAscii(cp1252::fromQString(arguments[i]));
        if (arg.size() == 2 && arg[0] == '/' && std::string_view(LanguageLetters).find(arg[1]) != std::string_view::npos) {
            choice.language = arg[1];
        } else if (arg.size() > 2 && arg[1] == '=') {
            if (auto speed = settings::ParseInt(std::string_view(arg).substr(2)))
                choice.speed = *speed;
        }
    }
    return choice;
}

void ApplyCommandLine(const QStringList &arguments)
{
    const CommandLineChoice choice = ReadCommandLineArguments(arguments);
    if (choice.language)
        ClickLanguageLetter(choice.language);
    // Held here as well, so the speed is in range even while no speed control has bound
    // SPEED= and the value is only kept for the file.
    if (choice.speed)
        Settings().applyValue("SPEED=", std::to_string(std::clamp(*choice.speed, MinSpeed, MaxSpeed)));
}
