// The random group generator without widgets: its series run through the real sending engine
// and playback cycle (fake output), with a seeded generator and a memo kept as a string.

#include "tests/common/fakeaudiooutput.h"
#include "tests/engine/fakeenginehost.h"
#include "tests/training/seriesrig.h"

#include "engine/cp1252.h"
#include "engine/morsecode.h"
#include "engine/playbackcycle.h"
#include "engine/random.h"
#include "engine/sendingengine.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "training/randomseries.h"
#include "training/randomsets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <string>
#include <vector>


// ---- Character sets --------------------------------------------------------------------------

TEST(RandomSets, EachSetIsItsWindowOfTheList)
{
    CharacterSets sets;
    ASSERT_EQ(CreateLocalCharacter(sets, MorseCodes, 0xE4, "..--", "", RandomSetFollow::None), LocalResult::Done);
    ASSERT_EQ(CreateLocalCharacter(sets, MorseCodes, 0xF1, "--.--", "", RandomSetFollow::None), LocalResult::Done);
    const struct {
        RandomSet set;
        std::string characters;
    } cases[] = {
        {RandomSet::Letters, "abcdefghijklmnopqrstuvwxyz"},
        {RandomSet::Figures, "0123456789"},
        {RandomSet::Stops, ".,?/+'-=\""},
        {RandomSet::Local, "\xE4\xF1"},
        {RandomSet::LettersFigures, "abcdefghijklmnopqrstuvwxyz0123456789"},
        {RandomSet::All, "abcdefghijklmnopqrstuvwxyz0123456789.,?/+'-=\"\xE4\xF1"},
    };
    for (const auto &c : cases) {
        SelectSet(sets, c.set);
        EXPECT_EQ(WindowCharacters(sets), c.characters) << static_cast<int>(c.set);
    }
    // No local characters: an empty window.
    CharacterSets none;
    SelectSet(none, RandomSet::Local);
    EXPECT_EQ(none.RandomCount, 0);
    for (int i = 0; i < 2; ++i)
        MorseCodes.set(sets.LocalCharacter(i), DefaultMorseCodes[sets.LocalCharacter(i)]);
}

TEST(RandomSets, OwnChoiceKeepsTypedOrderAndRepeatsAndStaysInTheList)
{
    CharacterSets sets;
    sets.LocalCount = 1;
    sets.RandomCharacters[LocalCharactersFirst] = 0xE9;
    // Capitals folded, a blank and characters in no block skipped, extra characters and a
    // local character taken.
    EXPECT_EQ(BuildOwnChoice(sets, "AbC d#!\xE9$@"), 7);
    EXPECT_EQ(sets.RandomFirst, OwnChoiceFirst);
    EXPECT_EQ(WindowCharacters(sets), "abcd!\xE9@");
    EXPECT_EQ(BuildOwnChoice(sets, "aaab"), 4);
    EXPECT_EQ(WindowCharacters(sets), "aaab");
    EXPECT_EQ(BuildOwnChoice(sets, "#$% "), 0);
    // A text longer than the block (from the settings file or a paste) fills it and stops.
    EXPECT_EQ(BuildOwnChoice(sets, std::string(300, 'q')), MaxOwnChoice);
    EXPECT_EQ(ClampedWindow(sets).first + ClampedWindow(sets).count, RandomCharactersSize);
}

TEST(RandomSets, TheRememberedLessonWinsOnlyOnItsOwnPage)
{
    const std::vector<std::string> items = {"kmr", "endx0", "abc", "endx0", "xyz"};
    EXPECT_EQ(RecogniseLesson("endx0", items, 1, true), 1);
    EXPECT_EQ(RecogniseLesson("endx0", items, 1, false), 3);
    EXPECT_EQ(RecogniseLesson("endx0", items, 2, true), 3);
    EXPECT_EQ(RecogniseLesson("endx", items, 1, true), -1);
}

// ---- Text files and the replay text -------------------------------------------------------------

