#include "shell/commandline.h"

#include "engine/timing.h"
#include "shell/languages/languages.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"

#include <algorithm>
#include <string>

namespace {

constexpr int ArgumentsRead = 3;
constexpr const char LanguageLetters[] = "EDFIPSM";

// Upper-cased (a to z only) and compared as it was given: a character outside Windows-1252
// must not drop out and shift the rest ("/E" followed by a Cyrillic letter is no "/E").
QString upperAscii(QString text)
{
    for (QChar &c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(static_cast<char16_t>(c.unicode() - u'a' + u'A'));
    return text;
}

} // namespace

CommandLineChoice ReadCommandLineArguments(const QStringList &arguments)
{
    CommandLineChoice choice;
    for (int i = 0; i < ArgumentsRead && i < arguments.size(); ++i) {
        const QString arg = upperAscii(arguments[i]);
        if (arg.size() == 2 && arg[0] == u'/' && arg[1].unicode() < 0x80 &&
            std::string_view(LanguageLetters).find(static_cast<char>(arg[1].unicode())) != std::string_view::npos) {
            choice.language = static_cast<char>(arg[1].unicode());
        } else if (arg.size() > 2 && arg[1] == u'=') {
            // A character outside ASCII makes the rest no number ("?" from toLatin1).
            if (auto speed = settings::ParseInt(arg.mid(2).toLatin1().toStdString()))
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
