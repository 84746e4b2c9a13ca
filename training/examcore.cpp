#include "training/examcore.h"

#include "engine/random.h"
#include "engine/timing.h"

#include <algorithm>
#include <cmath>

namespace exam {

namespace {

int nonBlanks(std::string_view text)
{
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return c != ' '; }));
}

} // namespace

std::string_view KindCaption(Kind kind)
{
    switch (kind) {
    case Kind::GroupsOnly:
        return Phase2Caption;
    case Kind::TextOnly:
        return Phase3Caption;
    case Kind::Complete:
        break;
    }
    return PhasesCaption;
}

RandomSeriesExam::Unit SeriesDriver::ExamUnit(RandomSeries &series, RandomSeriesView &view)
{
    // Every phase needs the word list chosen; its text phases need a word in it.
    if (!series.WordListChosen)
        return Unit::NothingToDraw;
    if (!series.Engine.RandomPlaying && m_state.ExamPhase == 0) {
        m_state.ExamPhase = static_cast<int>(kind);
        if (phaseChosen)
            phaseChosen(m_state.ExamPhase);
    }
    if (!TextPhase())
        return Unit::Groups;
    if (series.Words.empty())
        return Unit::NothingToDraw;
    textUnit(series, view);
    return Unit::Text;
}

bool SeriesDriver::TextPhase() const
{
    return m_state.ExamPhase == 1 || m_state.ExamPhase == 3;
}

void SeriesDriver::textUnit(RandomSeries &series, RandomSeriesView &view)
{
    if (!series.Engine.RandomPlaying) {
        series.RandomCharCount = m_state.ExamPhase == 1 ? WarmUpCount : TextCount;
        if (!view.memoLastLineEmpty())
            view.memoNewLine();
        series.WordRest = TextPreamble;
        m_state.ExamNewLinePending = true;
    }
    if (series.WordRest.empty()) {
        if (m_state.ExamNewLinePending) {
            view.memoNewLine();
            m_state.ExamNewLinePending = false;
        }
        const std::string &word = series.Words[static_cast<std::size_t>(Random(static_cast<int>(series.Words.size())))];
        series.WordRest = word + " ";
        // The last word: one that brings the count to its end, so the phase always closes
        // with "+" (a word one character short of the count would end it on its blank).
        const int n = nonBlanks(word);
        if (n >= series.RandomCharCount - 1) {
            series.WordRest += "+ ";
            series.RandomCharCount = n + 2;
        }
    }
    series.DrawnCharacter = series.WordRest.substr(0, 1);
    series.WordRest.erase(0, 1);
}

void SeriesDriver::GroupsStarted(RandomSeries &series, RandomSeriesView &view)
{
    if (m_state.ExamPhase != 2)
        return;
    // A group of three "v" first, on a line of its own.
    series.RandomCounter = 0;
    series.Engine.GroupLength = 3;
    series.RandomCharCount = GroupsCount;
    if (!view.memoLastLineEmpty())
        view.memoNewLine();
}

PhaseEnd EndOfPhase(State &state, Kind kind, bool quick)
{
    PhaseEnd end;
    const int phase = state.ExamPhase;
    state.ExamPauseDue = false;
    state.ExamPhaseDone = false;
    if (kind == Kind::Complete && !quick && (phase == 1 || phase == 2))
        end.showPause = true;
    else if (quick && phase == 1)
        state.ExamPauseDue = true;
    else if (quick && phase == 2)
        state.ExamPhaseDone = true;

    if (phase == 3 || (phase == 2 && kind == Kind::GroupsOnly)) {
        Reset(state);
        end.examOver = true;
        end.stopQuick = true;
        end.restoreCaption = kind == Kind::Complete;
    }
    return end;
}

Chain TakeChain(State &state)
{
    if (state.ExamPauseDue) {
        state.ExamPauseDue = false;
        state.ExamPhase = 2;
        return Chain::Groups;
    }
    if (state.ExamPhaseDone) {
        state.ExamPhaseDone = false;
        state.ExamPhase = 3;
        return Chain::Text;
    }
    return Chain::None;
}

void Reset(State &state)
{
    state = State{};
}

void PauseCountdown::Start(int phase)
{
    m_phase = phase;
    m_total = phase == 1 ? FirstPauseSeconds : SecondPauseSeconds;
    m_start = m_now();
    m_running = true;
}

int PauseCountdown::SecondsLeft() const
{
    if (!m_running)
        return 0;
    // Whole seconds, to the nearest: a timer tick a little early or late counts its second.
    const double elapsed = std::chrono::duration<double>(m_now() - m_start).count();
    const long long seconds = std::llround(std::max(0.0, elapsed));
    return static_cast<int>(std::max<long long>(0, m_total - seconds));
}

int PauseCountdown::Gauge() const
{
    return static_cast<int>(RoundHalfEven(SecondsLeft() * 100.0 / m_total));
}

} // namespace exam
