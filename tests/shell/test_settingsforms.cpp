#include "shell/settingsforms.h"

#include <gtest/gtest.h>

using settings::KeptValue;

// A line of a key no module reads yet comes back as a value the program could have written:
// held where its control holds, dropped where it names no choice, cut where its editor cuts.
TEST(SettingsForms, KeptValuesAreValuesTheProgramCouldWrite)
{
    struct Case {
        const char *key;
        std::string in;
        std::optional<std::string> out; // none: dropped
    } cases[] = {
        {"RANDOM_COUNT=", "2147483647", "1000"},    {"RANDOM_COUNT=", "-2147483648", "5"},
        {"RANDOM_COUNT=", "12x", std::nullopt},          {"LEVEL=", "-1", "0"},
        {"LEVEL=", "-10", "-9"},                    {"AFBW=", "75", "50"},
        {"AFBW=", "125", "150"},                    {"NOTE=", "-1", "-1"},
        {"NOTE=", "-2", "100"},                     {"WORDS=", "1", std::nullopt},
        {"WORDS=", "8", "8"},                       {"DELAY=", "3.0", std::nullopt},
        {"DELAY=", "1.25", "1.25"},                 {"MIXED=", "on", std::nullopt},
        {"SPEED_ADJUST=", "whatever", "ON"},        {"IGNORELPT=", "0", std::nullopt},
        {"HINTS=", "2", std::nullopt},                   {"ISOUND=", "-2", std::nullopt},
        {"OSOUND=", "999", "999"},                  {"PAIRSCOLOR=", "16777216", std::nullopt},
        {"JONGWON=", "-1", std::nullopt},                {"WINKID=", "abc,500", "0,500"},
        {"WINKID=", "100000,-5", "32767,0"},        {"ZOOMPOS=", "x,-2147483648", "-1,-32767"},
        {"FILTERPOS=", "12", std::nullopt},              {"DRIFT=", "-2147483648,0,99999", "0,800,800"},
        {"DRIFT=", "10,1300", std::nullopt},             {"ADLPT=", "[03bch]", "[03BCh]"},
        {"ADLPT=", "378", "[0378h]"},               {"ADLPT=", "[12345h]", std::nullopt},
        {"ADLPTX=", "", ""},                        {"ADLPTX=", "3bc", "3bc"},
        {"ADLPTX=", "xyz", std::nullopt},                {"FONT=", "Arial,10", std::nullopt},
        {"FONT=", "Arial,10,96,-13,0,0,1,0", "Arial,10,96,-13,0,0,1,0"},
        {"FONT=", "Arial,10,96,-13,0,0,1,99", std::nullopt},
        {"PAIRSBEST=", "5,7,x,1,", "5,7,-1,-1,-1,-1,-1,-1,-1,"},
        {"PAIRSBEST=", "-9", "-1,-1,-1,-1,-1,-1,-1,-1,-1,"},
        {"MASKED_CHAR=", "", "\xFF\xFF"},           {"MASKED_CHAR=", "]", "]\xFF"},
        {"CHOSEN_CHAR=", " abc", std::nullopt},          {"CHOSEN_CHAR=", std::string(80, 'K'), std::string(70, 'k')},
        {"KOCHLIST=", "KMR", "kmr"},                {"MSG=", "", ""},
        {"MSG=", std::string(5000, 'm'), std::string(4096, 'm')},
        {"BHEADER=", "", std::nullopt},                  {"SHORTCUT=", "x", std::nullopt},
        {"SHORTCUT=", "x" + std::string(40, 't'), "x" + std::string(36, 't')},
        {"LESSON=", "AB C #7", "ab c #7"},          {"LESSON=", "  #7", std::nullopt},
        {"LOCAL_CHAR=", " x  abc", std::nullopt},        {"NOT_A_KEY=", "1", std::nullopt},
    };
    for (const Case &c : cases) {
        auto kept = KeptValue(c.key, c.in);
        EXPECT_EQ(kept, c.out) << c.key << c.in;
    }
}

TEST(SettingsForms, UnknownKeysAreKeptOnlyWhenTheyLookLikeSettings)
{
    for (const char *key : {"FUTURE=", "lower_2=", "X="})
        EXPECT_TRUE(settings::LooksLikeSettingKey(key)) << key;
    for (const char *key : {"=", "TWO WORDS=", "\xC9T\xC9=", "A-B=", "NOEQUALS", "\x01="})
        EXPECT_FALSE(settings::LooksLikeSettingKey(key)) << key;
}
