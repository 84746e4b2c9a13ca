#include "shell/settingsformat.h"

#include "engine/cp1252.h"

#include <algorithm>
#include <climits>

namespace settings {

namespace {

bool breaksLine(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

// Stored password bytes that must not appear raw, and the escape that stands for them.
constexpr unsigned char PasswordEscape = 0x01;
constexpr unsigned char PasswordEscapeOffset = 0x40;

bool needsEscape(unsigned char b)
{
    return b == 0x00 || b == PasswordEscape || b == '\n' || b == '\r';
}

bool isEscaped(unsigned char b)
{
    return b >= PasswordEscapeOffset && needsEscape(static_cast<unsigned char>(b - PasswordEscapeOffset));
}

unsigned char shiftOf(std::size_t position)
{
    return static_cast<unsigned char>((position * position) & 0xFF);
}

} // namespace

std::vector<Line> ParseLines(std::string_view bytes)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        // A NUL is dropped as the writer drops it, so a line reads the same before and
        // after a round trip.
        std::string text = CleanValue(bytes.substr(pos, end - pos));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
        std::size_t eq = text.find('=');
        if (eq == std::string::npos || eq == 0)
            continue;
        lines.push_back({text.substr(0, eq + 1), text.substr(eq + 1)});
    }
    return lines;
}

std::string CleanValue(std::string_view value)
{
    std::string clean;
    clean.reserve(value.size());
    for (char c : value)
        if (!breaksLine(c))
            clean.push_back(c);
    return clean;
}

std::string FormatFile(const std::vector<Line> &lines)
{
    std::string out(Header);
    out += LineEnd;
    for (const Line &line : lines) {
        out += CleanValue(line.key);
        out += CleanValue(line.value);
        out += LineEnd;
    }
    return out;
}

std::optional<int> ParseInt(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::string ShiftPassword(std::string_view plain)
{
    std::string stored;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        auto b = static_cast<unsigned char>(static_cast<unsigned char>(plain[i]) + shiftOf(i + 1));
        if (needsEscape(b)) {
            stored.push_back(static_cast<char>(PasswordEscape));
            stored.push_back(static_cast<char>(b + PasswordEscapeOffset));
        } else {
            stored.push_back(static_cast<char>(b));
        }
    }
    return stored;
}

std::string UnshiftPassword(std::string_view stored)
{
    std::string plain;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        auto b = static_cast<unsigned char>(stored[i]);
        if (b == PasswordEscape && i + 1 < stored.size() && isEscaped(static_cast<unsigned char>(stored[i + 1]))) {
            b = static_cast<unsigned char>(static_cast<unsigned char>(stored[i + 1]) - PasswordEscapeOffset);
            ++i;
        }
        plain.push_back(static_cast<char>(static_cast<unsigned char>(b - shiftOf(plain.size() + 1))));
    }
    return plain;
}

std::optional<Shortcut> ParseShortcut(std::string_view value)
{
    if (value.empty())
        return std::nullopt;
    Shortcut shortcut;
    shortcut.character = static_cast<unsigned char>(value[0]);
    shortcut.text = std::string(value.substr(1, MaxShortcutText));
    return shortcut;
}

std::optional<Lesson> ParseLesson(std::string_view value)
{
    std::size_t mark = value.find(" #");
    if (mark == std::string_view::npos)
        return std::nullopt;
    auto slot = ParseInt(value.substr(mark + 2, 2));
    if (!slot || *slot < 1 || *slot > LessonSlots)
        return std::nullopt;
    const std::string_view characters = value.substr(0, std::min<std::size_t>(mark, MaxLessonLength));
    if (characters == " ")
        return std::nullopt;
    return Lesson{*slot, cp1252::toLower(std::string(characters))};
}

std::string FormatLesson(const Lesson &lesson)
{
    return lesson.text + " #" + std::to_string(lesson.slot);
}

std::optional<LocalCharacter> ParseLocalCharacter(std::string_view value)
{
    if (value.size() <= 4 || value[2] != ' ' || value[3] != ' ')
        return std::nullopt;
    std::string_view line = value.substr(0, MaxLocalLine);
    LocalCharacter local;
    local.character = static_cast<unsigned char>(line[1]);
    if (local.character < 0x20 || local.character == 0x7F)
        return std::nullopt;
    for (std::size_t i = 4; i < line.size() && (line[i] == '.' || line[i] == '-'); ++i)
        local.code.push_back(line[i]);
    if (local.code.empty() || local.code.size() > MaxLocalCodeSigns)
        return std::nullopt;
    local.line = std::string(line);
    return local;
}

std::string ClipChosenCharacters(std::string_view value)
{
    return cp1252::toLower(std::string(value.substr(0, MaxChosenCharacters)));
}

std::string ClipKochList(std::string_view value)
{
    return cp1252::toLower(std::string(value.substr(0, MaxKochList)));
}

} // namespace settings
