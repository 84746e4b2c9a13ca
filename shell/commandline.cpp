#include "shell/commandline.h"

#include "engine/timing.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/settingsgeometry.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <climits>
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

// The geometry taken from the arguments before the application object existed.
std::optional<WindowGeometryRequest> askedGeometry;

// Digits at the front of text, as a number; nothing when there are none or they overflow.
std::optional<int> leadingNumber(std::string_view &text)
{
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    auto n = digits ? settings::ParseInt(text.substr(0, digits)) : std::nullopt;
    text.remove_prefix(digits);
    return n;
}

// The top left for a request, from the available area and the window's frame size.
QPoint requestedTopLeft(const WindowGeometryRequest &asked, const QWidget &window, const QRect &area)
{
    const QSize frame = window.frameGeometry().size();
    auto coordinate = [](std::optional<int> offset, bool fromEnd, qint64 first, qint64 room, qint64 extent,
                         int current) -> int {
        if (!offset)
            return current;
        const qint64 c = fromEnd ? first + room - extent - *offset : first + *offset;
        return int(std::clamp<qint64>(c, INT_MIN / 2, INT_MAX / 2)); // held to the screen afterwards
    };
    return {coordinate(asked.x, asked.fromRight, area.left(), area.width(), frame.width(), window.x()),
            coordinate(asked.y, asked.fromBottom, area.top(), area.height(), frame.height(), window.y())};
}

} // namespace

std::optional<WindowGeometryRequest> ParseWindowGeometry(std::string_view text)
{
    WindowGeometryRequest asked;
    if (!text.empty() && text.front() == '=')
        text.remove_prefix(1);
    if (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        asked.width = leadingNumber(text);
        if (!asked.width || text.empty() || (text.front() != 'x' && text.front() != 'X'))
            return std::nullopt;
        text.remove_prefix(1);
        asked.height = leadingNumber(text);
        if (!asked.height)
            return std::nullopt;
    }
    if (!text.empty()) {
        for (auto [offset, fromEnd] : {std::pair{&asked.x, &asked.fromRight}, std::pair{&asked.y, &asked.fromBottom}}) {
            if (text.empty() || (text.front() != '+' && text.front() != '-'))
                return std::nullopt;
            *fromEnd = text.front() == '-';
            text.remove_prefix(1);
            *offset = leadingNumber(text);
            if (!*offset)
                return std::nullopt;
        }
    }
    if (!text.empty() || (!asked.width && !asked.x))
        return std::nullopt;
    return asked;
}

void TakeWindowGeometryArgument(int &argc, char **argv)
{
    int kept = argc > 0 ? 1 : 0;
    for (int i = kept; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.starts_with("--"))
            arg.remove_prefix(1);
        if ((arg == "-qwindowgeometry" || arg == "-geometry") && i + 1 < argc) {
            askedGeometry = ParseWindowGeometry(argv[++i]);
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    if (argc >= 0)
        argv[argc] = nullptr;
}

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

    // The size first (held), then the place, which counts from the far edges for the
    // window's size as it now is.
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!askedGeometry || !Form1 || !screen)
        return;
    const WindowGeometryRequest asked = *askedGeometry;
    askedGeometry.reset(); // applied once, as Qt applies it to the first window
    if (asked.width)
        PlaceWindow(Form1, std::nullopt, QSize(*asked.width, *asked.height));
    if (asked.x)
        PlaceWindow(Form1, requestedTopLeft(asked, *Form1, screen->availableGeometry()), std::nullopt);
}
