#include "shell/enginesettingskeys.h"
#include "shell/settingskeys.h"

#include "engine/enginestate.h"
#include "engine/localcharacters.h"
#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Engine {
    Timing timing;
    ToneGenerator tone;
    MorseCodeTable codes = DefaultMorseCodes;
    CharacterSets sets;
    EngineState state;
    SettingsRegistry registry;

    Engine()
    {
        IniNoisePosition = 10;
        IniQsbPosition = 10;
        IniNotePosition = 70;
        BindEngineSettingsKeys(registry, {&timing, &tone, &codes, &sets, &state});
    }
    void read(const std::string &file) { registry.read(settings::ParseLines(file)); }
    std::string written() const { return settings::FormatFile(registry.write()); }
    std::string value(std::string_view key) const
    {
        for (const auto &line : registry.write())
            if (line.key == key)
                return line.value;
        return "(none)";
    }
};

std::string lines(std::initializer_list<std::string> l)
{
    std::string file = "[KESTRELON 5.2.9]\r\n";
    for (const auto &s : l)
        file += s + "\r\n";
    return file;
}

} // namespace

TEST(SettingsEngineKeys, ValuesAreTakenHeldOrRefusedAsTheirControlsWould)
{
    struct Case {
        std::vector<std::string> in;
        const char *key;
        const char *out;
    } cases[] = {
        {{}, "SPEED=", "12"},
        {{"SPEED=abc"}, "SPEED=", "12"},
        {{"SPEED=20", "SPEED=30"}, "SPEED=", "30"},
        {{"SPEED=25", "SPEED=2x"}, "SPEED=", "25"},
        {{"SPEED=0"}, "SPEED=", "5"},
        {{"SPEED=99"}, "SPEED=", "70"},
        {{"SPEED=-5"}, "SPEED=", "5"},
        {{"SPACE=40"}, "SPACE=", "30"},
        {{"SPACE=0"}, "SPACE=", "1"},
        {{"SPACEW=7"}, "SPACEW=", "7"},
        {{"SPACEW=25"}, "SPACEW=", "20"},
        {{"SPACEWF=9"}, "SPACEWF=", "6"},
        {{"SPACEL=11"}, "SPACEL=", "10"},
        {{"SPACEB=4"}, "SPACEB=", "3"},
        {{"SPACEB=9"}, "SPACEB=", "9"},
        {{"SPACEB=0"}, "SPACEB=", "0"},
        {{"LEVEL=-20"}, "LEVEL=", "-15"},
        {{"LEVEL=-6"}, "LEVEL=", "-6"},
        {{"LEVEL=x"}, "LEVEL=", "-12"},
        {{"LEVEL=-1"}, "LEVEL=", "0"},
        {{"LEVEL=-13"}, "LEVEL=", "-12"},
        {{"LEVEL=-2147483648"}, "LEVEL=", "-15"},
        {{"NOISE_LEVEL=3"}, "NOISE_LEVEL=", "3"},
        {{"NOISE_LEVEL=30"}, "NOISE_LEVEL=", "20"},
        {{"QSB_LEVEL=-1"}, "QSB_LEVEL=", "0"},
        {{"QSB_SPEED=7"}, "QSB_SPEED=", "6"},
        {{"QSB_SPEED=2"}, "QSB_SPEED=", "2"},
        {{"QSB_SPEED=2", "QSB_SPEED=z"}, "QSB_SPEED=", "2"},
        {{"NOISE_BW=3"}, "NOISE_BW=", "8"},
        {{"NOISE_BW=2"}, "NOISE_BW=", "2"},
        {{"NOISE_BW=2", "NOISE_BW=-"}, "NOISE_BW=", "2"},
        {{}, "NOTE=", "800"},
        {{"NOTE=2000"}, "NOTE=", "1500"},
        {{"NOTE=50"}, "NOTE=", "100"},
        {{"NOTE=-1"}, "NOTE=", "-1"},
        {{"NOTE=805"}, "NOTE=", "800"},
        {{"NOTE=815"}, "NOTE=", "820"},
        {{"NOTE=1000", "NOTE=abc"}, "NOTE=", "1000"},
        {{}, "DRIFT=", "10,1300,300"},
        {{"DRIFT=20,1400,200"}, "DRIFT=", "20,1400,200"},
        {{"DRIFT=0,0,0"}, "DRIFT=", "0,800,100"},
        {{"DRIFT=99,2000,900"}, "DRIFT=", "50,1500,800"},
        {{"DRIFT=x,1400,abc"}, "DRIFT=", "10,1400,300"},
        {{"DRIFT=20"}, "DRIFT=", "20,1300,300"},
        {{"DRIFT=20,900"}, "DRIFT=", "20,900,300"},
        {{"DRIFT=-2147483648,-2147483648,2147483647"}, "DRIFT=", "50,800,800"},
        {{}, "OSOUND=", "-1"},
        {{"OSOUND=3"}, "OSOUND=", "3"},
        {{"OSOUND=3", "OSOUND=x"}, "OSOUND=", "3"},
        {{"ISOUND=2", "ISOUND=-1"}, "ISOUND=", "-1"},
        {{"ISOUND=4"}, "OSOUND=", "-1"},
        {{"OSOUND=3", "OSOUND=-2"}, "OSOUND=", "3"},
        {{"ISOUND=-2"}, "ISOUND=", "-1"},
        {{"ISOUND=2147483647"}, "ISOUND=", "-1"},
    };
    for (const Case &c : cases) {
        Engine e;
        std::string file = "[KESTRELON 5.2.9]\r\n";
        for (const auto &l : c.in)
            file += l + "\r\n";
        e.read(file);
        EXPECT_EQ(e.value(c.key), c.out) << file;
    }
}

