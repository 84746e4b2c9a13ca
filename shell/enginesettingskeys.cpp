#include "shell/enginesettingskeys.h"

#include "engine/cp1252.h"
#include "engine/enginestate.h"
#include "engine/localcharacters.h"
#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "shell/instructorlock.h"
#include "shell/settingskeys.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

int IniNoisePosition = 10;
int IniQsbPosition = 10;
int IniNotePosition = 70;

namespace {

constexpr int EffectPositions = 20;
constexpr int MaxDriftAmount = 50;
constexpr int ExamTonePosition = -1;
constexpr int RebuildToneTablesFixUp = 100; // after the fix-ups of the file itself

using Values = std::vector<std::string>;

std::string number(int n)
{
    return std::to_string(n);
}

// A value as a spin edit or an up-down takes it: held to the control's range.
template <typename Set>
SettingsRegistry::ReadFn heldTo(int lowest, int highest, Set set)
{
    return [=](const std::string &value) {
        if (auto n = settings::ParseInt(value))
            set(std::clamp(*n, lowest, highest));
    };
}

bool isBlank(const std::string &line)
{
    return line.find_first_not_of(' ') == std::string::npos;
}

} // namespace

int NotePositionForPitch(int hz)
{
    hz = std::clamp(hz, MinPitch, MaxPitch);
    // (1500 - hz) / 10 with halves to even, in integers.
    int tenths = MaxPitch - hz;
    int position = tenths / 10;
    int rest = tenths % 10;
    if (rest > 5 || (rest == 5 && position % 2 == 1))
        ++position;
    return position;
}

