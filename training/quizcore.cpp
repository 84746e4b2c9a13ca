#include "training/quizcore.h"

#include "engine/cp1252.h"
#include "engine/random.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace quiz {

namespace {

struct DelayRow {
    const char *caption;
    int ms;
};

constexpr std::array<DelayRow, DelaySteps> DelayTable = {{
    {"0.2", 200},   {"0.3", 300},   {"0.4", 400},  {"0.5", 500},   {"0.6", 600},   {"0.7", 700},
    {"0.8", 800},   {"0.9", 900},   {"1", 1000},   {"1.25", 1250}, {"1.5", 1500},  {"1.75", 1750},
    {"2", 2000},    {"2.25", 2250}, {"2.5", 2500}, {"2.75", 2750}, {"3", 3000},    {"4", 4000},
    {"5", 5000},    {"6", 6000},    {"7", 7000},   {"8", 8000},    {"9", 9000},
}};

std::string twoDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The A-Z order's classes: letters, then digits, then everything else.
int sortClass(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return 0;
    if (c >= '0' && c <= '9')
        return 1;
    return 2;
}

} // namespace

int ClampDelayStep(int step)
{
    return std::clamp(step, 1, DelaySteps);
}

const char *DelayCaption(int step)
{
    return DelayTable[static_cast<std::size_t>(ClampDelayStep(step) - 1)].caption;
}

int DelayMilliseconds(int step)
{
    return DelayTable[static_cast<std::size_t>(ClampDelayStep(step) - 1)].ms;
}

std::optional<int> DelayStepOfText(std::string_view text)
{
    for (int step = 1; step <= DelaySteps; ++step) {
        if (text == DelayCaption(step))
            return step;
    }
    return std::nullopt;
}

std::string MarkText(int right, int asked)
{
    if (asked <= 0)
        return {};
    const double percent = std::round(static_cast<double>(right) * 100.0 / asked);
    return std::to_string(right) + "/" + std::to_string(asked) + " = "
        + std::to_string(static_cast<long long>(percent)) + "%";
}

std::string CodeText(std::string_view code)
{
    std::string text = " ";
    for (char sign : code)
        text += sign == '-' ? "_  " : ".  ";
    return text;
}

int SuccessPercent(int played, int errors)
{
    if (played <= 0)
        return 0;
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(100.0 - static_cast<double>(errors) / played * 100.0));
}

double AnswerSpeed(int right, Clock::duration answeringTime)
{
    const double minutes = std::chrono::duration<double, std::ratio<60>>(answeringTime).count();
    if (minutes <= 0.0)
        return 0.0;
    return right / minutes / 5.0;
}

void AddMissed(std::string &missed, unsigned char character, bool keepRepeats)
{
    const char c = static_cast<char>(character);
    if (keepRepeats) {
        missed += c;
        return;
    }
    if (missed.find(c) != std::string::npos)
        return;
    const auto later = std::find_if(missed.begin(), missed.end(),
                                    [character](char m) { return static_cast<unsigned char>(m) > character; });
    missed.insert(later, c);
}

// ---- Report ------------------------------------------------------------------------------------

void Report::record(unsigned char character, std::string_view code, bool wrong)
{
    auto row = std::find_if(rows_.begin(), rows_.end(), [character](const ReportRow &r) { return r.character == character; });
    if (row == rows_.end()) {
        rows_.push_back({character, CodeText(code), 0, 0, 0});
        row = rows_.end() - 1;
    }
    ++row->played;
    if (wrong)
        ++row->errors;
    row->success = SuccessPercent(row->played, row->errors);
}

void Report::sortAZ()
{
    std::stable_sort(rows_.begin(), rows_.end(), [](const ReportRow &a, const ReportRow &b) {
        const int ca = sortClass(a.character);
        const int cb = sortClass(b.character);
        return ca != cb ? ca < cb : a.character < b.character;
    });
}

void Report::sortSuccessAscending()
{
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const ReportRow &a, const ReportRow &b) { return a.success < b.success; });
}

void Report::sortSuccessDescending()
{
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const ReportRow &a, const ReportRow &b) { return a.success > b.success; });
}

std::string ReportFileName(const Stamp &s)
{
    return "QUIZ_" + std::to_string(s.year) + twoDigits(s.month) + twoDigits(s.day) + twoDigits(s.hour)
        + twoDigits(s.minute) + ".txt";
}

