#include "shell/settingskeys.h"

#include "shell/enginesettingskeys.h"
#include "shell/settingsstorage.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {

using W = Written;
using settings::Kind;

constexpr int MaxCoordinate = 32767;
constexpr int MaxColour = 0xFFFFFF;
constexpr int MaxCount = INT_MAX;
constexpr int Path = static_cast<int>(settings::MaxTextValue);

} // namespace

const std::array<SettingsKey, 138> SettingsKeys = {{
    {"SPEED=", "engine", W::Always, "12", {Kind::Held, 5, 70}},
    {"SPACE=", "engine", W::Always, "1", {Kind::Held, 1, 30}},
    {"SPACEW=", "engine", W::Always, "1", {Kind::Held, 1, 20}},
    {"SPACEWF=", "engine", W::Always, "0", {Kind::Held, 0, 6}},
    {"SPACEL=", "engine", W::Always, "0", {Kind::Held, 0, 10}},
    {"SPACEB=", "engine", W::Always, "3", {Kind::OneOf, 0, 0, "0 3 6 9"}},
    {"LANGUAGE=", "main window", W::Always, "E", {Kind::OneOf, 0, 0, "E D F I P S M"}},
    {"LEVEL=", "engine", W::Always, "-12", {Kind::Held, -15, 0, {}, 3}},
    {"RANDOM_COUNT=", "random", W::Always, "250", {Kind::Held, 5, 1000}},
    {"WORDS=", "random", W::Always, "5", {Kind::OneOf, 0, 0, "0 2 3 4 5 6 7 8"}},
    {"MIXED=", "random", W::Always, "OFF", {Kind::OneOf, 0, 0, "ON OFF CALL"}},
    {"VVVVV=", "random", W::Always, "OFF", {Kind::OneOf, 0, 0, "ON OFF"}},
    {"RANDOM=", "random", W::Checked, "6", {Kind::OneOf, 0, 0, "1 2 3 4 5 6 7 8 9"}},
    {"COM=", "port panel", W::Always, "0", {Kind::Text, 0, 64}},
    {"MONITOR_CASE=", "monitor", W::Always, "UPPER", {Kind::OneOf, 0, 0, "LOWER UPPER"}},
    {"MONITOR_FILTER=", "audio monitor", W::Always, "0", {Kind::Flag}},
    {"MONITOR_CHANNEL=", "key input", W::Checked, "LEFT", {Kind::OneOf, 0, 0, "LEFT RIGHT ELKEYN ELKEYR SIMPLEKEY CTRLKEY"}},
    {"LEFT_THRESHOLD=", "audio monitor", W::Always, "64", {Kind::Held, 0, 127}},
    {"RIGHT_THRESHOLD=", "audio monitor", W::Always, "64", {Kind::Held, 0, 127}},
    {"NOISE_LEVEL=", "engine", W::Always, "10", {Kind::Held, 0, 20}},
    {"QSB_LEVEL=", "engine", W::Always, "10", {Kind::Held, 0, 20}},
    {"QSB_SPEED=", "engine", W::Always, "6", {Kind::OneOf, 0, 0, "2 6 10"}},
    {"NOISE_BW=", "engine", W::Always, "8", {Kind::OneOf, 0, 0, "1 2 4 8"}},
    {"NOTE=", "engine", W::Always, "800", {Kind::Held, 100, 1500, "-1", 10}},
    {"DELAY=", "quiz", W::Always, "3", {Kind::OneOf, 0, 0, "0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1 1.25 1.5 1.75 2 2.25 2.5 2.75 3 4 5 6 7 8 9"}},
    {"PAGE=", "lessons", W::Always, "1", {Kind::OneOf, 0, 0, "1 2 3"}},
    {"QUIZ_COUNT=", "quiz", W::Always, "100", {Kind::Held, 5, 1000}},
    {"SPEED_ADJUST=", "quiz", W::IfOn, nullptr, {Kind::AnyOn}},
    {"DELAY_ADJUST=", "quiz", W::IfOn, nullptr, {Kind::AnyOn}},
    {"DELAY_RANDOM=", "random", W::Checked, nullptr, {Kind::OneOf, 0, 0, "1 2 3 4 5"}},
    {"SHORTCUT=", "shortcuts", W::List, nullptr, {Kind::Shortcut}},
    {"MSG=", "messages", W::List, nullptr, {Kind::Text, 1, Path}},
    {"PTT=", "port panel", W::Always, "0", {Kind::OneOf, 0, 0, "0 1 2 3"}},
    {"CW=", "port panel", W::Always, "0", {Kind::OneOf, 0, 0, "0 1 2 3"}},
    {"TXDELAY=", "port panel", W::Always, "100", {Kind::OneOf, 0, 0, "50 100 150 200 250"}},
    {"IGNORELPT=", "parallel port", W::IfOn, nullptr, {Kind::On}},
    {"LPT=", "parallel port", W::Always, "0", {Kind::OneOf, 0, 0, "0 1 2 3"}},
    {"ADLPT=", "parallel port", W::IfSet, nullptr, {Kind::Hex, 1}},
    {"LPTX=", "parallel port", W::Always, "OFF", {Kind::OneOf, 0, 0, "ON OFF"}},
    {"ADLPTX=", "parallel port", W::Always, "", {Kind::Hex, 0}},
    {"PIN=", "parallel port", W::Always, "-1", {Kind::OneOf, 0, 0, "-1 0 1 2 3"}},
    {"LOGIC=", "parallel port", W::Always, "P", {Kind::OneOf, 0, 0, "N P"}},
    {"MDPINT=", "instructor", W::Always, "", {Kind::Password}},
    {"INSTMF=", "instructor", W::Always, "0", {Kind::Flag}},
    {"INSTMR=", "instructor", W::Always, "0", {Kind::Flag}},
    {"INSTFN=", "instructor", W::Always, "0", {Kind::Flag}},
    {"INSTFS=", "instructor", W::Always, "0", {Kind::Flag}},
    {"ISOUND=", "engine", W::Always, "-1", {Kind::Range, -1, MaxSoundDeviceNumber}},
    {"OSOUND=", "engine", W::Always, "-1", {Kind::Range, -1, MaxSoundDeviceNumber}},
    {"LCASE=", "random", W::Always, "0", {Kind::Flag}},
    {"ZCASE=", "zoom view", W::Always, "0", {Kind::Flag}},
    {"LISTW=", "random", W::Always, "", {Kind::Text, 1, Path}},
    {"LASTCHOICE=", "start-up", W::Checked, "1", {Kind::OneOf, 0, 0, "1 2 3 4 5 6 7"}},
    {"HINTS=", "tools", W::Always, "1", {Kind::Flag}},
    {"WINPOS=", "main window", W::Always, nullptr, {Kind::Pair, -MaxCoordinate, MaxCoordinate, {}, 0}},
    {"ZOOMPOS=", "zoom view", W::Always, "-1,-1", {Kind::Pair, -MaxCoordinate, MaxCoordinate, {}, -1}},
    {"FILTERPOS=", "audio monitor", W::Always, "-1,-1", {Kind::Pair, -MaxCoordinate, MaxCoordinate, {}, -1}},
    {"SHEET=", "entry sheet", W::Always, "0", {Kind::Flag}},
    {"DRIFT=", "engine", W::Always, "10,1300,300", {Kind::Drift}},
    {"AFCENTER=", "audio monitor", W::Always, "800", {Kind::Held, 500, 1500, {}, 10}},
    {"AFBW=", "audio monitor", W::Always, "100", {Kind::Held, 50, 400, {}, 50}},
    {"AFACTIVE=", "audio monitor", W::Always, "0", {Kind::Flag}},
    {"BR_NOISE=", "effects", W::Always, "0", {Kind::Flag}},
    {"BF_NOISE=", "effects", W::Always, "0", {Kind::Flag}},
    {"BR_QSB=", "effects", W::Always, "0", {Kind::Flag}},
    {"BF_QSB=", "effects", W::Always, "0", {Kind::Flag}},
    {"BR_DRIFT=", "effects", W::Always, "0", {Kind::Flag}},
    {"BF_DRIFT=", "effects", W::Always, "0", {Kind::Flag}},
    {"ABORTDELAY=", "quiz", W::Always, "0", {Kind::Flag}},
    {"RESUMEDELAY=", "quiz", W::Checked, "0", {Kind::OneOf, 0, 0, "0 1 2 3"}},
    {"QUIZERROR=", "quiz", W::Always, "0", {Kind::Flag}},
    {"QUIZPSEUDO=", "quiz", W::Always, "0", {Kind::Flag}},
    {"FONT=", "tools", W::Always, "NO", {Kind::Font}},
    {"PAIRSCOLOR=", "games", W::Always, "1113856", {Kind::Range, 0, MaxColour}},
    {"PAIRSLEVEL=", "games", W::Checked, "1", {Kind::OneOf, 0, 0, "0 1 2 3 4 5 6 7 8"}},
    {"PAIRSPLAYERS=", "games", W::Checked, "1", {Kind::OneOf, 0, 0, "1 2"}},
    {"PAIRSBEST=", "games", W::Always, "-1,-1,-1,-1,-1,-1,-1,-1,-1,", {Kind::Best}},
    {"JONGCOLOR=", "games", W::Always, "1113856", {Kind::Range, 0, MaxColour}},
    {"JONGPLAYED=", "games", W::Always, "0", {Kind::Range, 0, MaxCount}},
    {"JONGWON=", "games", W::Always, "0", {Kind::Range, 0, MaxCount}},
    {"KEYER=", "key input", W::Checked, "MOUSE", {Kind::OneOf, 0, 0, "GAME MOUSE COM"}},
    {"DOTKEYER=", "key input", W::Checked, "DSR", {Kind::OneOf, 0, 0, "DSR CTS DCD"}},
    {"DASHKEYER=", "key input", W::Checked, "CTS", {Kind::OneOf, 0, 0, "DSR CTS DCD"}},
    {"POWERKEYER=", "key input", W::Checked, "DTRRTS", {Kind::OneOf, 0, 0, "DTR RTS DTRRTS"}},
    {"MONPTT=", "port panel", W::Always, "0", {Kind::Flag}},
    {"ZOOM=", "zoom view", W::Always, "0", {Kind::Flag}},
    {"WINDIM=", "main window", W::Always, nullptr, {Kind::Pair, 0, MaxCoordinate, {}, 0}},
    {"WINKID=", "kid mode", W::Always, nullptr, {Kind::Pair, 0, MaxCoordinate, {}, 0}},
    {"TYPEXAM=", "exam", W::Always, "0", {Kind::OneOf, 0, 0, "0 1 2 3"}},
    {"SPACEFILE=", "file text", W::Always, "0", {Kind::Flag}},
    {"POSFILE=", "file text", W::Always, "0", {Kind::Flag}},
    {"AFPNEWS=", "file text", W::Always, "0", {Kind::Flag}},
    {"MONTEXT=", "kid mode", W::Always, "0", {Kind::Flag}},
    {"MONERROR=", "monitor", W::Always, "0", {Kind::Flag}},
    {"MONDASH=", "monitor", W::Always, "1", {Kind::Flag}},
    {"MONCARSPEANSI=", "monitor", W::Always, "0", {Kind::Flag}},
    {"MONCARSPE=", "monitor", W::Always, "0", {Kind::Flag}},
    {"MONCARLOC=", "monitor", W::Always, "0", {Kind::Flag}},
    {"VERSTART=", "release check", W::Always, "0", {Kind::Flag}},
    {"QUIZOKDELAY=", "quiz", W::Checked, "00", {Kind::OneOf, 0, 0, "00 10 20 30"}},
    {"SPEEDCALVALUE=", "monitor", W::Checked, "1", {Kind::OneOf, 0, 0, "0 1 2 3 4 5"}},
    {"MONIALPHA=", "kid mode", W::Always, "0", {Kind::Flag}},
    {"STOPSOUND=", "sound card", W::IfOn, nullptr, {Kind::On}},
    {"ENTERSTOP=", "typing", W::IfOn, nullptr, {Kind::On}},
    {"CHOSEN_CHAR=", "random", W::IfSet, nullptr, {Kind::Lower}},
    {"MASKED_CHAR=", "masked text", W::Always, "\xFF\xFF", {Kind::Markers}},
    {"KOCHLIST=", "lessons", W::Always, "kmrsuaptlowi.njef0y,vg5/q9zh38b?427c1d6x=+>", {Kind::Lower}},
    {"KOCHCHOICE=", "lessons", W::IfOn, nullptr, {Kind::OneOf, 0, 0, "Y"}},
    {"WAVFREQ=", "recording", W::Always, "22050", {Kind::OneOf, 0, 0, "11025 22050"}},
    {"MONOSTER=", "recording", W::Checked, "4", {Kind::OneOf, 0, 0, "1 2 3 4"}},
    {"MP3=", "recording", W::IfOn, nullptr, {Kind::On}},
    {"MAINZOOM=", "enlargement", W::Checked, nullptr, {Kind::OneOf, 0, 0, "125 150 175 200"}},
    {"QUIZMASK=", "quiz", W::IfOn, nullptr, {Kind::On}},
    {"BEACON=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BEACONKEY=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BPERTIME=", "beacon", W::Always, "5", {Kind::OneOf, 0, 0, "2 5 10 15 20 30 60"}},
    {"BHEADER=", "beacon", W::IfSet, nullptr, {Kind::Text, 0, Path}},
    {"BTIME=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BMSG1=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BMSG2=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BMSG3=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BMSG4=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BMSG5=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BMSG6=", "beacon", W::IfOn, nullptr, {Kind::On}},
    {"BTEXT=", "beacon", W::IfSet, nullptr, {Kind::Text, 0, Path}},
    {"BEND=", "beacon", W::IfSet, nullptr, {Kind::Text, 0, Path}},
    {"TUNEQ=", "sound card", W::IfOn, nullptr, {Kind::On}},
    {"REPLAYRANDOM=", "random", W::IfOn, nullptr, {Kind::On}},
    {"WARNANSI=", "start-up", W::IfOn, nullptr, {Kind::On}},
    {"DIRLASTFILE=", "file text", W::IfSet, nullptr, {Kind::Text, 0, Path}},
    {"DIRLASTLIST=", "random", W::IfSet, nullptr, {Kind::Text, 0, Path}},
    {"STAYONTOP=", "tools", W::Always, "0", {Kind::Flag}},
    {"MENUHIDE=", "random", W::Always, "0", {Kind::Flag}},
    {"MENUSHOW=", "random", W::Always, "0", {Kind::Flag}},
    {"MENUHIDEFILE=", "random", W::Always, "0", {Kind::Flag}},
    {"MENUSHOWFILE=", "random", W::Always, "0", {Kind::Flag}},
    {"LESSON=", "lessons", W::List, nullptr, {Kind::Lesson}},
    {"LOCAL_CHAR=", "engine", W::List, nullptr, {Kind::LocalCharacter}},
}};

