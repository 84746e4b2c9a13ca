// The exam without widgets: its phases driven through the random series, the real sending
// engine and playback cycle (fake output), its end-of-phase rules and its pauses on a clock
// the test moves.

#include "tests/training/seriesrig.h"

#include "training/examcore.h"
#include "training/randomsets.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A series rig with the exam driving it, as the exam module wires the window.
struct ExamRig : SeriesRig {
    exam::State exam;
    exam::SeriesDriver driver{exam};
    std::vector<int> pauses;  // the phase after which a pause window showed
    std::vector<int> chosen;  // phases chosen at the first step

    ExamRig(exam::Kind kind, std::vector<std::string> words, unsigned seed = 7) : SeriesRig(seed)
    {
        driver.kind = kind;
        driver.phaseChosen = [this](int phase) { chosen.push_back(phase); };
        series.Exam = &driver;
        series.Options.Exam = true;
        series.Words = std::move(words);
        series.WordListChosen = true;
        SelectSet(sets, RandomSet::LettersFigures);
        host.beforeSeriesStop = [this] {
            const exam::PhaseEnd end = exam::EndOfPhase(exam, driver.kind, state.QuickSeries);
            if (end.showPause)
                pauses.push_back(exam.ExamPhase);
            if (end.stopQuick)
                state.QuickSeries = false;
        };
        host.chainNextPhase = [this] {
            if (exam::TakeChain(exam) != exam::Chain::None) {
                state.QuickSeries = true;
                play();
            }
        };
    }

    // A series played with sound: every buffer reported done until the series has ended.
    void playThrough()
    {
        play();
        output.finishAll();
    }
    // "Poursuivre": the phase after the pause.
    void goOn()
    {
        exam.ExamPhase = exam.ExamPhase == 1 ? 2 : 3;
        playThrough();
    }

    std::vector<std::string> lines() const
    {
        std::vector<std::string> out(1);
        for (char c : view.memo) {
            if (c == '\n')
                out.emplace_back();
            else
                out.back() += c;
        }
        return out;
    }
};

std::string withoutBlanks(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c != ' ')
            out += c;
    }
    return out;
}

// "VVV" + 150 letters + 30 figures + "+", the lead-in on a line of its own.
void expectGroupsPhase(const std::string &leadIn, const std::string &groups)
{
    EXPECT_EQ(withoutBlanks(leadIn), "VVV");
    const std::string characters = withoutBlanks(groups);
    ASSERT_EQ(characters.size(), 181u) << groups;
    EXPECT_TRUE(std::all_of(characters.begin(), characters.begin() + 150, [](char c) { return std::isupper(c); }));
    EXPECT_TRUE(std::all_of(characters.begin() + 150, characters.begin() + 180, [](char c) { return std::isdigit(c); }));
    EXPECT_EQ(characters.back(), '+');
    // Groups of five: 30 of letters, 6 of figures, then the "+".
    EXPECT_EQ(groups.substr(0, 6).back(), ' ');
    EXPECT_EQ(groups.substr(groups.size() - 2), " +") << groups;
}

// A text phase: "VVV", then words up to about `count` characters, closed by "+".
void expectTextPhase(const std::string &leadIn, const std::string &text, int count, int longestWord)
{
    EXPECT_EQ(leadIn, "VVV ");
    const int characters = static_cast<int>(withoutBlanks(text).size()) + 3;
    EXPECT_GE(characters, count);
    EXPECT_LE(characters, count + longestWord + 1);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 3), " + ") << text;
}

const std::vector<std::string> Words = {"BONJOUR", "MORSE", "RADIO"};

} // namespace

TEST(ExamPhases, CompleteExamPausesAfterPhasesOneAndTwoAndEndsAfterThree)
{
    ExamRig rig(exam::Kind::Complete, Words);
    rig.playThrough();
    EXPECT_EQ(rig.chosen, std::vector<int>{1});
    EXPECT_EQ(rig.pauses, std::vector<int>{1});
    EXPECT_EQ(rig.exam.ExamPhase, 1);
    EXPECT_FALSE(rig.state.RandomPlaying);

    rig.goOn();
    EXPECT_EQ(rig.pauses, (std::vector<int>{1, 2}));
    rig.goOn();
    EXPECT_EQ(rig.pauses.size(), 2u) << "no pause after the last phase";
    EXPECT_EQ(rig.exam.ExamPhase, 0);
    EXPECT_EQ(rig.host.seriesEnds, 3);

    const auto lines = rig.lines();
    ASSERT_GE(lines.size(), 6u) << rig.view.memo;
    expectTextPhase(lines[0], lines[1], exam::WarmUpCount, 7);
    expectGroupsPhase(lines[2], lines[3]);
    expectTextPhase(lines[4], lines[5], exam::TextCount, 7);
}

