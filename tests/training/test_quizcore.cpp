// The quiz's rules without a window: draws over a seeded generator, judgements with the
// adaptation of speed and answer time, the score over stops, the report and its file.

#include "engine/random.h"
#include "training/quizcore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

using namespace quiz;

namespace {

constexpr int Step = DefaultDelayStep;

// A core in a running series over `window`, its clock at `start`.
Core seriesOver(const std::string &window, Clock::time_point start = Clock::time_point{})
{
    Core core;
    core.beginSeries(window, start);
    return core;
}

// Asks and judges one question: the right answer or `answer`.
Judgement askAndAnswer(Core &core, bool right, const Options &options = {}, int step = Step,
                       const std::string &wrongAnswer = "")
{
    const unsigned char c = core.ask(false);
    const std::string answer = right ? std::string(1, static_cast<char>(c)) : wrongAnswer;
    return *core.judge(answer, options, step, "-");
}

} // namespace

TEST(QuizRules, ARightAWrongAndATimeOutCountAndAdaptTheSpeedAndTheAnswerTime)
{
    Options adapt;
    adapt.variableSpeed = true;
    adapt.variableDelay = true;
    Core core = seriesOver("k");

    // Four right answers change nothing; the fifth raises the speed and starts the streak again.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(askAndAnswer(core, true, adapt).speed, SpeedStep::None);
    Judgement fifth = askAndAnswer(core, true, adapt);
    EXPECT_EQ(fifth.speed, SpeedStep::Up);
    EXPECT_EQ(fifth.delayStep, Step) << "only every fifth raise shortens the answer time";
    EXPECT_EQ(core.RightStreak, 0);
    EXPECT_EQ(core.DelayStreak, 1);
    EXPECT_EQ(core.Right, 5);
    EXPECT_EQ(core.Asked, 5);

    // Twenty more right answers: the twenty-fifth in a row shortens the answer time one step.
    int step = Step;
    for (int i = 0; i < 20; ++i)
        step = askAndAnswer(core, true, adapt, step).delayStep;
    EXPECT_EQ(step, Step - 1);
    EXPECT_EQ(core.DelayStreak, 5);

    // A typed wrong answer after a multiple of five lengthens it and lowers the speed.
    Judgement wrong = askAndAnswer(core, false, adapt, step, "x");
    EXPECT_FALSE(wrong.right);
    EXPECT_EQ(wrong.speed, SpeedStep::Down);
    EXPECT_EQ(wrong.delayStep, Step);
    EXPECT_EQ(core.DelayStreak, 4);
    // A time-out is a wrong answer too: the counter goes on down, the step stays (3 % 5).
    Judgement timeOut = askAndAnswer(core, false, adapt, wrong.delayStep);
    EXPECT_FALSE(timeOut.right);
    EXPECT_EQ(timeOut.speed, SpeedStep::Down);
    EXPECT_EQ(timeOut.delayStep, Step);
    EXPECT_EQ(core.Right, 25);
    EXPECT_EQ(core.Asked, 27);
    EXPECT_EQ(MarkText(core.Right, core.Asked), "25/27 = 93%");

    // From a fresh start the first wrong answer (0 -> -1) lengthens the time at once.
    core.resetStreaks();
    EXPECT_EQ(askAndAnswer(core, false, adapt, Step, "x").delayStep, Step + 1);
    // Without variable speed nothing adapts.
    EXPECT_EQ(askAndAnswer(core, false, {}, Step, "x").speed, SpeedStep::None);
}

TEST(QuizRules, TheAnswerTimeStaysWithinItsSteps)
{
    Options adapt;
    adapt.variableSpeed = true;
    adapt.variableDelay = true;
    Core core = seriesOver("k");
    core.DelayStreak = -5; // the next wrong answer (-6) would lengthen it
    EXPECT_EQ(askAndAnswer(core, false, adapt, DelaySteps, "x").delayStep, DelaySteps);
    core.DelayStreak = 4;
    core.RightStreak = 4;
    EXPECT_EQ(askAndAnswer(core, true, adapt, 1).delayStep, 1);
    EXPECT_EQ(DelayStepOfText("0.2"), 1);
    EXPECT_EQ(DelayStepOfText("3.0"), std::nullopt);
    EXPECT_EQ(DelayMilliseconds(DelayStepOfText("1.25").value()), 1250);
}

TEST(QuizRules, AnswersAreJudgedWithoutRegardToCaseAndOnlyOnce)
{
    Core core = seriesOver("\xE9"); // é, a local character
    core.ask(false);
    const auto first = core.judge("\xC9", {}, Step, "..-..");
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->right);
    // A second judgement of the same question (a key typed while the first was waiting)
    // changes nothing.
    EXPECT_FALSE(core.judge("x", {}, Step, "..-.."));
    EXPECT_EQ(core.Right, 1);
    EXPECT_EQ(core.Asked, 1);
    EXPECT_EQ(core.Results.rows().size(), 1u);
    EXPECT_EQ(core.Results.rows()[0].played, 1);

    core.ask(false);
    EXPECT_FALSE(core.judge("\xE9\xE9", {}, Step, "..-..")->right) << "one character is the answer";
}

