#pragma once

// The exam as plain C++: a three-phase reception exam on top of the random series. Phase 1 is
// a warm-up text of words, phase 2 groups of five characters (150 letters, then 30 figures),
// phase 3 a text of words, with a pause of one minute after phase 1 and of two minutes after
// phase 2. Phase 2 or phase 3 may also run alone. The words come from the word list of random
// practice. The exam's texts are French in every language.

#include "training/randomseries.h"

#include <chrono>
#include <functional>
#include <string_view>

namespace exam {

// The kind chosen in the exam menu (TYPEXAM= 1..3).
enum class Kind { Complete = 1, GroupsOnly = 2, TextOnly = 3 };

// Counted characters of each phase: the warm-up text, the groups ("vvv" + 150 letters + 30
// figures + "+") and the final text.
constexpr int WarmUpCount = 123;
constexpr int GroupsCount = 184;
constexpr int TextCount = 183;
// Below this count the groups phase draws figures.
constexpr int FiguresBelow = 32;
inline constexpr std::string_view TextPreamble = "VVV ";

// Pauses, in seconds, after phase 1 and after phase 2.
constexpr int FirstPauseSeconds = 60;
constexpr int SecondPauseSeconds = 120;

// Fixed captions (French in every language).
inline constexpr std::string_view PhasesCaption = "Trois Phases (groupes + textes)";
inline constexpr std::string_view Phase2Caption = "Phase 2 seule : Groupes (150 car. + 30 chif.)";
inline constexpr std::string_view Phase3Caption = "Phase 3 seule : Texte de 3 minutes";
inline constexpr std::string_view Phase1Running = "Phase 1: Echauffement 2 minutes";
inline constexpr std::string_view Phase2Running = "Phase 2: Groupes (150 lettres + 30 chiffres)";
inline constexpr std::string_view Phase3Running = "Phase 3: Texte de 3 minutes";
inline constexpr std::string_view CancelledCaption = " 3 Phases (groupes + textes)";
inline constexpr std::string_view FirstPauseText = "Pause 1 minute avant envoi des groupes";
inline constexpr std::string_view SecondPauseText = "Pause 2 minutes avant envoi du texte";

// The panel caption of a kind before the exam starts.
std::string_view KindCaption(Kind kind);

struct State {
    int ExamPhase = 0; // 0 none, 1 warm-up text, 2 groups, 3 text
    // A quick exam goes on at once: after phase 1 (ExamPauseDue) or after phase 2 (ExamPhaseDone).
    bool ExamPauseDue = false;
    bool ExamPhaseDone = false;
    // The first word of a text phase starts a new memo line.
    bool ExamNewLinePending = false;
};

// The exam's part in the series' steps.
class SeriesDriver : public RandomSeriesExam {
public:
    explicit SeriesDriver(State &state) : m_state(state) {}

    Kind kind = Kind::Complete;
    // A phase was chosen at the first step of an exam (its running caption follows).
    std::function<void(int phase)> phaseChosen;

    Unit ExamUnit(RandomSeries &series, RandomSeriesView &view) override;
    void GroupsStarted(RandomSeries &series, RandomSeriesView &view) override;
    bool TextPhase() const override;

private:
    void textUnit(RandomSeries &series, RandomSeriesView &view);
    State &m_state;
};

// What the end of a phase calls for, in this order: the pause window, the exam's end (the
// panel back to its caption), and the phase that a quick exam starts at once.
enum class Chain { None, Groups, Text };
struct PhaseEnd {
    bool showPause = false;
    bool examOver = false;
    bool restoreCaption = false;
    bool stopQuick = false; // a quick exam is over: the quick series ends with it
};
// The end of a phase (the series' count ran out). `quick` is the quick-series flag.
PhaseEnd EndOfPhase(State &state, Kind kind, bool quick);
// The phase a quick exam chains to now; the flag that called for it is used up.
Chain TakeChain(State &state);

// Back to no exam (Cancel in the pause, a stopped exam started again, the exam left).
void Reset(State &state);

// The pause between two phases, on a clock a test can set. It counts whole seconds from its
// start; the gauge is the part left in percent (rounded half to even).
class PauseCountdown {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    explicit PauseCountdown(Now now = Clock::now) : m_now(std::move(now)) {}

    // The pause after `phase` (1: one minute, otherwise two).
    void Start(int phase);
    void Stop() { m_running = false; }
    bool Running() const { return m_running; }
    int Phase() const { return m_phase; }
    int TotalSeconds() const { return m_total; }
    int SecondsLeft() const;
    bool Expired() const { return m_running && SecondsLeft() == 0; }
    int Gauge() const;
    std::string_view Text() const { return m_phase == 1 ? FirstPauseText : SecondPauseText; }

private:
    Now m_now;
    Clock::time_point m_start{};
    int m_phase = 1;
    int m_total = FirstPauseSeconds;
    bool m_running = false;
};

} // namespace exam