std::string ReportFileContent(const Report &report, const ReportHeaders &h, const Stamp &s)
{
    const std::string end = "\r\n";
    std::string text = "KESTRELON QUIZ " + std::to_string(s.year) + "/" + twoDigits(s.month) + "/" + twoDigits(s.day)
        + " " + twoDigits(s.hour) + ":" + twoDigits(s.minute) + end;
    text += h.characters + "\t" + h.code + "\t" + h.played + "\t" + h.errors + "\t" + h.success + end;
    for (const ReportRow &row : report.rows()) {
        text += std::string(1, static_cast<char>(row.character)) + "\t" + row.code + "\t" + std::to_string(row.played)
            + "\t" + std::to_string(row.errors) + "\t" + std::to_string(row.success) + end;
    }
    return text;
}

// ---- The quiz ----------------------------------------------------------------------------------

void Core::beginSeries(std::string_view window, Clock::time_point now)
{
    Pool.assign(window.begin(), window.end());
    Bag = Pool;
    if (Asked == 0)
        QuizTime = {};
    StartTime = now;
}

unsigned char Core::ask(bool equalOccurrence)
{
    unsigned char c = 0;
    if (RepeatChar) {
        c = *RepeatChar;
        RepeatChar.reset();
    } else if (Pool.empty()) {
        return 0;
    } else if (!equalOccurrence) {
        c = Pool[static_cast<std::size_t>(Random(static_cast<int>(Pool.size())))];
    } else {
        if (Bag.empty())
            Bag = Pool;
        const auto i = static_cast<std::size_t>(Random(static_cast<int>(Bag.size())));
        c = Bag[i];
        Bag.erase(Bag.begin() + static_cast<std::ptrdiff_t>(i));
        if (Bag.empty())
            Bag = Pool;
    }
    Current = c;
    QuestionOpen = true;
    ++Asked;
    return c;
}

std::optional<Judgement> Core::judge(std::string_view answer, const Options &options, int delayStep,
                                     std::string_view code)
{
    if (!QuestionOpen)
        return std::nullopt;
    QuestionOpen = false;

    Judgement j;
    j.character = Current;
    j.right = answer.size() == 1
        && cp1252::toLower(static_cast<unsigned char>(answer.front())) == cp1252::toLower(Current);
    j.delayStep = ClampDelayStep(delayStep);

    if (j.right) {
        ++Right;
        if (options.variableSpeed) {
            RightStreak = RightStreak <= 0 ? 1 : RightStreak + 1;
            if (RightStreak == 5) {
                RightStreak = 0;
                j.speed = SpeedStep::Up;
                if (options.variableDelay) {
                    ++DelayStreak;
                    if (DelayStreak % 5 == 0)
                        j.delayStep = ClampDelayStep(j.delayStep - 1);
                }
            }
        }
    } else {
        if (options.variableSpeed) {
            RightStreak = 0;
            j.speed = SpeedStep::Down;
            if (options.variableDelay) {
                --DelayStreak;
                const int remainder = DelayStreak % 5; // signed like the dividend
                if (remainder == 4 || remainder == -1)
                    j.delayStep = ClampDelayStep(j.delayStep + 1);
            }
        }
        AddMissed(Missed, Current, options.keepRepeats);
    }
    Results.record(Current, code, !j.right);
    return j;
}

bool Core::advance(bool wasWrong, bool repeatMissed)
{
    if (Left > 1) {
        --Left;
        if (wasWrong && repeatMissed)
            RepeatChar = Current;
        else
            RepeatChar.reset();
        return true;
    }
    Left = SeriesLength;
    RepeatChar.reset();
    return false;
}

bool Core::close(Clock::time_point now)
{
    if (QuestionOpen) {
        QuestionOpen = false;
        --Asked;
    }
    if (now > StartTime)
        QuizTime += now - StartTime;
    StartTime = now;
    ReportSpeed = AnswerSpeed(Right, QuizTime);
    return Left == SeriesLength;
}

void Core::resetReport()
{
    Right = 0;
    Left = SeriesLength;
    Asked = QuestionOpen ? 1 : 0;
    Results.clear();
    Missed.clear();
    QuizTime = {};
    ReportSpeed = 0.0;
}

} // namespace quiz
