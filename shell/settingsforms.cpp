#include "shell/settingsforms.h"

#include "shell/settingsformat.h"
#include "shell/settingskeys.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <vector>

namespace settings {

namespace {

constexpr int MaxColour = 0xFFFFFF;

bool isWord(std::string_view words, std::string_view value)
{
    while (!words.empty()) {
        std::size_t blank = words.find(' ');
        if (words.substr(0, blank) == value && !value.empty())
            return true;
        if (blank == std::string_view::npos)
            break;
        words.remove_prefix(blank + 1);
    }
    return false;
}

// Held to lo..hi, then to the nearest step from lo (halves to even, as the program rounds).
int held(int n, const Form &form)
{
    n = std::clamp(n, form.lo, form.hi);
    if (form.step > 1) {
        int steps = (n - form.lo) / form.step;
        int rest = (n - form.lo) % form.step;
        if (2 * rest > form.step || (2 * rest == form.step && steps % 2 == 1))
            ++steps;
        n = form.lo + steps * form.step;
    }
    return std::min(n, form.hi);
}

std::optional<std::string> pair(std::string_view value, const Form &form)
{
    std::size_t comma = value.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto part = [&](std::string_view text) {
        auto n = ParseInt(text);
        return n ? std::clamp(*n, form.lo, form.hi) : form.step;
    };
    return std::to_string(part(value.substr(0, comma))) + "," + std::to_string(part(value.substr(comma + 1)));
}

// The value's fields between ",".
std::vector<std::string_view> fieldsOf(std::string_view value)
{
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        std::size_t comma = value.find(',', start);
        fields.push_back(value.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

std::optional<std::string> drift(std::string_view value)
{
    static constexpr std::array<std::pair<int, int>, 3> ranges = {{{0, 50}, {800, 1500}, {100, 800}}};
    const auto fields = fieldsOf(value);
    if (fields.size() != ranges.size())
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        auto n = ParseInt(fields[i]);
        if (!n)
            return std::nullopt;
        out += (i ? "," : "") + std::to_string(std::clamp(*n, ranges[i].first, ranges[i].second));
    }
    return out;
}

std::optional<std::string> hex(std::string_view value, bool bracketed)
{
    if (bracketed && value.size() == 7 && value.front() == '[' && value.substr(5) == "h]")
        value = value.substr(1, 4);
    if (value.size() > 4 || (bracketed && value.empty()))
        return std::nullopt;
    for (char c : value)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    if (!bracketed)
        return std::string(value);
    std::string digits(4 - value.size(), '0');
    for (char c : value)
        digits.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    return "[" + digits + "h]";
}

std::optional<std::string> font(std::string_view value)
{
    if (value == "NO")
        return std::string(value);
    const auto fields = fieldsOf(value);
    // name; size, pixels per inch, height, charset, colour, pitch, style
    static constexpr std::array<std::pair<int, int>, 7> ranges = {
        {{1, 1000}, {1, 10000}, {-10000, 10000}, {0, 255}, {0, MaxColour}, {0, 3}, {0, 15}}};
    if (fields.size() != 8 || fields[0].empty() || fields[0].size() > 64)
        return std::nullopt;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        auto n = ParseInt(fields[i + 1]);
        if (!n || *n < ranges[i].first || *n > ranges[i].second)
            return std::nullopt;
    }
    return std::string(value);
}

std::string bestScores(std::string_view value)
{
    std::string out;
    bool stopped = false;
    for (int i = 0; i < 9; ++i) {
        std::size_t comma = value.find(',');
        auto n = stopped ? std::nullopt : ParseInt(value.substr(0, comma));
        if (!n || *n < -1)
            stopped = true;
        out += std::to_string(stopped ? -1 : *n) + ",";
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
        stopped = stopped || comma == std::string_view::npos;
    }
    return out;
}

} // namespace

std::optional<std::string> KeptValue(std::string_view key, std::string_view raw)
{
    const int index = SettingsKeyIndex(key);
    if (index < 0)
        return std::nullopt;
    const Form *form = &SettingsKeys[static_cast<std::size_t>(index)].form;
    const std::string value = CleanValue(raw);
    switch (form->kind) {
    case Kind::Held:
        if (isWord(form->words, value))
            return value;
        if (auto n = ParseInt(value))
            return std::to_string(held(*n, *form));
        return std::nullopt;
    case Kind::Range:
        if (auto n = ParseInt(value); n && *n >= form->lo && *n <= form->hi)
            return value;
        return std::nullopt;
    case Kind::OneOf:
        return isWord(form->words, value) ? std::optional(value) : std::nullopt;
    case Kind::Flag:
        return value == "0" || value == "1" ? std::optional(value) : std::nullopt;
    case Kind::On:
        return value == "1" ? std::optional(value) : std::nullopt;
    case Kind::AnyOn:
        return std::string("ON");
    case Kind::Text:
        if (value.empty() && form->lo != 1)
            return std::nullopt;
        return value.substr(0, static_cast<std::size_t>(form->hi));
    case Kind::Drift:
        return drift(value);
    case Kind::Pair:
        return pair(value, *form);
    case Kind::Hex:
        return hex(value, form->lo == 1);
    case Kind::Font:
        return font(value);
    case Kind::Best:
        return bestScores(value);
    case Kind::Markers: {
        std::string markers = value.substr(0, 2);
        markers.resize(2, '\xFF');
        return markers;
    }
    case Kind::Lower: {
        std::string text = key == "KOCHLIST=" ? ClipKochList(value) : ClipChosenCharacters(value);
        if (text.empty() || text.front() == ' ')
            return std::nullopt;
        return text;
    }
    case Kind::Shortcut:
        if (auto shortcut = ParseShortcut(value); shortcut && !shortcut->text.empty())
            return std::string(1, static_cast<char>(shortcut->character)) + shortcut->text;
        return std::nullopt;
    case Kind::Lesson:
        if (auto lesson = ParseLesson(value); lesson && !lesson->text.empty() && lesson->text.front() != ' ')
            return FormatLesson(*lesson);
        return std::nullopt;
    case Kind::LocalCharacter:
        if (auto local = ParseLocalCharacter(value))
            return local->line;
        return std::nullopt;
    case Kind::Password:
        return value.substr(0, MaxTextValue);
    }
    return std::nullopt;
}

std::size_t ListKeyLines(std::string_view key)
{
    if (key == "SHORTCUT=")
        return MaxShortcuts;
    if (key == "MSG=")
        return MessageCount;
    if (key == "LESSON=")
        return LessonSlots;
    if (key == "LOCAL_CHAR=")
        return MaxLocalCharacters;
    if (key == "MDPINT=")
        return 8;
    return 0;
}

bool SameListEntry(std::string_view key, std::string_view a, std::string_view b)
{
    // Kept lessons are written as "text #n", and the text holds no " #".
    if (key != "LESSON=")
        return false;
    std::size_t markA = a.find(" #");
    std::size_t markB = b.find(" #");
    return markA != std::string_view::npos && markB != std::string_view::npos && a.substr(markA) == b.substr(markB);
}

bool LooksLikeSettingKey(std::string_view key)
{
    if (key.size() < 2 || key.back() != '=')
        return false;
    return std::all_of(key.begin(), key.end() - 1, [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

} // namespace settings
