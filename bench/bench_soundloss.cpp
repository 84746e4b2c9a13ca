// The sound output against a real PulseAudio server that misbehaves. Run it through
// bench/soundloss.sh, which starts a private server, gives its process id in
// KESTRELON_PULSE_PID, and (for LongestSilence) loads the processor with stress-ng.
//
// - LongestSilence: a stream kept busy with 20 ms buffers for KESTRELON_LOSS_SECONDS (30 by
//   default); counter `longest_ms`: the longest time the stream took no sound (watched by a
//   thread of its own every millisecond), what the loss limit must stay above; `over_500ms`:
//   how many such stretches passed half a second; `report_ms`: the longest time between two
//   done reports on the user-interface thread.
// - BackToSound: the sink suspended while buffers are out, until the output counts the
//   stream lost, then resumed; counter `back_ms`: from the resume to the output playing again
//   (its restored report), `heard_ms`: to the first buffer written then being taken.
// - FrozenServer: the server stopped (SIGSTOP) for 6 s while buffers play, during which the
//   output loses the stream and tries it again, then is closed; counter `gui_wait_ms`: the
//   longest the user-interface thread's event loop went without running; `open_ms`: what an
//   explicit opening then takes (its bound).
// - TextThroughAStall/0 (sink suspended) and /1 (server stopped), keeping time as with keyed
//   lines: a text of 15 characters of
//   200 ms, each written when the one before is reported done (as the sending engine does,
//   which keys the lines at each write and releases PTT at the last report), with the server
//   stalled for 1 s from 0.6 s on, short of a loss; counters `end_late_ms`: how much later than
//   the text's own length the last report came (PTT held that much longer), `worst_gap_ms`:
//   the largest amount by which one character's turn exceeded its 200 ms.

#include "bench/eventloopmain.h"
#include "platform/portaudiooutput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::int16_t> &piece()
{
    // 20 ms of a quiet tone.
    static const std::vector<std::int16_t> values = [] {
        std::vector<std::int16_t> v(2 * 441);
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<std::int16_t>((i / 2) % 50 < 25 ? 2000 : -2000);
        return v;
    }();
    return values;
}

void runFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

bool runUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// Keeps `ahead` buffers out: each one reported done is replaced.
struct Feeder {
    PortAudioOutput &out;
    AudioOutput::Tag next = 1;
    Clock::time_point last = Clock::now();
    double longestMs = 0;
    int over500 = 0;
    bool feeding = true;
    explicit Feeder(PortAudioOutput &o, int ahead = 3) : out(o)
    {
        out.setDoneHandler([this](AudioOutput::Tag) {
            const auto now = Clock::now();
            const double ms = std::chrono::duration<double, std::milli>(now - last).count();
            last = now;
            longestMs = std::max(longestMs, ms);
            over500 += ms > 500 ? 1 : 0;
            if (feeding && out.isOpen())
                out.write(next++, piece().data(), piece().size());
        });
        for (int i = 0; i < ahead; ++i)
            out.write(next++, piece().data(), piece().size());
        last = Clock::now();
    }
};

void pactl(const QStringList &args)
{
    QProcess::execute(QStringLiteral("pactl"), args);
}

void BM_LongestSilence(benchmark::State &state)
{
    const char *seconds = std::getenv("KESTRELON_LOSS_SECONDS");
    const int ms = 1000 * (seconds ? std::atoi(seconds) : 30);
    for (auto _ : state) {
        PortAudioOutput out;
        if (out.open(-1) != 0) {
            state.SkipWithError("no sound output");
            return;
        }
        int losses = 0;
        out.setFailureHandler([&](int) { ++losses; });
        runFor(500);
        Feeder feeder(out);
        std::atomic<bool> stop{false};
        double longest = 0;
        int over500 = 0;
        std::thread watcher([&] {
            std::uint64_t seen = out.framesTaken();
            auto since = Clock::now();
            while (!stop.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                const auto now = Clock::now();
                if (const std::uint64_t taken = out.framesTaken(); taken != seen) {
                    const double ms = std::chrono::duration<double, std::milli>(now - since).count();
                    longest = std::max(longest, ms);
                    over500 += ms > 500 ? 1 : 0;
                    seen = taken;
                    since = now;
                }
            }
        });
        runFor(ms);
        stop = true;
        watcher.join();
        feeder.feeding = false;
        state.counters["longest_ms"] = longest;
        state.counters["over_500ms"] = over500;
        state.counters["report_ms"] = feeder.longestMs;
        state.counters["losses"] = losses;
    }
}