TEST(ExamPhases, QuickCompleteExamWritesTheThreePhasesAtOnceWithoutPause)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        ExamRig rig(exam::Kind::Complete, Words, seed);
        rig.quick(250);
        EXPECT_TRUE(rig.pauses.empty());
        EXPECT_EQ(rig.exam.ExamPhase, 0);
        EXPECT_FALSE(rig.exam.ExamPauseDue || rig.exam.ExamPhaseDone);
        EXPECT_FALSE(rig.state.QuickSeries);
        // Each phase once: a chain that is not used up would repeat the groups for ever.
        EXPECT_EQ(rig.host.seriesEnds, 3) << seed;
        const auto lines = rig.lines();
        ASSERT_EQ(lines.size(), 6u) << rig.view.memo;
        expectTextPhase(lines[0], lines[1], exam::WarmUpCount, 7);
        expectGroupsPhase(lines[2], lines[3]);
        expectTextPhase(lines[4], lines[5], exam::TextCount, 7);
        EXPECT_TRUE(rig.output.written.empty()) << "a quick exam makes no sound";
    }
}

TEST(ExamPhases, GroupsPhaseAloneEndsWithThePlusAsItsHundredAndEightyFourthCharacter)
{
    ExamRig rig(exam::Kind::GroupsOnly, Words);
    rig.playThrough();
    EXPECT_EQ(rig.chosen, std::vector<int>{2});
    EXPECT_TRUE(rig.pauses.empty());
    EXPECT_EQ(rig.exam.ExamPhase, 0);
    const auto lines = rig.lines();
    ASSERT_EQ(lines.size(), 2u) << rig.view.memo;
    expectGroupsPhase(lines[0], lines[1]);
    // Non-mixed and call-sign rules do not shape the exam's groups.
    EXPECT_EQ(rig.output.written.size(), 184u);
}

TEST(ExamPhases, TextPhaseEndsWithPlusEvenWhenAWordIsOneCharacterShortOfTheCount)
{
    // The count comes down to one more than the word's length before a word is drawn:
    // 8 before "EXAMPLE" in the warm-up, 2 before "E" in the final text.
    const struct {
        exam::Kind kind;
        std::string word;
        int count;
    } cases[] = {{exam::Kind::Complete, "EXAMPLE", exam::WarmUpCount}, {exam::Kind::TextOnly, "E", exam::TextCount}};
    for (const auto &c : cases) {
        ExamRig rig(c.kind, {c.word});
        rig.quick(100);
        const auto lines = rig.lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(static_cast<int>(withoutBlanks(lines[1]).size()) + 3, c.count) << lines[1];
        EXPECT_EQ(lines[1].substr(lines[1].size() - c.word.size() - 4), " " + c.word + " + ");
    }
}

TEST(ExamPhases, BlanksOfAPhraseDoNotCountInATextPhase)
{
    ExamRig rig(exam::Kind::TextOnly, {"LE CHAT NOIR"});
    rig.quick(100);
    const auto lines = rig.lines();
    ASSERT_EQ(lines.size(), 2u) << rig.view.memo;
    expectTextPhase(lines[0], lines[1], exam::TextCount, 10);
}

TEST(ExamPhases, WithoutWordsNothingIsDrawnAndTheSeriesEndsQuietly)
{
    // No file, an empty list, and a list of blank lines (which the list leaves out).
    struct Case {
        exam::Kind kind;
        bool file;
        std::vector<std::string> words;
    } cases[] = {{exam::Kind::GroupsOnly, false, Words},
                 {exam::Kind::Complete, true, {}},
                 {exam::Kind::TextOnly, true, ParseWordList("   \r\n\r\n  \n")}};
    for (const Case &c : cases) {
        ExamRig rig(c.kind, c.words);
        rig.series.WordListChosen = c.file;
        EXPECT_EQ(rig.play(), RandomSeries::StepResult::NothingToDraw);
        EXPECT_EQ(rig.view.endedQuietly, 1);
        EXPECT_FALSE(rig.state.RandomPlaying);
        EXPECT_TRUE(rig.state.PlayQueue.empty());
    }
}

TEST(ExamPause, CountsWholeSecondsOnItsClockWithTheGaugeRoundedHalfToEven)
{
    exam::PauseCountdown::Clock::time_point now{};
    exam::PauseCountdown pause([&now] { return now; });
    EXPECT_FALSE(pause.Running());

    pause.Start(1);
    EXPECT_EQ(pause.TotalSeconds(), exam::FirstPauseSeconds);
    EXPECT_EQ(pause.Text(), exam::FirstPauseText);
    EXPECT_EQ(pause.Gauge(), 100);
    const auto first = now;
    now = first + 996ms; // a tick a little early still counts its second
    EXPECT_EQ(pause.SecondsLeft(), 59);
    EXPECT_EQ(pause.Gauge(), 98);
    now = first + 59400ms;
    EXPECT_FALSE(pause.Expired());
    now = first + 59996ms;
    EXPECT_TRUE(pause.Expired());
    now += 10s;
    EXPECT_EQ(pause.SecondsLeft(), 0);

    pause.Start(2);
    EXPECT_EQ(pause.TotalSeconds(), exam::SecondPauseSeconds);
    EXPECT_EQ(pause.Text(), exam::SecondPauseText);
    const struct {
        int left;
        int gauge;
    } gauges[] = {{120, 100}, {15, 12}, {9, 8}, {3, 2}, {1, 1}};
    const auto start = now;
    for (const auto &g : gauges) {
        now = start + std::chrono::seconds(120 - g.left);
        EXPECT_EQ(pause.SecondsLeft(), g.left);
        EXPECT_EQ(pause.Gauge(), g.gauge) << g.left << " s left";
    }
    pause.Stop();
    EXPECT_FALSE(pause.Expired());
}
