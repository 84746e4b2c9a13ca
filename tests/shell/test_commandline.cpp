#include "shell/commandline.h"

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
    };
    for (const Case &c : cases) {
        QStringList withProgram = QStringList{"kestrelon"} + c.args;
        CommandLineChoice choice = ReadCommandLineArguments(withProgram);
        EXPECT_EQ(choice.language, c.language) << c.args.join(' ').toStdString();
        EXPECT_EQ(choice.speed, c.speed) << c.args.join(' ').toStdString();
    }
}