void BM_BackToSound(benchmark::State &state)
{
    for (auto _ : state) {
        PortAudioOutput out;
        if (out.open(-1) != 0) {
            state.SkipWithError("no sound output");
            return;
        }
        bool lost = false;
        Clock::time_point restoredAt{};
        out.setFailureHandler([&](int) { lost = true; });
        out.setRestoredHandler([&] { restoredAt = Clock::now(); });
        runFor(500);
        Feeder feeder(out);
        runFor(300);
        pactl({"suspend-sink", "@DEFAULT_SINK@", "1"});
        runUntil([&] { return lost; }, 10000);
        runFor(500);
        feeder.feeding = false;
        const auto resumed = Clock::now();
        pactl({"suspend-sink", "@DEFAULT_SINK@", "0"});
        if (!runUntil([&] { return restoredAt != Clock::time_point{}; }, 30000)) {
            state.SkipWithError("the output never came back");
            return;
        }
        bool heard = false;
        out.setDoneHandler([&](AudioOutput::Tag) { heard = true; });
        out.write(1000, piece().data(), piece().size());
        runUntil([&] { return heard; }, 5000);
        const auto heardAt = Clock::now();
        state.counters["back_ms"] = std::chrono::duration<double, std::milli>(restoredAt - resumed).count();
        state.counters["heard_ms"] = std::chrono::duration<double, std::milli>(heardAt - resumed).count();
    }
}

void BM_FrozenServer(benchmark::State &state)
{
    const char *pid = std::getenv("KESTRELON_PULSE_PID");
    if (!pid) {
        state.SkipWithError("KESTRELON_PULSE_PID not set");
        return;
    }
    const pid_t server = std::atoi(pid);
    for (auto _ : state) {
        auto out = std::make_unique<PortAudioOutput>();
        if (out->open(-1) != 0) {
            state.SkipWithError("no sound output");
            return;
        }
        runFor(500);
        Feeder feeder(*out);
        runFor(300);
        // The event loop's longest pause, measured by a 5 ms timer.
        double longest = 0;
        auto last = Clock::now();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        });
        tick.start(5);
        ::kill(server, SIGSTOP);
        runFor(6000); // the stream is lost meanwhile, and tried again in the background
        out->close();
        runFor(100);
        tick.stop();
        state.counters["gui_wait_ms"] = longest;
        // An explicit opening (start-up, the sound-card panel) waits its bound.
        const auto opening = Clock::now();
        out->open(-1);
        state.counters["open_ms"] = std::chrono::duration<double, std::milli>(Clock::now() - opening).count();
        out->close();
        ::kill(server, SIGCONT);
        feeder.feeding = false;
        runFor(1000);
    }
}

void BM_TextThroughAStall(benchmark::State &state)
{
    const bool stop = state.range(0) == 1;
    const char *pid = std::getenv("KESTRELON_PULSE_PID");
    if (stop && !pid) {
        state.SkipWithError("KESTRELON_PULSE_PID not set");
        return;
    }
    constexpr int Characters = 15;
    static const std::vector<std::int16_t> character = [] {
        std::vector<std::int16_t> v(2 * 4410);
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<std::int16_t>((i / 2) % 28 < 14 ? 3000 : -3000);
        return v;
    }();
    for (auto _ : state) {
        PortAudioOutput out;
        if (out.open(-1) != 0) {
            state.SkipWithError("no sound output");
            return;
        }
        out.setKeepTime(true); // as with keyed lines
        runFor(3500); // past the start's grace
        std::vector<Clock::time_point> turns;
        AudioOutput::Tag next = 1;
        out.setDoneHandler([&](AudioOutput::Tag) {
            turns.push_back(Clock::now());
            if (next <= Characters)
                out.write(next++, character.data(), character.size());
        });
        turns.push_back(Clock::now());
        out.write(next++, character.data(), character.size());
        runFor(600);
        if (stop)
            ::kill(std::atoi(pid), SIGSTOP);
        else
            pactl({"suspend-sink", "@DEFAULT_SINK@", "1"});
        runFor(1000);
        if (stop)
            ::kill(std::atoi(pid), SIGCONT);
        else
            pactl({"suspend-sink", "@DEFAULT_SINK@", "0"});
        if (!runUntil([&] { return int(turns.size()) == Characters + 1; }, 20000)) {
            state.SkipWithError("the text never ended");
            return;
        }
        double worst = 0;
        for (std::size_t i = 1; i < turns.size(); ++i)
            worst = std::max(worst, std::chrono::duration<double, std::milli>(turns[i] - turns[i - 1]).count() - 200);
        state.counters["end_late_ms"] =
            std::chrono::duration<double, std::milli>(turns.back() - turns.front()).count() - Characters * 200.0;
        state.counters["worst_gap_ms"] = worst;
        runFor(2000);
    }
}

} // namespace

BENCHMARK(BM_LongestSilence)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_BackToSound)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_FrozenServer)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TextThroughAStall)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kSecond);

KESTRELON_BENCHMARK_MAIN_WITH_EVENT_LOOP()
