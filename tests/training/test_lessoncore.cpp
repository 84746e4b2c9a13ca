// Lessons as data: the Koch set of an order, the default local set, the box's keys and wheel
// at the pages' ends, the editor's number, and reading and placing an import file.

#include "training/lessoncore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lessons;

namespace {

int lessonCount(const LessonTable &table)
{
    return static_cast<int>(std::count_if(table.begin(), table.end(), [](const std::string &l) { return !IsEmptyLesson(l); }));
}

} // namespace

TEST(KochLessons, EachLessonAddsTheNextCharacterOfTheOrder)
{
    const KochSet koch = BuildKochLessons(KochOrderDefault);
    EXPECT_EQ(lessonCount(koch.lessons), 42);
    EXPECT_EQ(koch.lessons[0], "km");
    EXPECT_EQ(koch.lessons[1], "kmr");
    EXPECT_EQ(koch.lessons[41], KochOrderDefault);
    EXPECT_EQ(koch.lessons[42], " ");
    EXPECT_EQ(koch.lessons[59], " ");

    const struct {
        std::string order;
        std::string used;
        int lessons;
        std::string first, last;
    } cases[] = {
        {"km", "km", 1, "km", "km"},
        {"k", "k", 1, "k", "k"},
        {"K M R", "kmr", 2, "km", "kmr"},
        {std::string(60, 'e'), std::string(60, 'e'), 59, "ee", std::string(60, 'e')},
        // More than the edit holds (a file, in code): still no lesson past 60.
        {std::string(70, 'a'), std::string(70, 'a'), 60, "aa", std::string(61, 'a')},
        {"   ", "", 0, " ", " "},
        {"", "", 0, " ", " "},
    };
    for (const auto &c : cases) {
        const KochSet set = BuildKochLessons(c.order);
        EXPECT_EQ(set.order, c.used) << c.order;
        EXPECT_EQ(lessonCount(set.lessons), c.lessons) << c.order;
        EXPECT_EQ(set.lessons[0], c.first) << c.order;
        EXPECT_EQ(set.lessons[static_cast<std::size_t>(std::max(c.lessons, 1) - 1)], c.last) << c.order;
    }
}

TEST(LocalLessons, DefaultsFillTheFirstAndLastPagesOnly)
{
    const LessonTable table = DefaultLocalLessons();
    EXPECT_EQ(table[0], "endx0");
    EXPECT_EQ(table[19], "abcdefghijklmnopqrstuvwxyz0123456789+=?/'-,.");
    EXPECT_EQ(table[50], "aten");
    EXPECT_EQ(table[59], "atenois14lrhd25ucmw36?fy,pgq79/bvkj80xqz.");
    // Lesson 15 repeats lesson 7 (recognising a typed lesson finds the later one).
    EXPECT_EQ(table[14], table[6]);
    for (int n = 21; n <= 50; ++n)
        EXPECT_TRUE(IsEmptyLesson(table[static_cast<std::size_t>(n - 1)])) << n;
    for (const std::string &lesson : table)
        EXPECT_LE(lesson.size(), static_cast<std::size_t>(MaxLessonLength));
    EXPECT_EQ(lessonCount(table), 30);
}

TEST(LessonBox, KeysAndWheelCrossPagesAtTheirEndsOnly)
{
    using S = BoxStep;
    const struct {
        const char *what;
        BoxMove move;
        bool handled, beep;
        int page, item;
    } cases[] = {
        {"Down inside a page", KeyMove(1, 5, S::Down, false), false, false, 1, 5},
        {"Down on the last item", KeyMove(1, 19, S::Down, false), true, false, 2, 0},
        {"Down on the last lesson", KeyMove(3, 19, S::Down, false), true, true, 3, 19},
        {"Alt+Down anywhere", KeyMove(2, 7, S::Down, true), true, false, 3, 0},
        {"Up on the first item", KeyMove(2, 0, S::Up, false), true, false, 1, 19},
        {"Up on the first lesson", KeyMove(1, 0, S::Up, false), true, true, 1, 0},
        {"Alt+Up anywhere", KeyMove(3, 12, S::Up, true), true, false, 2, 0},
        {"Alt+Up on page 1", KeyMove(1, 12, S::Up, true), true, true, 1, 12},
        {"wheel up", WheelMove(1, 4, S::Up), true, false, 1, 3},
        {"wheel up from the top", WheelMove(2, 0, S::Up), true, false, 1, 19},
        {"wheel up at the first lesson", WheelMove(1, 0, S::Up), true, false, 1, 0},
        {"wheel down", WheelMove(1, 4, S::Down), true, false, 1, 5},
        {"wheel down from the bottom", WheelMove(2, 19, S::Down), true, false, 3, 0},
        {"wheel down at the last lesson", WheelMove(3, 19, S::Down), true, false, 3, 19},
        {"wheel down with nothing selected", WheelMove(1, -1, S::Down), true, false, 1, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.move.handled, c.handled) << c.what;
        EXPECT_EQ(c.move.beep, c.beep) << c.what;
        EXPECT_EQ(c.move.page, c.page) << c.what;
        EXPECT_EQ(c.move.item, c.item) << c.what;
    }
}

