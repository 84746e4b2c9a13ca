#pragma once

// The random group generator and its series, without widgets. Each step draws ONE unit (a
// character of a group, a "v" of the leading group, a character of a word, or a character of
// a replayed text), writes it into the memo, puts it into the play queue and starts the
// engine; the playback cycle counts the series down after each unit and asks for the next
// step. The window's part (the memo, the controls, the countdown, PTT) is reached through
// RandomSeriesView, so the whole series runs in tests against a recording view.
//
// The exam drives the same series: its phases set the series state and the options before
// a step (Options.Exam switches on the exam's draw rules).

#include "engine/enginestate.h"
#include "engine/localcharacters.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The menu check marks and the count that a step reads.
struct RandomSeriesOptions {
    bool AddV = false;           // MenuAddV: a series starts with one group of "v"
    bool RandomWords = false;    // MenuRandomWords: each group's length drawn from 2 to 8
    bool NonMixedGroups = false; // MenuWordContent: a group keeps the class of its first character
    bool Callsigns = false;      // menuCallsigns: groups shaped like call signs
    bool ListWords = false;      // MenuListWords: words from the word list instead of groups
    bool LowerCase = false;      // menulowercase: the memo in lower case
    bool Exam = false;           // menuExamen: the exam's draw window and closing "+"
    int SeriesCount = 250;       // SpinEditRandomNumber, 5..1000
};

// What a step needs from the window.
class RandomSeriesView {
public:
    virtual ~RandomSeriesView() = default;
    virtual bool memoLastLineEmpty() = 0;
    virtual void memoNewLine() = 0;
    // Appends one character at the memo's end.
    virtual void memoAppend(unsigned char c) = 0;
    // A group step begins: the series' controls are shown, the other modes' disabled.
    virtual void enterSeries() = 0;
    // The countdown before a series; false when it was cancelled (Stop, quitting).
    virtual bool countdown() = 0;
    // Nothing can be drawn: the window ends the mode quietly with its message.
    virtual void endQuietly() = 0;
    // The unit is queued: the memo becomes read-only and PTT goes up. True while the transmit
    // delay runs (its tick starts the engine then).
    virtual bool handOff() = 0;
    // Button1: the engine sends the queue.
    virtual void startEngine() = 0;
};

class RandomSeries;

// The exam's part in a step (training/examcore.h): it chooses the phase at the first step,
// feeds the texts of its text phases and sets up its groups phase.
class RandomSeriesExam {
public:
    virtual ~RandomSeriesExam() = default;
    enum class Unit { Groups, Text, NothingToDraw };
    // Before a step in exam mode (no replay): Text when the exam's text gave the unit
    // (DrawnCharacter set), Groups when the step draws a group character.
    virtual Unit ExamUnit(RandomSeries &series, RandomSeriesView &view) = 0;
    // A groups series has started (its count and group set as for any series).
    virtual void GroupsStarted(RandomSeries &series, RandomSeriesView &view) = 0;
    // The units are a text's: a blank sent does not count.
    virtual bool TextPhase() const = 0;
};

// The word list: one word or phrase per line of a text file (Windows-1252, or UTF-8 turned
// into Windows-1252; lines end in LF or CR LF). Lines without a non-blank character are left
// out, a word is cut to MaxWordLength characters and at most MaxWords are kept. A file of
// more than MaxWordListBytes is not read.
constexpr int MaxWords = 100000;
constexpr int MaxWordLength = 1000;
constexpr std::size_t MaxWordListBytes = 8u * 1024u * 1024u;
std::vector<std::string> ParseWordList(std::string_view fileBytes);

// A file's bytes as Windows-1252 text: valid UTF-8 holding a non-ASCII character (or starting
// with its byte-order mark) is converted, characters without a Windows-1252 form dropped;
// anything else is taken as Windows-1252.
std::string DecodeTextFile(std::string_view fileBytes);

// The text a replay sends: the selection with each line break as one blank; without a
// selection the memo's last line that holds text, cut to its first 1000 characters. Blanks
// and control characters are trimmed at both ends.
constexpr int MaxReplayLength = 1000;
std::string ReplayTextFromMemo(std::string_view memo, std::string_view selection);

class RandomSeries {
public:
    RandomSeries(EngineState &engine, CharacterSets &sets);

    EngineState &Engine;
    CharacterSets &Sets;
    RandomSeriesOptions Options;
    // The exam, when there is one (Options.Exam switches it on).
    RandomSeriesExam *Exam = nullptr;

    // ListBoxWords, and whether a word-list file is chosen (WordListFile not empty).
    std::vector<std::string> Words;
    bool WordListChosen = false;

    // -- Series state --
    int RandomCharCount = 0; // units still to send; below 2 no series is in progress
    int RandomCounter = 0;   // leading "v" group: 0..GroupLength while it is sent, 10 after
    unsigned char GroupFirstChar = 0;
    unsigned char GroupSecondChar = 0;
    std::string DrawnCharacter; // the unit of the last step; " " after a group end
    std::string WordRest;       // the rest of the word being spelt
    bool RandomSeriesStarted = false;
    // Replay
    bool RandomStopped = false; // a replay was stopped with units left
    std::string RandomText;
    std::string SavedRandomText;
    int ReplayLength = 0;
    int ReplayIndex = 0; // 1-based position of the character last taken
    int ReplayStart = 0;

    enum class StepResult { Queued, NothingToDraw, Cancelled };
    // The generator step: draws one unit and hands it to the engine.
    StepResult Step(RandomSeriesView &view);

    // Nothing can be drawn: no character in the window, or word-list mode without a word.
    bool NothingToDraw() const;

    // One unit has been sent (the playback cycle, while the series plays and units are left):
    // the count drops, except for a blank of a word (outside a replay). True when it dropped.
    bool UnitSent();

    // The stop routine: a replay stopped with units left can be continued.
    void Stopped();

    // Prepares a replay of a text (already extracted); false when it is empty.
    bool PrepareReplay(std::string text);

    // The memo was cleared: no series, no replay.
    void Reset();

    // The character set changed while a series plays: the group starts again, the memo takes
    // a new line and, outside a replay, the count starts again.
    void RestartAfterSetChange(RandomSeriesView &view);

    // Stopped mid-series (the Play button's hint): units left and not a fresh count.
    bool StoppedMidSeries() const;

    // A character in the memo's case.
    unsigned char MemoCase(unsigned char c) const;

private:
    bool wordMode() const;
    bool examDrives() const;
    StepResult endQuietly(RandomSeriesView &view);
    void wordUnit(RandomSeriesView &view);
    void seriesStart(RandomSeriesView &view);
    void groupUnit();
    void draw();
    void handOff(RandomSeriesView &view, bool groupMode);
};

// The class of a character for non-mixed groups: 0 digit, 1 lower-case letter, 2 other.
int CharacterClass(unsigned char c);