TEST(RandomText, WordListLinesInEitherEncodingWithoutBlankLines)
{
    EXPECT_EQ(ParseWordList("CQ\r\nTEST\r\n\r\n   \r\nDE F4XYZ\n"),
              (std::vector<std::string>{"CQ", "TEST", "DE F4XYZ"}));
    // UTF-8 becomes Windows-1252; Windows-1252 bytes stay as they are.
    EXPECT_EQ(ParseWordList("\xEF\xBB\xBF" "caf\xC3\xA9\nna\xC3\xAFve"), (std::vector<std::string>{"caf\xE9", "na\xEFve"}));
    EXPECT_EQ(ParseWordList("caf\xE9\n"), (std::vector<std::string>{"caf\xE9"}));
    EXPECT_TRUE(ParseWordList("\r\n\n  \n").empty());
    EXPECT_EQ(ParseWordList(std::string(5000, 'w')).front().size(), static_cast<std::size_t>(MaxWordLength));
}

TEST(RandomText, ReplayTakesTheSelectionOrTheLastLineThenCutsIt)
{
    EXPECT_EQ(ReplayTextFromMemo("ABCDE FGHIJ\nKLMNO", "BCDE\nFG"), "BCDE FG");
    EXPECT_EQ(ReplayTextFromMemo("VVVVV ABCDE \nKLMNO PQRST ", ""), "KLMNO PQRST");
    // Lines of 300, 900 and 300 characters: the whole last line, not a part of it.
    const std::string last = std::string(299, 'Q') + "Z";
    EXPECT_EQ(ReplayTextFromMemo(std::string(300, 'A') + "\n" + std::string(900, 'B') + "\n" + last, ""), last);
    // One long line is cut to its first 1000 characters.
    EXPECT_EQ(ReplayTextFromMemo(std::string(1000, 'A') + std::string(200, 'B'), ""), std::string(1000, 'A'));
    // A memo ending with an empty line replays the line before it.
    EXPECT_EQ(ReplayTextFromMemo("ABCDE FGHIJ \n", ""), "ABCDE FGHIJ");
    EXPECT_EQ(ReplayTextFromMemo("\n\n", ""), "");
}

// ---- The series ----------------------------------------------------------------------------------

TEST(RandomSeries, ASeriesSendsExactlyItsCountInGroupsWithWordSpaces)
{
    SeriesRig rig;
    SelectSet(rig.sets, RandomSet::Letters);
    rig.series.Options.SeriesCount = 12;
    ASSERT_EQ(rig.play(), RandomSeries::StepResult::Queued);
    rig.output.finishAll();
    EXPECT_EQ(rig.sentCharacters(), 12u);
    EXPECT_EQ(rig.output.written.size(), 12u);
    EXPECT_EQ(rig.host.seriesEnds, 1);
    EXPECT_FALSE(rig.state.RandomPlaying);
    const auto groups = rig.groups();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].size(), 5u);
    EXPECT_EQ(groups[2].size(), 2u);
    // The fifth and tenth characters end a group: their buffers carry the word space.
    for (std::size_t i = 0; i < rig.output.written.size(); ++i) {
        const std::string code(MorseCodes[static_cast<unsigned char>(groups[i / 5][i % 5])]);
        const int gaps = (i == 4 || i == 9) ? rig.timing.CharacterSpaceGapUnits(false, true, false)
                                            : rig.timing.CharacterSpaceGapUnits(false, false, false);
        EXPECT_EQ(rig.output.written[i].values.size(),
                  static_cast<std::size_t>(rig.timing.CharacterValues(code, gaps, rig.timing.GapValues())))
            << "character " << i;
    }
}

TEST(RandomSeries, TheLeadingVGroupCountsAndEveryQuickSeriesHasIt)
{
    SeriesRig rig;
    SelectSet(rig.sets, RandomSet::Letters);
    rig.series.Options.AddV = true;
    rig.series.Options.SeriesCount = 5;
    rig.play();
    rig.output.finishAll();
    EXPECT_EQ(rig.view.memo, "VVVVV ");

    for (int run = 0; run < 2; ++run) {
        rig.view.memo.clear();
        rig.series.Options.SeriesCount = 25;
        rig.quick(25);
        const auto groups = rig.groups();
        ASSERT_EQ(groups.size(), 5u) << rig.view.memo;
        EXPECT_EQ(groups[0], "VVVVV") << "quick series " << run;
        EXPECT_TRUE(rig.output.written.size() == 5u); // the quick ones make no sound
    }
}