TEST(LessonEditor, NumberAndText)
{
    int n = -1;
    EXPECT_EQ(ParseLessonNumber("", n), NumberEntry::Empty);
    EXPECT_EQ(ParseLessonNumber("x", n), NumberEntry::NotNumber);
    EXPECT_EQ(ParseLessonNumber("-1", n), NumberEntry::NotNumber);
    EXPECT_EQ(ParseLessonNumber("0", n), NumberEntry::OutOfRange);
    EXPECT_EQ(ParseLessonNumber("61", n), NumberEntry::OutOfRange);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(ParseLessonNumber("07", n), NumberEntry::Valid);
    EXPECT_EQ(n, 7);

    EXPECT_EQ(CleanLessonText(" A b\xC9 "), "ab\xE9");
    EXPECT_EQ(CleanLessonText(std::string(70, 'q')).size(), 55u);
}

TEST(LessonImport, GoodDuplicateCommentAndBlankLines)
{
    // A lesson file as a user writes one: a comment, a duplicate, other line ends, case, a BOM and a tab.
    const ImportResult read = ParseLessonFile("\xEF\xBB\xBF// my lessons, with a comment longer than fifty-five characters\r\n"
                                              "  a b c  \r\n"
                                              "\r\n"
                                              "DEF\n"
                                              "abc\r"
                                              "\t x=+ \t\n"
                                              "   // indented comment\n"
                                              "/ / spaced slashes are a comment too");
    EXPECT_EQ(read.stop, ImportStop::None);
    // Each line keeps its own case.
    EXPECT_EQ(read.lessons, (std::vector<std::string>{"abc", "DEF", "abc", "x=+"}));
}

TEST(LessonImport, AnOverlongLineOrASixtyFirstLessonStopsTheReading)
{
    const std::string longLine(56, 'a');
    ImportResult read = ParseLessonFile("ab\ncd\n" + longLine + "\nef\n");
    EXPECT_EQ(read.stop, ImportStop::TooLong);
    EXPECT_EQ(read.lessons, (std::vector<std::string>{"ab", "cd"}));
    // 55 characters are a lesson, blanks inside not counted.
    read = ParseLessonFile(std::string(55, 'b') + "\n" + std::string(20, 'c') + "    " + std::string(35, 'c'));
    EXPECT_EQ(read.stop, ImportStop::None);
    EXPECT_EQ(read.lessons.size(), 2u);

    std::string many;
    for (int i = 0; i < 61; ++i)
        many += "l" + std::to_string(i) + "\n";
    read = ParseLessonFile(many);
    EXPECT_EQ(read.stop, ImportStop::TooMany);
    ASSERT_EQ(read.lessons.size(), 60u);
    EXPECT_EQ(read.lessons.back(), "l59");

    EXPECT_TRUE(ParseLessonFile("").lessons.empty());
    EXPECT_TRUE(ParseLessonFile(std::string("\0\0 \x1F\n", 5)).lessons.empty());
}

// What a file over the reader's limit gives: its first part, read as the whole would be.
TEST(LessonImport, AFileCutAtTheLimitStopsAsTooManyLessonsOrAtTheLineTooLong)
{
    // Its cut last line is not a lesson of its own...
    ImportResult read = ParseLessonFile("ab\r\n// note\r\ncd\r\nefg", true);
    EXPECT_EQ(read.lessons, (std::vector<std::string>{"ab", "cd"}));
    EXPECT_EQ(read.stop, ImportStop::TooMany);
    read = ParseLessonFile("ab\n" + std::string(40, ' ') + "\n", true);
    EXPECT_EQ(read.lessons, (std::vector<std::string>{"ab"}));
    EXPECT_EQ(read.stop, ImportStop::TooMany);
    // ...but already too long it is one, as is a line that fills the whole part.
    read = ParseLessonFile("ab\n" + std::string(56, 'x'), true);
    EXPECT_EQ(read.lessons, (std::vector<std::string>{"ab"}));
    EXPECT_EQ(read.stop, ImportStop::TooLong);
    EXPECT_EQ(ParseLessonFile(std::string(MaxImportBytes, 'x'), true).stop, ImportStop::TooLong);
    // A comment cut short is still a comment; what stopped the reading before the cut stands.
    EXPECT_EQ(ParseLessonFile("ab\n//" + std::string(80, 'x'), true).stop, ImportStop::TooMany);
    read = ParseLessonFile("ab\n" + std::string(60, 'y') + "\ncd\nef", true);
    EXPECT_EQ(read.stop, ImportStop::TooLong);
    EXPECT_EQ(read.lessons, (std::vector<std::string>{"ab"}));
}

TEST(LessonImport, PlacementNeedsLessonsAndAStartThatLeavesRoomForThemAll)
{
    const std::vector<std::string> ten = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
    int start = -1;
    EXPECT_EQ(CheckPlacement(ten, "52", start), Placement::BadStart);
    EXPECT_EQ(CheckPlacement(ten, "0", start), Placement::BadStart);
    EXPECT_EQ(CheckPlacement(ten, "", start), Placement::BadStart);
    EXPECT_EQ(CheckPlacement(ten, "5x", start), Placement::BadStart);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(CheckPlacement({}, "1", start), Placement::NothingImported);
    EXPECT_EQ(CheckPlacement(std::vector<std::string>(61, "a"), "1", start), Placement::TooMany);
    EXPECT_EQ(CheckPlacement(std::vector<std::string>(60, "a"), "1", start), Placement::Ok);

    ASSERT_EQ(CheckPlacement(ten, "51", start), Placement::Ok);
    LessonTable table = DefaultLocalLessons();
    PlaceLessons(table, ten, start);
    EXPECT_EQ(table[49], " ");
    EXPECT_EQ(table[50], "a");
    EXPECT_EQ(table[59], "j");
    EXPECT_EQ(table[0], "endx0");
}
