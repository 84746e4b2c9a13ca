#pragma once

// The quiz's rules as plain data: the answer-time steps, the draw of the next question (plain
// or from a bag, so that each character comes equally often), the judgement with its
// adaptation of speed and answer time, the score, the list of characters to revise, the
// per-character report with its sorts, and the report file. The quiz panel and the report
// window (training/quiz*.cpp) only show what this holds. Draws use the program's one
// generator (engine/random.h); times are given by the caller, so tests choose them.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quiz {

using Clock = std::chrono::steady_clock;

// ---- Answer time -------------------------------------------------------------------------------

constexpr int DelaySteps = 23;
constexpr int DefaultDelayStep = 17; // "3" s

// A step held to 1..23.
int ClampDelayStep(int step);
// The caption ("0.2" .. "9") and the milliseconds of a step (held to 1..23).
const char *DelayCaption(int step);
int DelayMilliseconds(int step);
// The step whose caption is exactly `text`; nothing for any other text ("3.0" included).
std::optional<int> DelayStepOfText(std::string_view text);

// ---- Series length -----------------------------------------------------------------------------

constexpr int MinSeriesLength = 5;
constexpr int MaxSeriesLength = 1000;
constexpr int DefaultSeriesLength = 100;

// ---- Texts of the score ------------------------------------------------------------------------

// "3/4 = 75%": right answers, questions, and the percentage with no decimals (halves away
// from zero: 1/8 reads 13%). Empty while nothing was asked.
std::string MarkText(int right, int asked);

// A code as the report shows it: a blank, then ".  " for each dot and "_  " for each dash.
std::string CodeText(std::string_view code);

// 100 - errors / played x 100, to the nearest integer, halves to even; 0 when never played.
int SuccessPercent(int played, int errors);

// Right answers per minute divided by 5 (words per minute); 0 when no time has passed.
double AnswerSpeed(int right, Clock::duration answeringTime);

// The missed list: with `keepRepeats` (a pause after wrong answers is chosen) the character is
// appended whatever the list holds; otherwise it is inserted before the first character with a
// greater code, unless the list has it already, so the list stays sorted and free of repeats.
void AddMissed(std::string &missed, unsigned char character, bool keepRepeats);

// ---- Report ------------------------------------------------------------------------------------

struct ReportRow {
    unsigned char character = 0;
    std::string code; // CodeText of its code
    int played = 0;
    int errors = 0;
    int success = 0; // SuccessPercent(played, errors)
};

// One row per character asked, in the order of first appearance until a sort reorders them.
// Every character asked gets its row, however many different ones come before "Clear report".
class Report {
public:
    const std::vector<ReportRow> &rows() const { return rows_; }
    bool empty() const { return rows_.empty(); }
    void clear() { rows_.clear(); }

    // One more answer for a character: its row counts it (a new row at the end the first
    // time, with `code` as its code text).
    void record(unsigned char character, std::string_view code, bool wrong);

    // Letters a..z, then "0".."9", then every other character by its code (local characters
    // above 127 therefore last). Equal characters keep their order.
    void sortAZ();
    // By success, lowest first or highest first; rows of equal success keep their order.
    void sortSuccessAscending();
    void sortSuccessDescending();

private:
    std::vector<ReportRow> rows_;
};

// The moment of a save, as the calendar and the clock on the wall show it.
struct Stamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};

// The headers of the saved file, Windows-1252: column 0's word, then the grid's four headers.
struct ReportHeaders {
    std::string characters;
    std::string code;
    std::string played;
    std::string errors;
    std::string success;
};

// "QUIZ_yyyymmddhhmm.txt".
std::string ReportFileName(const Stamp &stamp);
// The file's bytes: the title line "KESTRELON QUIZ yyyy/mm/dd hh:mm", the header line and one
// line per row in the report's order, cells separated by TAB, every line ended by CR LF.
std::string ReportFileContent(const Report &report, const ReportHeaders &headers, const Stamp &stamp);

// ---- The quiz ----------------------------------------------------------------------------------

// The options a judgement reads.
struct Options {
    bool variableSpeed = false; // CheckBoxVitMod
    bool variableDelay = false; // CheckBoxDelayAdjust
    bool keepRepeats = false;   // a pause after a wrong answer is chosen (MenuReprise0s unchecked)
};

enum class SpeedStep { None, Up, Down };

struct Judgement {
    unsigned char character = 0;
    bool right = false;
    SpeedStep speed = SpeedStep::None;
    int delayStep = DefaultDelayStep; // the answer time's step after the judgement
};

class Core {
public:
    int SeriesLength = DefaultSeriesLength;
    int Left = DefaultSeriesLength; // questions left in the series
    int Asked = 0;                  // questions asked since the last report reset
    int Right = 0;                  // right answers since the last report reset
    int RightStreak = 0;            // right answers in a row (variable speed)
    int DelayStreak = 0;            // counter of the variable answer time
    std::string Missed;             // characters to revise
    std::optional<unsigned char> RepeatChar; // a missed character asked again next
    Clock::duration QuizTime{};     // answering time since the last report reset
    Clock::time_point StartTime{};
    double ReportSpeed = 0.0;       // words per minute, from the last stop
    Report Results;

    // The window of characters copied when the series starts, and the bag of the
    // equal-occurrence draw (what is left of the current round).
    std::vector<unsigned char> Pool;
    std::vector<unsigned char> Bag;

    // The question being asked and whether it still waits for its judgement.
    unsigned char Current = 0;
    bool QuestionOpen = false;

    // The first question of a series: the window is copied, and the time starts (from 0 when
    // the report was cleared).
    void beginSeries(std::string_view window, Clock::time_point now);

    // Chooses and asks the next question: a missed character to repeat, else a plain draw
    // from the window, else (equalOccurrence) a draw from the bag, which is refilled whenever
    // it runs empty. 0 when the window is empty.
    unsigned char ask(bool equalOccurrence);

    // Judges the open question (the answer compared without regard to case; an empty answer
    // is wrong): score, adaptation, missed list and report row. `delayStep` is the answer
    // time's step now, `code` the character's Morse code. Nothing when no question is open, so
    // a second judgement of the same question changes nothing.
    std::optional<Judgement> judge(std::string_view answer, const Options &options, int delayStep,
                                   std::string_view code);

    // After a judgement: true when another question follows (a missed character is then kept
    // to be asked again when `repeatMissed`); false after the last one, with the series
    // length left for the next series.
    bool advance(bool wasWrong, bool repeatMissed);

    // A series is stopped: a question still waiting for its judgement is not counted, the
    // answering time is added up and the answer speed taken. True when the series had its
    // whole length left (QuizLeft equals the series length).
    bool close(Clock::time_point now);

    // "Clear report": score, time, missed list and report rows start again.
    void resetReport();

    // Every stop starts the streaks again.
    void resetStreaks()
    {
        RightStreak = 0;
        DelayStreak = 0;
    }
};

} // namespace quiz
