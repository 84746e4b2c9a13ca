#include "shell/commandline.h"

#include "engine/localcharacters.h"
#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "shell/enginesettingskeys.h"
#include "shell/languages/languages.h"
#include "shell/settingskeys.h"

#include <gtest/gtest.h>

TEST(CommandLine, ArgumentsChooseLanguageAndSpeed)
{
    struct Case {
        QStringList args;
        char language;
        std::optional<int> speed;
    } cases[] = {
        {{}, 0, std::nullopt},
        {{"/f"}, 'F', std::nullopt},
        {{"/F", "/E"}, 'E', std::nullopt},
        {{"/d", "/i", "/m"}, 'M', std::nullopt},
        {{"/p"}, 'P', std::nullopt},
        {{"/s"}, 'S', std::nullopt},
        {{"x=25"}, 0, 25},
        {{"S=25"}, 0, 25},
        {{"=25"}, 0, std::nullopt},
        {{"S="}, 0, std::nullopt},
        {{"S=abc"}, 0, std::nullopt},
        {{"S=20", "S=30"}, 0, 30},
        {{"S=20", "S=abc"}, 0, 20},
        {{"a", "b", "c", "S=40"}, 0, std::nullopt},
        {{"/F", "b", "S=40", "/E"}, 'F', 40},
        {{"S=0"}, 0, 0},
        {{"/x"}, 0, std::nullopt},
        {{"/EE"}, 0, std::nullopt},
        {{"/é"}, 0, std::nullopt},
        // Characters outside Windows-1252 count as characters: nothing drops out.
        {{QString::fromUtf8("/E\u0416")}, 0, std::nullopt},
        {{QString::fromUtf8("\u0416=25")}, 0, 25},
        {{QString::fromUtf8("\u0416\u0416=25")}, 0, std::nullopt},
        {{QString::fromUtf8("S=2\u0416")}, 0, std::nullopt},
    };
    for (const Case &c : cases) {
        CommandLineChoice choice = ReadCommandLineArguments(c.args);
        EXPECT_EQ(choice.language, c.language) << c.args.join(' ').toStdString();
        EXPECT_EQ(choice.speed, c.speed) << c.args.join(' ').toStdString();
    }
}

namespace {

std::string writtenValue(std::string_view key)
{
    std::string value = "(none)";
    for (const auto &line : Settings().write())
        if (line.key == key)
            value = line.value;
    return value;
}

} // namespace

TEST(CommandLine, LanguageClicksItsItemAndLaterArgumentsWin)
{
    English1Click();
    ApplyCommandLine({"/f"});
    EXPECT_EQ(CurrentLanguage(), Language::Francais);
    ApplyCommandLine({"/F", "/E"});
    EXPECT_EQ(CurrentLanguage(), Language::English);
    ApplyCommandLine({"/D", "x", "y", "/M"});
    EXPECT_EQ(CurrentLanguage(), Language::Deutsch);
    English1Click();
}

TEST(CommandLine, SpeedGoesThroughTheClampingSetterAndIntoTheFile)
{
    // On an empty registry; the program's own is put back afterwards.
    struct FreshRegistry {
        SettingsRegistry saved = Settings();
        FreshRegistry() { Settings().clear(); }
        ~FreshRegistry() { Settings() = saved; }
    } fresh;
    Settings().read(settings::ParseLines("SPEED=20\r\n"));
    // No speed control bound: the held value replaces the one kept from the file.
    ApplyCommandLine({"S=0"});
    EXPECT_EQ(writtenValue("SPEED="), "5");
    ApplyCommandLine({"=25"});
    EXPECT_EQ(writtenValue("SPEED="), "5");

    Timing timing;
    ToneGenerator tone;
    MorseCodeTable codes = DefaultMorseCodes;
    CharacterSets sets;
    BindEngineSettingsKeys(Settings(), {&timing, &tone, &codes, &sets});
    Settings().read(settings::ParseLines("SPEED=20\r\n"));
    struct Case {
        QStringList args;
        int speed;
    } cases[] = {{{"x=25"}, 25}, {{"S=99"}, 70}, {{"S=0"}, 5}, {{"=25"}, 5}, {{"S="}, 5},
                 {{"S=30", "S=abc"}, 30}, {{"a", "b", "c", "S=40"}, 30}};
    for (const Case &c : cases) {
        ApplyCommandLine(c.args);
        EXPECT_EQ(timing.Speed(), c.speed) << c.args.join(' ').toStdString();
        EXPECT_DOUBLE_EQ(timing.SpeedUnit(), c.speed / 2.5);
        EXPECT_EQ(writtenValue("SPEED="), std::to_string(c.speed));
    }
}