int SettingsKeyIndex(std::string_view key)
{
    auto it = std::find_if(SettingsKeys.begin(), SettingsKeys.end(), [&](const SettingsKey &k) { return k.key == key; });
    return it == SettingsKeys.end() ? -1 : static_cast<int>(it - SettingsKeys.begin());
}

void SettingsRegistry::bind(const std::vector<Row> &rows)
{
    for (const Row &row : rows)
        bind(row.key, row.read, row.write);
}

void SettingsRegistry::bind(std::string_view key, ReadFn read, WriteFn write)
{
    int index = SettingsKeyIndex(key);
    if (index < 0)
        throw std::invalid_argument("not a settings key: " + std::string(key));
    bindings_[index] = {std::move(read), std::move(write)};
}

bool SettingsRegistry::isBound(std::string_view key) const
{
    int index = SettingsKeyIndex(key);
    return index >= 0 && (bindings_[index].read || bindings_[index].write);
}

void SettingsRegistry::addReadStart(std::string_view name, Step step)
{
    std::erase_if(readStart_, [&](const Named &s) { return s.name == name; });
    readStart_.push_back({std::string(name), std::move(step)});
}

void SettingsRegistry::addFixUp(int number, std::string_view name, Step step)
{
    std::erase_if(fixUps_, [&](const FixUp &f) { return f.name == name; });
    auto at = std::upper_bound(fixUps_.begin(), fixUps_.end(), number,
                               [](int n, const FixUp &f) { return n < f.number; });
    fixUps_.insert(at, {number, std::string(name), std::move(step)});
}