void BindEngineSettingsKeys(SettingsRegistry &registry, const EngineSettings &engine)
{
    Timing *const timing = engine.timing;
    ToneGenerator *const tone = engine.tone;
    MorseCodeTable *const codes = engine.codes;
    CharacterSets *const sets = engine.sets;
    // Set when a line changed what the tone tables are built from.
    auto tablesStale = std::make_shared<bool>(false);

    registry.bind({
        {"SPEED=",
         [=](const std::string &value) {
             // A line after the instructor fixed the speed (the command line's) is refused.
             if (OptionLocked(InstructorLock::FixedSpeed))
                 return;
             if (auto n = settings::ParseInt(value)) {
                 timing->setSpeed(*n);
                 tone->Fade.RestartPhase(timing->Speed());
             }
         },
         [=](Values &out) { out.push_back(number(timing->Speed())); }},
        {"SPACE=", heldTo(1, 30, [=](int s) { timing->setCharacterSpacing(s); }),
         [=](Values &out) { out.push_back(number(timing->CharacterSpacing())); }},
        {"SPACEW=", heldTo(1, 20, [=](int w) { timing->setWordSpacing(w); }),
         [=](Values &out) { out.push_back(number(timing->WordGapSetting())); }},
        {"SPACEWF=", heldTo(0, 6, [=](int f) { timing->setWordSpacingFine(f); }),
         [=](Values &out) { out.push_back(number(timing->WordGapExtra())); }},
        {"SPACEL=", heldTo(0, 10, [=](int n) { timing->setLeadingSpace(n); }),
         [=](Values &out) { out.push_back(number(timing->LeadingSpace())); }},
        {"SPACEB=",
         [=](const std::string &value) {
             auto b = settings::ParseInt(value);
             if (b && (*b == 0 || *b == 3 || *b == 6 || *b == 9))
                 timing->setStartSilence(*b);
         },
         [=](Values &out) { out.push_back(number(timing->StartSilence())); }},
        {"LEVEL=", heldTo(MinLevel, MaxLevel, [=](int dB) {
             // The volume moves in steps of 3 dB from -15: the nearest step, halves to even.
             if (tone->Tables.setLevel(MinLevel + static_cast<int>(RoundHalfEven((dB - MinLevel) / double(LevelStep))) * LevelStep))
                 *tablesStale = true;
         }),
         [=](Values &out) { out.push_back(number(tone->Tables.Level())); }},
        {"NOISE_LEVEL=", heldTo(0, EffectPositions, [](int p) { IniNoisePosition = p; }),
         [](Values &out) { out.push_back(number(IniNoisePosition)); }},
        {"QSB_LEVEL=", heldTo(0, EffectPositions, [](int p) { IniQsbPosition = p; }),
         [](Values &out) { out.push_back(number(IniQsbPosition)); }},
        {"QSB_SPEED=",
         [=](const std::string &value) {
             if (auto n = settings::ParseInt(value)) {
                 if (!tone->Fade.setQSBSpeed(*n))
                     tone->Fade.setQSBSpeed(6);
                 tone->Fade.RestartPhase(timing->Speed());
             }
         },
         [=](Values &out) { out.push_back(number(tone->Fade.QSBSpeed())); }},
        {"NOISE_BW=",
         [=](const std::string &value) {
             if (auto n = settings::ParseInt(value)) {
                 int before = tone->Tables.NoiseBandDivisor();
                 if (!tone->Tables.setNoiseBandDivisor(*n))
                     tone->Tables.setNoiseBandDivisor(8);
                 if (tone->Tables.NoiseBandDivisor() != before)
                     *tablesStale = true;
             }
         },
         [=](Values &out) { out.push_back(number(tone->Tables.NoiseBandDivisor())); }},
        {"NOTE=",
         [=](const std::string &value) {
             auto hz = settings::ParseInt(value);
             if (!hz || OptionLocked(InstructorLock::FixedNote))
                 return;
             if (*hz == ExamTonePosition) {
                 IniNotePosition = ExamTonePosition;
                 if (tone->Tables.setExamTone(true))
                     *tablesStale = true;
             } else {
                 IniNotePosition = NotePositionForPitch(*hz);
                 if (tone->Tables.setExamTone(false))
                     *tablesStale = true;
                 if (tone->Tables.setToneFrequency(std::clamp(*hz, MinPitch, MaxPitch)))
                     *tablesStale = true;
             }
             tone->Tables.setBaseFrequency(tone->Tables.ToneFrequency());
         },
         [](Values &out) {
             out.push_back(IniNotePosition == ExamTonePosition ? number(ExamTonePosition)
                                                               : number(MaxPitch - 10 * IniNotePosition));
         }},
        {"DRIFT=",
         [=](const std::string &value) {
             // Drift, maximum, minimum: each part on its own, held to the drift window's
             // ranges, so the pitch can never drift to 0 Hz or jump between crossed limits.
             std::size_t first = value.find(',');
             std::size_t second = first == std::string::npos ? first : value.find(',', first + 1);
             // Held before the sign is dropped: -2147483648 has no positive counterpart.
             if (auto n = settings::ParseInt(value.substr(0, first)))
                 tone->drift.setDriftAmount(std::abs(std::clamp(*n, -MaxDriftAmount, MaxDriftAmount)));
             if (first == std::string::npos)
                 return;
             if (auto n = settings::ParseInt(value.substr(first + 1, second == std::string::npos ? second : second - first - 1)))
                 tone->drift.setDriftUpper(*n);
             if (second == std::string::npos)
                 return;
             if (auto n = settings::ParseInt(value.substr(second + 1)))
                 tone->drift.setDriftLower(*n);
         },
         [=](Values &out) {
             out.push_back(number(tone->drift.DriftAmount()) + "," + number(tone->drift.DriftUpper()) + "," +
                           number(tone->drift.DriftLower()));
         }},
        {"LOCAL_CHAR=",
         [=](const std::string &value) {
             if (sets->LocalCount >= MaxLocalCharacters)
                 return;
             auto local = settings::ParseLocalCharacter(value);
             if (!local)
                 return; // a refused line changes nothing
             const unsigned char other = cp1252::otherCase(local->character);
             if (!codes->set(local->character, local->code) || !codes->set(other, local->code))
                 return;
             const int k = sets->LocalCount++;
             sets->RandomCharacters[LocalCharactersFirst + k] = cp1252::toLower(local->character);
             sets->LocalLines[k] = local->line;
         },
         [=](Values &out) {
             for (int i = 0; i < sets->LocalCount; ++i)
                 if (!isBlank(sets->LocalLines[i]))
                     out.push_back(sets->LocalLines[i]);
         }},
    });

    if (EngineState *const state = engine.state) {
        // -1 is the system's choice. The device panel's radio buttons follow the numbers
        // (any number but -1 is the user's own choice), so the numbers alone are stored. A
        // number that can be no device leaves the device as it was.
        auto device = [](int *chosen) {
            return [chosen](const std::string &value) {
                if (auto n = settings::ParseInt(value); n && *n >= -1 && *n <= MaxSoundDeviceNumber)
                    *chosen = *n;
            };
        };
        registry.bind({
            {"ISOUND=", device(&state->WaveInDevice), [=](Values &out) { out.push_back(number(state->WaveInDevice)); }},
            {"OSOUND=", device(&state->WaveOutDevice), [=](Values &out) { out.push_back(number(state->WaveOutDevice)); }},
        });
    }

    registry.addReadStart("engine: local characters", [=] {
        *tablesStale = false;
        // Reading again starts from no local characters, their built-in codes back.
        for (int i = 0; i < sets->LocalCount; ++i) {
            unsigned char c = sets->LocalCharacter(i);
            codes->set(c, DefaultMorseCodes[c]);
            codes->set(cp1252::otherCase(c), DefaultMorseCodes[cp1252::otherCase(c)]);
            sets->RandomCharacters[LocalCharactersFirst + i] = 0;
            sets->LocalLines[i].clear();
        }
        sets->LocalCount = 0;
    });
    registry.addFixUp(RebuildToneTablesFixUp, "engine: tone tables", [=] {
        if (*tablesStale)
            tone->Tables.BuildToneTables();
        *tablesStale = false;
    });
}