TEST(QuizRules, MissedCharactersAreListedSortedOrInTheirOrderWithAPause)
{
    for (bool pause : {false, true}) {
        Core core = seriesOver("t");
        Options options;
        options.keepRepeats = pause;
        for (char c : std::string("tet")) {
            core.RepeatChar = static_cast<unsigned char>(c);
            core.ask(false);
            core.judge("", options, Step, "-");
        }
        EXPECT_EQ(core.Missed, pause ? "tet" : "et");
    }
    std::string missed = "ae";
    AddMissed(missed, '\xE9', false);
    AddMissed(missed, 'b', false);
    EXPECT_EQ(missed, "abe\xE9");
}

TEST(QuizRules, EqualOccurrenceAsksEachCharacterOncePerRound)
{
    RandomSeed(7);
    Core core = seriesOver("abc");
    std::string asked;
    for (int i = 0; i < 9; ++i) {
        asked += static_cast<char>(core.ask(true));
        core.judge("", {}, Step, "");
        // A missed character asked again at once does not come from the bag.
        if (i == 4) {
            core.RepeatChar = 'a';
            EXPECT_EQ(core.ask(true), 'a');
            core.judge("a", {}, Step, "");
        }
    }
    for (int block = 0; block < 3; ++block) {
        std::string round = asked.substr(static_cast<std::size_t>(block) * 3, 3);
        std::sort(round.begin(), round.end());
        EXPECT_EQ(round, "abc") << asked;
    }

    // Repeats in the window are kept: "aaab" asks a three times per round of four.
    Core weighted = seriesOver("aaab");
    std::string round;
    for (int i = 0; i < 4; ++i)
        round += static_cast<char>(weighted.ask(true));
    std::sort(round.begin(), round.end());
    EXPECT_EQ(round, "aaab");
}

TEST(QuizRules, APlainDrawFavoursNoEntryAndReachesTheWholeWindow)
{
    RandomSeed(11);
    // All 45 built-in characters and 26 local ones.
    std::string window = "abcdefghijklmnopqrstuvwxyz0123456789.,?/+'-=\"";
    for (int i = 0; i < 26; ++i)
        window += static_cast<char>(0xC0 + i);
    ASSERT_EQ(window.size(), 71u);
    Core core = seriesOver(window);
    std::map<unsigned char, int> seen;
    for (int i = 0; i < 71 * 200; ++i)
        ++seen[core.ask(false)];
    ASSERT_EQ(seen.size(), 71u);
    for (const auto &[c, n] : seen)
        EXPECT_NEAR(n, 200, 70) << int(c);

    // Entries, not characters, are equally likely: "aaab" draws a three times as often.
    Core weighted = seriesOver("aaab");
    int a = 0;
    for (int i = 0; i < 4000; ++i)
        a += weighted.ask(false) == 'a' ? 1 : 0;
    EXPECT_NEAR(a, 3000, 150);
    EXPECT_EQ(seriesOver("").ask(false), 0) << "an empty window asks nothing";
}

TEST(QuizRules, ASeriesEndsAfterItsLengthAndAStopCountsNoUnansweredQuestion)
{
    const Clock::time_point start{};
    Core core = seriesOver("abc", start);
    core.SeriesLength = core.Left = 5;
    for (int i = 1; i <= 5; ++i) {
        const Judgement j = askAndAnswer(core, i <= 3);
        EXPECT_EQ(core.advance(!j.right, false), i < 5);
    }
    EXPECT_EQ(core.Left, 5);
    EXPECT_EQ(MarkText(core.Right, core.Asked), "3/5 = 60%");
    // Twelve right answers in one minute and twelve seconds: ten a minute, two words a minute.
    core.Right = 12;
    EXPECT_TRUE(core.close(start + std::chrono::seconds(72)));
    EXPECT_DOUBLE_EQ(core.ReportSpeed, 2.0);
    EXPECT_DOUBLE_EQ(AnswerSpeed(3, Clock::duration::zero()), 0.0) << "no time, no division";

    // After Clear report: two right, Stop during the third answer time, then PLAY and one right.
    core.resetReport();
    core.beginSeries("abc", start);
    askAndAnswer(core, true);
    core.advance(false, false);
    askAndAnswer(core, true);
    core.advance(false, false);
    core.ask(false);
    EXPECT_FALSE(core.close(start));
    core.beginSeries("abc", start);
    askAndAnswer(core, true);
    EXPECT_EQ(MarkText(core.Right, core.Asked), "3/3 = 100%");

    // Stop while the very first question is still being sent: nothing was asked.
    core.resetReport();
    core.beginSeries("abc", start);
    core.ask(false);
    core.close(start);
    EXPECT_EQ(core.Asked, 0);
    EXPECT_EQ(MarkText(core.Right, core.Asked), "");

    // A missed character comes back next only when asked for.
    core.beginSeries("abc", start);
    const unsigned char missed = core.ask(false);
    core.judge("", {}, Step, "");
    core.advance(true, true);
    EXPECT_EQ(core.ask(false), missed);
}