TEST(RandomSeries, RandomLengthsStayWithinTwoToEight)
{
    SeriesRig rig(7);
    SelectSet(rig.sets, RandomSet::Letters);
    rig.series.Options.RandomWords = true;
    rig.quick(1000);
    std::set<std::size_t> lengths;
    const auto groups = rig.groups();
    for (std::size_t i = 0; i + 1 < groups.size(); ++i) // the last may be cut by the count
        lengths.insert(groups[i].size());
    EXPECT_EQ(lengths, (std::set<std::size_t>{2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rig.sentCharacters(), 1000u);
}

TEST(RandomSeries, CallSignGroupsHaveTheirShapes)
{
    SeriesRig rig(3);
    SelectSet(rig.sets, RandomSet::LettersFigures);
    rig.series.Options.Callsigns = true;
    rig.quick(1000);
    const std::regex shape("([A-Z][A-Z][0-9]|[A-Z][0-9][A-Z0-9]|[0-9][A-Z][0-9])[A-Z]{2}");
    for (const std::string &group : rig.groups())
        EXPECT_TRUE(std::regex_match(group, shape)) << group;

    // Figures only: no letter can follow, so the fourth and fifth repeat the first character.
    SeriesRig digits(4);
    SelectSet(digits.sets, RandomSet::Figures);
    digits.series.Options.Callsigns = true;
    digits.quick(10);
    for (const std::string &group : digits.groups())
        EXPECT_TRUE(group.size() == 5 && group[3] == group[0] && group[4] == group[0]) << group;
}

TEST(RandomSeries, NonMixedGroupsKeepTheClassOfTheirFirstCharacter)
{
    SeriesRig rig(5);
    SelectSet(rig.sets, RandomSet::All);
    rig.series.Options.NonMixedGroups = true;
    rig.quick(1000);
    for (const std::string &group : rig.groups()) {
        const int first = CharacterClass(static_cast<unsigned char>(std::tolower(group[0])));
        for (char c : group)
            EXPECT_EQ(CharacterClass(static_cast<unsigned char>(std::tolower(c))), first) << group;
    }
}

TEST(RandomSeries, DrawsNeverLeaveTheSetNorPickACharacterWithoutCode)
{
    CharacterSets withLocal;
    ASSERT_EQ(CreateLocalCharacter(withLocal, MorseCodes, 0xFC, "..--", "", RandomSetFollow::None), LocalResult::Done);
    for (int set = 0; set <= static_cast<int>(RandomSet::All) + 1; ++set) {
        SeriesRig rig(100 + static_cast<unsigned>(set));
        rig.sets = withLocal;
        if (set <= static_cast<int>(RandomSet::All))
            SelectSet(rig.sets, static_cast<RandomSet>(set));
        else
            BuildOwnChoice(rig.sets, "k!@m\xFC");
        const std::string allowed = cp1252::toUpper(WindowCharacters(rig.sets));
        rig.quick(10000); // 2000 groups of each set
        for (char c : rig.view.memo) {
            if (c == ' ' || c == '\n')
                continue;
            ASSERT_NE(allowed.find(c), std::string::npos) << "set " << set << " drew " << c;
            ASSERT_FALSE(MorseCodes[static_cast<unsigned char>(c)].empty()) << "set " << set;
        }
    }
    MorseCodes.set(0xFC, DefaultMorseCodes[0xFC]);
    MorseCodes.set(0xDC, DefaultMorseCodes[0xDC]);
}

TEST(RandomSeries, WordsAreFinishedAndTheirBlanksDoNotCount)
{
    SeriesRig rig(9);
    rig.series.Options.ListWords = true;
    rig.series.WordListChosen = true;
    rig.series.Words = {"CQ", "TEST", "EXTRAORDINARY"};
    rig.series.Options.SeriesCount = 20;
    rig.quick(20);
    const auto words = rig.groups();
    ASSERT_FALSE(words.empty());
    for (const std::string &word : words)
        EXPECT_TRUE(word == "CQ" || word == "TEST" || word == "EXTRAORDINARY") << word;
    EXPECT_GE(rig.sentCharacters(), 20u);
    EXPECT_LE(rig.sentCharacters(), 20u + 13 - 1);
}

TEST(RandomSeries, NothingToDrawEndsQuietlyInsteadOfHanging)
{
    SeriesRig empty;
    SelectSet(empty.sets, RandomSet::Local); // no local characters
    EXPECT_EQ(empty.play(), RandomSeries::StepResult::NothingToDraw);
    EXPECT_EQ(empty.view.endedQuietly, 1);
    EXPECT_TRUE(empty.state.PlayQueue.empty());

    // A word list of blank lines holds no word.
    SeriesRig blanks;
    blanks.series.Options.ListWords = true;
    blanks.series.WordListChosen = true;
    blanks.series.Words = ParseWordList("\r\n  \r\n\r\n");
    blanks.quick(20);
    EXPECT_EQ(blanks.view.endedQuietly, 1);
    EXPECT_FALSE(blanks.state.RandomPlaying);
    EXPECT_FALSE(blanks.state.QuickSeries); // the next series sounds again
}

TEST(RandomSeries, AStoppedSeriesContinuesWithTheNextUnit)
{
    SeriesRig rig(11);
    SelectSet(rig.sets, RandomSet::Letters);
    rig.series.Options.SeriesCount = 10;
    rig.play();
    rig.output.finishNext();
    rig.output.finishNext();     // two sent, the third sounds
    rig.cycle.ButtonStopClick(); // Stop: the third plays to its end
    rig.output.finishAll();
    EXPECT_EQ(rig.sentCharacters(), 3u);
    EXPECT_TRUE(rig.series.StoppedMidSeries());
    rig.play();
    rig.output.finishAll();
    EXPECT_EQ(rig.sentCharacters(), 10u);
    EXPECT_EQ(rig.groups().size(), 2u);
}

TEST(RandomSeries, AStoppedReplayContinuesAfterItsLastCharacter)
{
    SeriesRig rig;
    ASSERT_TRUE(rig.series.PrepareReplay("ABC DEF"));
    rig.play();
    rig.output.finishNext(); // A
    rig.output.finishNext(); // B; C sounds
    rig.cycle.ButtonStopClick();
    rig.output.finishAll();
    EXPECT_TRUE(rig.series.RandomStopped);
    rig.play();
    rig.output.finishAll();
    EXPECT_EQ(rig.view.memo, "\nABC DEF");
}

TEST(RandomSeries, ACancelledCountdownQueuesNothingAndChangesNothing)
{
    SeriesRig rig;
    SelectSet(rig.sets, RandomSet::Letters);
    rig.view.cancelCountdown = true;
    EXPECT_EQ(rig.play(), RandomSeries::StepResult::Cancelled);
    EXPECT_TRUE(rig.state.PlayQueue.empty());
    EXPECT_EQ(rig.series.RandomCharCount, 0);
    EXPECT_TRUE(rig.view.memo.empty());
    // A quick series has no countdown.
    rig.quick(5);
    EXPECT_EQ(rig.view.countdowns, 1);
    EXPECT_EQ(rig.sentCharacters(), 5u);
}

TEST(RandomSeries, TheGroupsLastCharacterKeepsItsWordSpaceAfterTheTransmitDelay)
{
    SeriesRig rig;
    SelectSet(rig.sets, RandomSet::Figures);
    rig.series.Options.SeriesCount = 5;
    rig.state.GroupLength = 1; // every character ends its group
    rig.host.txDelay = true;   // PTT has just gone up: the delay's tick starts the engine
    rig.play();
    EXPECT_TRUE(rig.output.written.empty());
    EXPECT_EQ(rig.state.GroupPosition, 0); // the group is already counted as ended
    rig.cycle.TimerTXDelayTimer();
    ASSERT_EQ(rig.output.written.size(), 1u);
    const std::string code(MorseCodes[static_cast<unsigned char>(rig.view.memo[0])]);
    const int wordSpace = rig.timing.CharacterSpaceGapUnits(false, true, false);
    EXPECT_EQ(rig.output.written[0].values.size(),
              static_cast<std::size_t>(rig.timing.CharacterValues(code, wordSpace, rig.timing.GapValues())));
}

TEST(RandomSeries, AQuickSeriesRunsFlat)
{
    SeriesRig rig;
    SelectSet(rig.sets, RandomSet::Letters);
    rig.quick(1000);
    EXPECT_EQ(rig.sentCharacters(), 1000u);
    ASSERT_GE(rig.host.stackMarks.size(), 1000u);
    const auto [low, high] = std::minmax_element(rig.host.stackMarks.begin(), rig.host.stackMarks.end());
    EXPECT_LT(*high - *low, 4096u) << "the series nests its calls";
    EXPECT_FALSE(rig.state.QuickSeries);
}