namespace {

// A line whose row fails (a device that throws while the value is applied) is ignored like a
// bad value: the lines after it are still applied and kept, and start-up goes on.
template <typename Fn>
void ignoringFailure(const Fn &fn)
{
    try {
        fn();
    } catch (const std::exception &) {
    }
}

} // namespace

void SettingsRegistry::keep(int index, const std::string &raw)
{
    const std::string_view key = SettingsKeys[static_cast<std::size_t>(index)].key;
    auto value = settings::KeptValue(key, raw);
    if (!value)
        return;
    std::vector<std::string> &kept = kept_[static_cast<std::size_t>(index)];
    const std::size_t lines = settings::ListKeyLines(key);
    if (lines == 0) {
        kept = {std::move(*value)}; // the last line wins, and is written once
        return;
    }
    auto same = std::find_if(kept.begin(), kept.end(),
                             [&](const std::string &k) { return settings::SameListEntry(key, k, *value); });
    if (same != kept.end())
        *same = std::move(*value);
    else if (kept.size() < lines)
        kept.push_back(std::move(*value));
}

void SettingsRegistry::keepUnknown(const settings::Line &line)
{
    if (!settings::LooksLikeSettingKey(line.key))
        return;
    auto [known, added] = unknownIndex_.try_emplace(line.key, keptUnknown_.size());
    if (added)
        keptUnknown_.push_back(line);
    else
        keptUnknown_[known->second].value = line.value;
}

