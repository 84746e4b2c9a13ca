#include "shell/enginesettingskeys.h"
#include "shell/settingskeys.h"

#include "engine/enginestate.h"
#include "engine/localcharacters.h"
#include "engine/morsecode.h"
#include "engine/random.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <gtest/gtest.h>

// Random bytes and mutations of a valid file through the reader, the list-key parsers and
// the writer. Built with -DKESTRELON_SANITIZE=address it also checks every access.
namespace {

const std::string ValidFile =
    "[KESTRELON 5.2.9]\r\nSPEED=20\r\nSPACE=3\r\nLANGUAGE=F\r\nSHORTCUT=a=b\r\nMSG=73 de ZELMO\r\n"
    "MSG=\r\nMDPINT=bfl\x01J\r\nDRIFT=10,1300,300\r\nCHOSEN_CHAR=abc\r\nKOCHLIST=kmrsu\r\n"
    "LESSON=abc #3\r\nLESSON=q #60\r\nLOCAL_CHAR= \xF1  --.--  n-tilde\r\nUNKNOWN=x\r\n";

struct Sink {
    std::vector<std::string> kept;
    void bindTo(SettingsRegistry &r)
    {
        auto keep = [this](std::string text) { kept.push_back(std::move(text)); };
        r.bind({
            {"SPEED=", [=](const std::string &v) { if (auto n = settings::ParseInt(v)) keep(std::to_string(*n)); }, nullptr},
            {"SHORTCUT=", [=](const std::string &v) { if (auto s = settings::ParseShortcut(v)) keep(s->text); }, nullptr},
            {"MDPINT=", [=](const std::string &v) { keep(settings::ShiftPassword(settings::UnshiftPassword(v))); }, nullptr},
            {"CHOSEN_CHAR=", [=](const std::string &v) { keep(settings::ClipChosenCharacters(v)); }, nullptr},
            {"KOCHLIST=", [=](const std::string &v) { keep(settings::ClipKochList(v)); }, nullptr},
            {"LESSON=", [=](const std::string &v) { if (auto l = settings::ParseLesson(v)) keep(settings::FormatLesson(*l)); }, nullptr},
            {"LOCAL_CHAR=", [=](const std::string &v) { if (auto c = settings::ParseLocalCharacter(v)) keep(c->code); }, nullptr},
        });
    }
};

std::string randomBytes(int maxLength)
{
    static const std::string pieces[] = {"=", "\r", "\n", "\r\n", " #", "  ", ".", "-", "\x01", ",", "SPEED=",
                                         "LESSON=", "LOCAL_CHAR=", "MDPINT=", "SHORTCUT=", "MSG=", "SPACE=",
                                         "NOTE=", "DRIFT=", "QSB_SPEED=", "NOISE_BW=", "LEVEL=", "-1", "99"};
    std::string s;
    int length = Random(maxLength + 1);
    while (static_cast<int>(s.size()) < length) {
        if (Random(4) == 0)
            s += pieces[Random(std::size(pieces))];
        else
            s.push_back(static_cast<char>(Random(256)));
    }
    return s;
}

std::string mutate(std::string s)
{
    int edits = 1 + Random(8);
    for (int i = 0; i < edits; ++i) {
        int at = Random(static_cast<int>(s.size()) + 1);
        switch (Random(3)) {
        case 0: s.insert(static_cast<std::size_t>(at), randomBytes(12)); break;
        case 1:
            if (at < static_cast<int>(s.size()))
                s.erase(static_cast<std::size_t>(at), 1 + Random(10));
            break;
        default:
            if (at < static_cast<int>(s.size()))
                s[static_cast<std::size_t>(at)] = static_cast<char>(Random(256));
            break;
        }
    }
    return s;
}

} // namespace

TEST(SettingsFuzz, AnyBytesReadAndWriteWithoutHarmAndTheOutputIsStable)
{
    RandomSeed(20261207);
    SettingsRegistry registry;
    Sink sink;
    sink.bindTo(registry);
    for (int round = 0; round < 20000; ++round) {
        const std::string input = round % 2 ? randomBytes(400) : mutate(ValidFile);
        sink.kept.clear();
        registry.read(settings::ParseLines(input));
        for (const std::string &text : sink.kept)
            ASSERT_LE(text.size(), input.size() * 2 + 10);
        const std::string written = settings::FormatFile(registry.write());
        ASSERT_EQ(written.compare(0, 19, "[KESTRELON 5.2.9]\r\n"), 0);
        // Every CR is followed by LF and every LF preceded by CR: no value split a line.
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (written[i] == '\r') {
                ASSERT_EQ(written[i + 1], '\n');
            }
            if (written[i] == '\n') {
                ASSERT_EQ(written[i - 1], '\r');
            }
            ASSERT_NE(written[i], '\0');
        }
        // What was written reads back to the same file.
        registry.read(settings::ParseLines(written));
        ASSERT_EQ(settings::FormatFile(registry.write()), written) << round;
    }
}

TEST(SettingsFuzz, TheEngineKeysTakeAnyBytesAndKeepTheModelInRange)
{
    RandomSeed(7);
    Timing timing;
    ToneGenerator tone;
    MorseCodeTable codes = DefaultMorseCodes;
    CharacterSets sets;
    EngineState state;
    SettingsRegistry registry;
    BindEngineSettingsKeys(registry, {&timing, &tone, &codes, &sets, &state});
    for (int round = 0; round < 3000; ++round) {
        std::string input = round % 2 ? randomBytes(200) : mutate(ValidFile + "LEVEL=-3\r\nNOTE=1000\r\nDRIFT=5,900,200\r\n");
        registry.read(settings::ParseLines(input));
        ASSERT_GE(timing.Speed(), MinSpeed);
        ASSERT_LE(timing.Speed(), MaxSpeed);
        ASSERT_GE(timing.EffectiveSpeed(), 1.0);
        ASSERT_GE(tone.Tables.ToneFrequency(), MinPitch);
        ASSERT_LE(tone.Tables.ToneFrequency(), MaxPitch);
        ASSERT_LE(tone.drift.DriftLower(), tone.drift.DriftUpper());
        ASSERT_GE(tone.drift.DriftLower(), MinPitch);
        ASSERT_LE(sets.LocalCount, 26);
        for (int c = 0; c < 256; ++c)
            ASSERT_LE(codes[c].size(), 10u);
        const std::string written = settings::FormatFile(registry.write());
        registry.read(settings::ParseLines(written));
        ASSERT_EQ(settings::FormatFile(registry.write()), written) << round;
    }
}
