#include "shell/commandline.h"

#include "engine/cp1252.h"
#include "shell/settingsformat.h"

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
    for (int i = 1; i <= ArgumentsRead && i < arguments.size(); ++i) {
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

// Not applied yet: waits for the language switch and the speed setter to land.
void ApplyCommandLine(const QStringList &) {}