void SettingsRegistry::read(const std::vector<settings::Line> &lines)
{
    for (auto &kept : kept_)
        kept.clear();
    keptUnknown_.clear();
    unknownIndex_.clear();
    for (const Named &start : readStart_)
        start.step();
    for (const settings::Line &line : lines) {
        int index = SettingsKeyIndex(line.key);
        if (index < 0)
            keepUnknown(line);
        else if (bindings_[index].read)
            ignoringFailure([&] { bindings_[index].read(line.value); });
        else if (!bindings_[index].write)
            keep(index, line.value);
    }
    for (const FixUp &fixUp : fixUps_)
        ignoringFailure(fixUp.step);
}

void SettingsRegistry::applyValue(std::string_view key, const std::string &value)
{
    int index = SettingsKeyIndex(key);
    if (index < 0)
        throw std::invalid_argument("not a settings key: " + std::string(key));
    if (bindings_[index].read)
        ignoringFailure([&] { bindings_[index].read(value); });
    else if (!bindings_[index].write) {
        kept_[index].clear();
        keep(index, value);
    }
}

std::vector<settings::Line> SettingsRegistry::write() const
{
    std::vector<settings::Line> lines;
    std::vector<std::string> values;
    for (std::size_t i = 0; i < SettingsKeys.size(); ++i) {
        const std::string key(SettingsKeys[i].key);
        if (bindings_[i].write) {
            values.clear();
            bindings_[i].write(values);
            for (std::string &value : values)
                lines.push_back({key, std::move(value)});
        } else if (!bindings_[i].read) {
            for (const std::string &value : kept_[i])
                lines.push_back({key, value});
        }
    }
    // Lines of unknown keys only as far as the file stays within what the reader takes, so
    // the next start reads it.
    std::size_t size = settings::Header.size() + settings::LineEnd.size();
    for (const settings::Line &line : lines)
        size += line.key.size() + line.value.size() + settings::LineEnd.size();
    for (const settings::Line &line : keptUnknown_) {
        size += line.key.size() + line.value.size() + settings::LineEnd.size();
        if (size > settings::MaxFileBytes)
            break;
        lines.push_back(line);
    }
    return lines;
}

void SettingsRegistry::clear()
{
    *this = SettingsRegistry();
}

SettingsRegistry &Settings()
{
    static SettingsRegistry registry;
    return registry;
}