TEST(SettingsEngineKeys, ModelsFollowTheFile)
{
    Engine e;
    e.read(lines({"SPEED=25", "QSB_SPEED=7", "NOTE=2000", "LEVEL=0"}));
    EXPECT_DOUBLE_EQ(e.timing.SpeedUnit(), 10.0);
    EXPECT_EQ(e.tone.Fade.QSBPeriod(), 12);
    EXPECT_DOUBLE_EQ(e.tone.Tables.ToneFrequency(), 1500.0);
    EXPECT_DOUBLE_EQ(e.tone.Tables.BaseFrequency(), 1500.0);
    EXPECT_EQ(IniNotePosition, 0);
    // The tables were rebuilt at the new level: full scale.
    auto tone = e.tone.Tables.ToneBuffer();
    EXPECT_GT(*std::max_element(tone.begin(), tone.end()), 32700);

    Engine low;
    low.read(lines({"NOTE=50"}));
    EXPECT_EQ(IniNotePosition, 140);
    EXPECT_DOUBLE_EQ(low.tone.Tables.ToneFrequency(), 100.0);

    Engine exam;
    exam.read(lines({"NOTE=-1"}));
    EXPECT_TRUE(exam.tone.Tables.ExamTone());
    EXPECT_EQ(IniNotePosition, -1);

    EXPECT_EQ(NotePositionForPitch(805), 70);
    EXPECT_EQ(NotePositionForPitch(815), 68);
    EXPECT_EQ(NotePositionForPitch(1500), 0);
}

TEST(SettingsEngineKeys, LocalCharacters)
{
    Engine e;
    std::vector<std::string> in = {
        "LOCAL_CHAR= X  .-..-",
        "LOCAL_CHAR= q  abc",                   // refused: q keeps its code
        "LOCAL_CHAR= \xF1  --.--  U.S.-made", // the comment's signs are no part of the code
        "LOCAL_CHAR= w  .-.-.-.-.-.-",          // 12 signs: refused
    };
    std::string file = "[KESTRELON 5.2.9]\r\n";
    for (const auto &l : in)
        file += l + "\r\n";
    e.read(file);
    EXPECT_EQ(e.codes['X'], ".-..-");
    EXPECT_EQ(e.codes['x'], ".-..-");
    EXPECT_EQ(e.codes['q'], "--.-");
    EXPECT_EQ(e.codes['w'], ".--");
    EXPECT_EQ(e.codes[static_cast<unsigned char>(0xF1)], "--.--");
    EXPECT_EQ(e.codes[static_cast<unsigned char>(0xD1)], "--.--");
    EXPECT_EQ(e.sets.LocalCount, 2);
    EXPECT_EQ(e.sets.RandomCharacters[45], 'x');
    EXPECT_EQ(e.sets.RandomCharacters[46], 0xF1);
    EXPECT_EQ(e.written(), lines({"SPEED=12", "SPACE=1", "SPACEW=1", "SPACEWF=0", "SPACEL=0", "SPACEB=3",
                                  "LEVEL=-12", "NOISE_LEVEL=10", "QSB_LEVEL=10", "QSB_SPEED=6", "NOISE_BW=8",
                                  "NOTE=800", "ISOUND=-1", "OSOUND=-1", "DRIFT=10,1300,300", "LOCAL_CHAR= X  .-..-",
                                  "LOCAL_CHAR= \xF1  --.--  U.S.-made"}));

    // At most 26 are taken; a second read starts again from the built-in codes.
    std::string many = "[KESTRELON 5.2.9]\r\n";
    for (int i = 0; i < 27; ++i)
        many += std::string("LOCAL_CHAR= ") + static_cast<char>(0xA1 + i) + "  .-.-\r\n";
    e.read(many);
    EXPECT_EQ(e.sets.LocalCount, 26);
    EXPECT_EQ(e.codes['x'], "-..-");
    EXPECT_EQ(e.codes[static_cast<unsigned char>(0xF1)], "");
    EXPECT_EQ(e.codes[static_cast<unsigned char>(0xA1 + 25)], ".-.-");
    EXPECT_EQ(e.codes[static_cast<unsigned char>(0xA1 + 26)], "");
}

TEST(SettingsEngineKeys, AWrittenFileReadsBackByteIdentical)
{
    Engine first;
    first.read(lines({"SPEED=33", "SPACE=4", "SPACEW=3", "SPACEWF=2", "SPACEL=1", "SPACEB=6", "LEVEL=-3",
                      "NOISE_LEVEL=4", "QSB_LEVEL=17", "QSB_SPEED=10", "NOISE_BW=2", "NOTE=-1",
                      "DRIFT=25,1200,400", "OSOUND=1", "ISOUND=0", "WORDS=3", "MSG=CQ", "LOCAL_CHAR= \xE4  .-.-  a-umlaut"}));
    const std::string written = first.written();
    Engine second;
    second.read(written);
    EXPECT_EQ(second.written(), written);
    EXPECT_NE(written.find("\r\nLEVEL=-3\r\nWORDS=3\r\nNOISE_LEVEL=4\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nNOTE=-1\r\nMSG=CQ\r\nISOUND=0\r\nOSOUND=1\r\nDRIFT=25,1200,400\r\n"), std::string::npos);
}
