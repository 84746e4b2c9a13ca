// The program's own windows against a sound server that is frozen (SIGSTOP) before the
// program starts, and again while it runs. Run it through bench/soundloss.sh, which starts a
// private PulseAudio server and gives its process id in KESTRELON_PULSE_PID:
//   BENCH=build/bench/bench_frozenstart bench/soundloss.sh
// Run the start-up benchmark first in its process: the sound library starts only once.
//
// - FrozenStartup: the windows are made with the server frozen; counters `open_ms`: how long
//   the start-up's opening of the output held the user-interface thread, `create_ms`: the
//   whole making of the windows, `gui_wait_ms`: the event loop's longest pause in the 3 s
//   after the window shows, `sound_ms`: from the server's thawing to the output playing.
// - FrozenWhileRunning: with the output playing, the server is frozen; then the sound-card
//   panel's opening (`reopen_ms`), the device lists (`lists_ms`) and the audio input's opening
//   (`input_ms`) are timed on the user-interface thread; `sound_ms`: from the thawing to the
//   output playing again.
// - OpeningTime: a stream opened 20 times on the thawed server, each until it plays (taken
//   late or not); `median_ms`, `longest_ms`: what the bound on an opening is measured against.

#include "modules.h"
#include "platform/portaudioinput.h"
#include "platform/portaudiooutput.h"
#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/soundcardpanel.h"
#include "shell/soundengine.h"
#include "shell/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// How long the last opening held its caller.
double lastOpenMs = 0;

class TimedOutput : public PortAudioOutput {
public:
    int open(int device) override
    {
        const auto start = Clock::now();
        const int error = PortAudioOutput::open(device);
        lastOpenMs = msSince(start);
        return error;
    }
};

pid_t server()
{
    const char *pid = std::getenv("KESTRELON_PULSE_PID");
    return pid ? std::atoi(pid) : 0;
}

// The event loop's longest pause while it runs for `ms`, measured by a 5 ms timer.
double longestPause(int ms)
{
    double longest = 0;
    auto last = Clock::now();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, msSince(last));
        last = Clock::now();
    });
    tick.start(5);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return std::max(longest, msSince(last));
}

// Milliseconds until the engine's output plays, at most `limit`.
double untilPlaying(int limit)
{
    const auto start = Clock::now();
    QElapsedTimer clock;
    clock.start();
    while (!(SoundEngine().Output->isOpen() && !Form1->Engine.NoSoundCard) && clock.elapsed() < limit)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return msSince(start);
}

void BM_FrozenStartup(benchmark::State &state)
{
    const pid_t pulse = server();
    if (!pulse) {
        state.SkipWithError("KESTRELON_PULSE_PID not set");
        return;
    }
    for (auto _ : state) {
        ::kill(pulse, SIGSTOP);
        const auto start = Clock::now();
        if (!CreateAllWindows()) {
            ::kill(pulse, SIGCONT);
            state.SkipWithError("the windows were not made");
            return;
        }
        PushSettingsIntoSideWindows();
        Form1->show();
        state.counters["create_ms"] = msSince(start);
        state.counters["open_ms"] = lastOpenMs;
        state.counters["gui_wait_ms"] = longestPause(3000);
        const auto thawed = Clock::now();
        ::kill(pulse, SIGCONT);
        untilPlaying(20000);
        state.counters["sound_ms"] = msSince(thawed);
    }
}

void BM_FrozenWhileRunning(benchmark::State &state)
{
    const pid_t pulse = server();
    if (!pulse || !Form1) {
        state.SkipWithError("no server, or no windows");
        return;
    }
    for (auto _ : state) {
        untilPlaying(20000);
        longestPause(1000);
        ::kill(pulse, SIGSTOP);
        auto start = Clock::now();
        SoundEngine().Cycle->ReopenWaveOut();
        state.counters["reopen_ms"] = msSince(start);
        start = Clock::now();
        benchmark::DoNotOptimize(ListOutputDevices().size() + ListInputDevices().size());
        state.counters["lists_ms"] = msSince(start);
        PortAudioInput input;
        start = Clock::now();
        input.open(-1);
        state.counters["input_ms"] = msSince(start);
        input.close();
        longestPause(1000);
        const auto thawed = Clock::now();
        ::kill(pulse, SIGCONT);
        untilPlaying(20000);
        state.counters["sound_ms"] = msSince(thawed);
    }
}

void BM_OpeningTime(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<double> times;
        for (int i = 0; i < 20; ++i) {
            TimedOutput out;
            const auto start = Clock::now();
            const int error = out.open(-1);
            QElapsedTimer clock;
            clock.start();
            while (!out.isOpen() && (error == 0 || out.reopening()) && clock.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            times.push_back(msSince(start));
            out.close();
        }
        std::sort(times.begin(), times.end());
        state.counters["median_ms"] = times[times.size() / 2];
        state.counters["longest_ms"] = times.back();
    }
}

} // namespace

BENCHMARK(BM_FrozenStartup)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_FrozenWhileRunning)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_OpeningTime)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    QTemporaryDir data;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", data.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<TimedOutput>()); };
    TerminateApplication = [] {};
    // A message would wait for an answer nobody gives: it goes to the standard error.
    MessagesToStandardError = true;
    RegisterProgramModules();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // A frozen server may hold the sound thread: nothing waits for it at the end.
    std::_Exit(0);
}