TEST(QuizReport, RowsCountEachCharacterAndRoundHalvesToEven)
{
    Report report;
    for (int i = 0; i < 8; ++i) {
        report.record('a', ".-", i == 0);
        report.record('b', "-...", i < 3);
    }
    for (int i = 0; i < 3; ++i)
        report.record('c', "-.-.", i == 0);
    ASSERT_EQ(report.rows().size(), 3u);
    EXPECT_EQ(report.rows()[0].code, " .  _  ");
    EXPECT_EQ(report.rows()[0].success, 88); // 87.5
    EXPECT_EQ(report.rows()[1].success, 62); // 62.5
    EXPECT_EQ(report.rows()[2].success, 67);
    EXPECT_EQ(report.rows()[1].errors, 3);
    EXPECT_EQ(MarkText(1, 8), "1/8 = 13%");
}

TEST(QuizReport, EachSortOrdersAFixedTable)
{
    Report report;
    // Success of each: z 50, / 100, 7 0, é 50, a 100, ? 75, 0 50.
    const std::pair<char, std::string> answers[] = {{'z', "RW"}, {'/', "R"}, {'7', "W"},       {'\xE9', "WR"},
                                                    {'a', "RR"}, {'?', "RRRW"}, {'0', "RW"}};
    for (const auto &[c, results] : answers)
        for (char r : results)
            report.record(static_cast<unsigned char>(c), "", r == 'W');
    auto order = [&report] {
        std::string s;
        for (const ReportRow &row : report.rows())
            s += static_cast<char>(row.character);
        return s;
    };
    report.sortAZ();
    EXPECT_EQ(order(), "az07/?\xE9"); // letters, digits, then the others by code
    report.sortSuccessAscending();
    EXPECT_EQ(order(), "7z0\xE9?a/") << "equal values keep their order";
    report.sortSuccessDescending();
    EXPECT_EQ(order(), "a/?z0\xE9" "7");
}

TEST(QuizReport, TheSavedFileByteForByte)
{
    Report report;
    report.record('a', ".-", false);
    report.record('a', ".-", false);
    report.record('a', ".-", true);
    report.record('5', ".....", false);
    const Stamp stamp{2025, 3, 3, 9, 5};
    EXPECT_EQ(ReportFileName(stamp), "QUIZ_202503030905.txt");
    const ReportHeaders french{"Caract\xE8res", "Code", "Jou\xE9s", "Erreurs", "Succ\xE8s (%)"};
    EXPECT_EQ(ReportFileContent(report, french, stamp),
              "KESTRELON QUIZ 2025/03/03 09:05\r\n"
              "Caract\xE8res\tCode\tJou\xE9s\tErreurs\tSucc\xE8s (%)\r\n"
              "a\t .  _  \t3\t1\t67\r\n"
              "5\t .  .  .  .  .  \t1\t0\t100\r\n");
}

// A window of 71 characters (the 45 built-in ones and 26 local ones) asked in full: the 71st
// character gets a row of its own like the others, in the grid's order and in the saved file.
TEST(QuizReport, TheSeventyFirstCharacterAskedHasItsRow)
{
    std::string window = "abcdefghijklmnopqrstuvwxyz0123456789.,?/+'-=\"";
    for (int local = 0; local < 26; ++local)
        window += static_cast<char>(0xE0 + local); // à to ù
    ASSERT_EQ(window.size(), 71u);
    Report report;
    for (char c : window)
        report.record(static_cast<unsigned char>(c), "..--", false);
    const unsigned char last = 0xF9;
    report.record(last, "..--", true);
    ASSERT_EQ(report.rows().size(), 71u);
    const ReportRow &row = report.rows()[70];
    EXPECT_EQ(row.character, last);
    EXPECT_EQ(row.played, 2);
    EXPECT_EQ(row.errors, 1);
    EXPECT_EQ(row.success, 50);

    report.sortAZ();
    ASSERT_EQ(report.rows().size(), 71u);
    EXPECT_EQ(report.rows().back().character, last); // the highest code comes last
    const std::string file = ReportFileContent(report, {"C", "Code", "P", "E", "S"}, Stamp{2025, 3, 3, 9, 5});
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2 + 71);
    EXPECT_TRUE(file.ends_with("\n\xF9\t .  .  _  _  \t2\t1\t50\r\n"));
}
