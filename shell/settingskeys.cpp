#include "shell/settingskeys.h"

#include "shell/settingsforms.h"
#include "shell/settingsstorage.h"

#include <algorithm>
#include <stdexcept>

const std::array<std::string_view, 138> SettingsKeyOrder = {
    // timing, language, random groups, serial port, monitor
    "SPEED=", "SPACE=", "SPACEW=", "SPACEWF=", "SPACEL=", "SPACEB=", "LANGUAGE=", "LEVEL=",
    "RANDOM_COUNT=", "WORDS=", "MIXED=", "VVVVV=", "RANDOM=", "COM=", "MONITOR_CASE=",
    "MONITOR_FILTER=", "MONITOR_CHANNEL=", "LEFT_THRESHOLD=", "RIGHT_THRESHOLD=",
    // effects, quiz timing, messages, keying lines
    "NOISE_LEVEL=", "QSB_LEVEL=", "QSB_SPEED=", "NOISE_BW=", "NOTE=", "DELAY=", "PAGE=",
    "QUIZ_COUNT=", "SPEED_ADJUST=", "DELAY_ADJUST=", "DELAY_RANDOM=", "SHORTCUT=", "MSG=",
    "PTT=", "CW=", "TXDELAY=",
    // parallel port, instructor, devices, modes, windows
    "IGNORELPT=", "LPT=", "ADLPT=", "LPTX=", "ADLPTX=", "PIN=", "LOGIC=", "MDPINT=", "INSTMF=",
    "INSTMR=", "INSTFN=", "INSTFS=", "ISOUND=", "OSOUND=", "LCASE=", "ZCASE=", "LISTW=",
    "LASTCHOICE=", "HINTS=", "WINPOS=", "ZOOMPOS=", "FILTERPOS=",
    // effects, quiz, font, games, keyer, windows, exam, file and monitor options
    "SHEET=", "DRIFT=", "AFCENTER=", "AFBW=", "AFACTIVE=", "BR_NOISE=", "BF_NOISE=", "BR_QSB=",
    "BF_QSB=", "BR_DRIFT=", "BF_DRIFT=", "ABORTDELAY=", "RESUMEDELAY=", "QUIZERROR=",
    "QUIZPSEUDO=", "FONT=", "PAIRSCOLOR=", "PAIRSLEVEL=", "PAIRSPLAYERS=", "PAIRSBEST=",
    "JONGCOLOR=", "JONGPLAYED=", "JONGWON=", "KEYER=", "DOTKEYER=", "DASHKEYER=", "POWERKEYER=",
    "MONPTT=", "ZOOM=", "WINDIM=", "WINKID=", "TYPEXAM=", "SPACEFILE=", "POSFILE=", "AFPNEWS=",
    "MONTEXT=", "MONERROR=", "MONDASH=", "MONCARSPEANSI=", "MONCARSPE=", "MONCARLOC=",
    "VERSTART=", "QUIZOKDELAY=",
    // options, markers, recording, enlargement, beacon, folders, menus, lessons, local characters
    "SPEEDCALVALUE=", "MONIALPHA=", "STOPSOUND=", "ENTERSTOP=", "CHOSEN_CHAR=", "MASKED_CHAR=",
    "KOCHLIST=", "KOCHCHOICE=", "WAVFREQ=", "MONOSTER=", "MP3=", "MAINZOOM=", "QUIZMASK=",
    "BEACON=", "BEACONKEY=", "BPERTIME=", "BHEADER=", "BTIME=", "BMSG1=", "BMSG2=", "BMSG3=",
    "BMSG4=", "BMSG5=", "BMSG6=", "BTEXT=", "BEND=", "TUNEQ=", "REPLAYRANDOM=", "WARNANSI=",
    "DIRLASTFILE=", "DIRLASTLIST=", "STAYONTOP=", "MENUHIDE=", "MENUSHOW=", "MENUHIDEFILE=",
    "MENUSHOWFILE=", "LESSON=", "LOCAL_CHAR=",
};

int SettingsKeyIndex(std::string_view key)
{
    auto it = std::find(SettingsKeyOrder.begin(), SettingsKeyOrder.end(), key);
    return it == SettingsKeyOrder.end() ? -1 : static_cast<int>(it - SettingsKeyOrder.begin());
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
    const std::string_view key = SettingsKeyOrder[static_cast<std::size_t>(index)];
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
    for (std::size_t i = 0; i < SettingsKeyOrder.size(); ++i) {
        const std::string key(SettingsKeyOrder[i]);
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
