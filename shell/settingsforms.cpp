#include "shell/settingsforms.h"

#include "shell/enginesettingskeys.h"
#include "shell/settingsformat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <vector>

namespace settings {

namespace {

enum class Kind {
    Held,      // a number held to lo..hi, on a grid of `step` from lo; `words` may add one more value
    Range,     // a number in lo..hi, else dropped
    OneOf,     // one of the blank-separated `words`
    Flag,      // "0" or "1"
    On,        // "1" only (the key is written only when the option is on)
    AnyOn,     // any value sets the option, written "ON"
    Text,      // free text, cut to `hi` bytes; empty only where lo is 1 (written even when empty)
    Pair,      // two numbers "a,b", each held to lo..hi; a part that does not convert gives `step`
    Drift,     // drift, maximum, minimum, each held to its up-down's range
    Hex,       // up to four hexadecimal digits; lo 1: in brackets with "h", as the port edits show them
    Font,      // "NO" or the eight fields
    Best,      // nine scores, each followed by ","
    Markers,   // two raw bytes, 255 for none
    Lower,     // text lower-cased and cut to its editor's length (not written when empty or starting with a blank)
    Shortcut,
    Lesson,
    LocalCharacter,
    Password,
};

struct Form {
    std::string_view key;
    Kind kind;
    int lo = 0;
    int hi = 0;
    std::string_view words = {};
    int step = 1;
};

constexpr int MaxCoordinate = 32767;
constexpr int MaxColour = 0xFFFFFF;
constexpr int MaxCount = INT_MAX;
constexpr int Path = static_cast<int>(MaxTextValue);

const Form Forms[] = {
    {"SPEED=", Kind::Held, 5, 70},
    {"SPACE=", Kind::Held, 1, 30},
    {"SPACEW=", Kind::Held, 1, 20},
    {"SPACEWF=", Kind::Held, 0, 6},
    {"SPACEL=", Kind::Held, 0, 10},
    {"SPACEB=", Kind::OneOf, 0, 0, "0 3 6 9"},
    {"LANGUAGE=", Kind::OneOf, 0, 0, "E D F I P S M"},
    {"LEVEL=", Kind::Held, -15, 0, {}, 3},
    {"RANDOM_COUNT=", Kind::Held, 5, 1000},
    {"WORDS=", Kind::OneOf, 0, 0, "0 2 3 4 5 6 7 8"},
    {"MIXED=", Kind::OneOf, 0, 0, "ON OFF CALL"},
    {"VVVVV=", Kind::OneOf, 0, 0, "ON OFF"},
    {"RANDOM=", Kind::OneOf, 0, 0, "1 2 3 4 5 6 7 8 9"},
    {"COM=", Kind::Text, 0, 64},
    {"MONITOR_CASE=", Kind::OneOf, 0, 0, "LOWER UPPER"},
    {"MONITOR_FILTER=", Kind::Flag},
    {"MONITOR_CHANNEL=", Kind::OneOf, 0, 0, "LEFT RIGHT ELKEYN ELKEYR SIMPLEKEY CTRLKEY"},
    {"LEFT_THRESHOLD=", Kind::Held, 0, 127},
    {"RIGHT_THRESHOLD=", Kind::Held, 0, 127},
    {"NOISE_LEVEL=", Kind::Held, 0, 20},
    {"QSB_LEVEL=", Kind::Held, 0, 20},
    {"QSB_SPEED=", Kind::OneOf, 0, 0, "2 6 10"},
    {"NOISE_BW=", Kind::OneOf, 0, 0, "1 2 4 8"},
    {"NOTE=", Kind::Held, 100, 1500, "-1", 10},
    {"DELAY=", Kind::OneOf, 0, 0, "0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1 1.25 1.5 1.75 2 2.25 2.5 2.75 3 4 5 6 7 8 9"},
    {"PAGE=", Kind::OneOf, 0, 0, "1 2 3"},
    {"QUIZ_COUNT=", Kind::Held, 5, 1000},
    {"SPEED_ADJUST=", Kind::AnyOn},
    {"DELAY_ADJUST=", Kind::AnyOn},
    {"DELAY_RANDOM=", Kind::OneOf, 0, 0, "1 2 3 4 5"},
    {"SHORTCUT=", Kind::Shortcut},
    {"MSG=", Kind::Text, 1, Path},
    {"PTT=", Kind::OneOf, 0, 0, "0 1 2 3"},
    {"CW=", Kind::OneOf, 0, 0, "0 1 2 3"},
    {"TXDELAY=", Kind::OneOf, 0, 0, "50 100 150 200 250"},
    {"IGNORELPT=", Kind::On},
    {"LPT=", Kind::OneOf, 0, 0, "0 1 2 3"},
    {"ADLPT=", Kind::Hex, 1},
    {"LPTX=", Kind::OneOf, 0, 0, "ON OFF"},
    {"ADLPTX=", Kind::Hex, 0},
    {"PIN=", Kind::OneOf, 0, 0, "-1 0 1 2 3"},
    {"LOGIC=", Kind::OneOf, 0, 0, "N P"},
    {"MDPINT=", Kind::Password},
    {"INSTMF=", Kind::Flag},
    {"INSTMR=", Kind::Flag},
    {"INSTFN=", Kind::Flag},
    {"INSTFS=", Kind::Flag},
    {"ISOUND=", Kind::Range, -1, MaxSoundDeviceNumber},
    {"OSOUND=", Kind::Range, -1, MaxSoundDeviceNumber},
    {"LCASE=", Kind::Flag},
    {"ZCASE=", Kind::Flag},
    {"LISTW=", Kind::Text, 1, Path},
    {"LASTCHOICE=", Kind::OneOf, 0, 0, "1 2 3 4 5 6 7"},
    {"HINTS=", Kind::Flag},
    {"WINPOS=", Kind::Pair, -MaxCoordinate, MaxCoordinate, {}, 0},
    {"ZOOMPOS=", Kind::Pair, -MaxCoordinate, MaxCoordinate, {}, -1},
    {"FILTERPOS=", Kind::Pair, -MaxCoordinate, MaxCoordinate, {}, -1},
    {"SHEET=", Kind::Flag},
    {"DRIFT=", Kind::Drift},
    {"AFCENTER=", Kind::Held, 500, 1500, {}, 10},
    {"AFBW=", Kind::Held, 50, 400, {}, 50},
    {"AFACTIVE=", Kind::Flag},
    {"BR_NOISE=", Kind::Flag},
    {"BF_NOISE=", Kind::Flag},
    {"BR_QSB=", Kind::Flag},
    {"BF_QSB=", Kind::Flag},
    {"BR_DRIFT=", Kind::Flag},
    {"BF_DRIFT=", Kind::Flag},
    {"ABORTDELAY=", Kind::Flag},
    {"RESUMEDELAY=", Kind::OneOf, 0, 0, "0 1 2 3"},
    {"QUIZERROR=", Kind::Flag},
    {"QUIZPSEUDO=", Kind::Flag},
    {"FONT=", Kind::Font},
    {"PAIRSCOLOR=", Kind::Range, 0, MaxColour},
    {"PAIRSLEVEL=", Kind::OneOf, 0, 0, "0 1 2 3 4 5 6 7 8"},
    {"PAIRSPLAYERS=", Kind::OneOf, 0, 0, "1 2"},
    {"PAIRSBEST=", Kind::Best},
    {"JONGCOLOR=", Kind::Range, 0, MaxColour},
    {"JONGPLAYED=", Kind::Range, 0, MaxCount},
    {"JONGWON=", Kind::Range, 0, MaxCount},
    {"KEYER=", Kind::OneOf, 0, 0, "GAME MOUSE COM"},
    {"DOTKEYER=", Kind::OneOf, 0, 0, "DSR CTS DCD"},
    {"DASHKEYER=", Kind::OneOf, 0, 0, "DSR CTS DCD"},
    {"POWERKEYER=", Kind::OneOf, 0, 0, "DTR RTS DTRRTS"},
    {"MONPTT=", Kind::Flag},
    {"ZOOM=", Kind::Flag},
    {"WINDIM=", Kind::Pair, 0, MaxCoordinate, {}, 0},
    {"WINKID=", Kind::Pair, 0, MaxCoordinate, {}, 0},
    {"TYPEXAM=", Kind::OneOf, 0, 0, "0 1 2 3"},
    {"SPACEFILE=", Kind::Flag},
    {"POSFILE=", Kind::Flag},
    {"AFPNEWS=", Kind::Flag},
    {"MONTEXT=", Kind::Flag},
    {"MONERROR=", Kind::Flag},
    {"MONDASH=", Kind::Flag},
    {"MONCARSPEANSI=", Kind::Flag},
    {"MONCARSPE=", Kind::Flag},
    {"MONCARLOC=", Kind::Flag},
    {"VERSTART=", Kind::Flag},
    {"QUIZOKDELAY=", Kind::OneOf, 0, 0, "00 10 20 30"},
    {"SPEEDCALVALUE=", Kind::OneOf, 0, 0, "0 1 2 3 4 5"},
    {"MONIALPHA=", Kind::Flag},
    {"STOPSOUND=", Kind::On},
    {"ENTERSTOP=", Kind::On},
    {"CHOSEN_CHAR=", Kind::Lower},
    {"MASKED_CHAR=", Kind::Markers},
    {"KOCHLIST=", Kind::Lower},
    {"KOCHCHOICE=", Kind::OneOf, 0, 0, "Y"},
    {"WAVFREQ=", Kind::OneOf, 0, 0, "11025 22050"},
    {"MONOSTER=", Kind::OneOf, 0, 0, "1 2 3 4"},
    {"MP3=", Kind::On},
    {"MAINZOOM=", Kind::OneOf, 0, 0, "125 150 175 200"},
    {"QUIZMASK=", Kind::On},
    {"BEACON=", Kind::On},
    {"BEACONKEY=", Kind::On},
    {"BPERTIME=", Kind::OneOf, 0, 0, "2 5 10 15 20 30 60"},
    {"BHEADER=", Kind::Text, 0, Path},
    {"BTIME=", Kind::On},
    {"BMSG1=", Kind::On},
    {"BMSG2=", Kind::On},
    {"BMSG3=", Kind::On},
    {"BMSG4=", Kind::On},
    {"BMSG5=", Kind::On},
    {"BMSG6=", Kind::On},
    {"BTEXT=", Kind::Text, 0, Path},
    {"BEND=", Kind::Text, 0, Path},
    {"TUNEQ=", Kind::On},
    {"REPLAYRANDOM=", Kind::On},
    {"WARNANSI=", Kind::On},
    {"DIRLASTFILE=", Kind::Text, 0, Path},
    {"DIRLASTLIST=", Kind::Text, 0, Path},
    {"STAYONTOP=", Kind::Flag},
    {"MENUHIDE=", Kind::Flag},
    {"MENUSHOW=", Kind::Flag},
    {"MENUHIDEFILE=", Kind::Flag},
    {"MENUSHOWFILE=", Kind::Flag},
    {"LESSON=", Kind::Lesson},
    {"LOCAL_CHAR=", Kind::LocalCharacter},
};

const Form *formOf(std::string_view key)
{
    auto it = std::find_if(std::begin(Forms), std::end(Forms), [&](const Form &f) { return f.key == key; });
    return it == std::end(Forms) ? nullptr : &*it;
}

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
    const Form *form = formOf(key);
    if (!form)
        return std::nullopt;
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
