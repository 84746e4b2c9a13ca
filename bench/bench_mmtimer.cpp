// Lateness of the timer component against the floor this machine allows: a chain of
// one-shots of 5 to 300 ms, each re-armed from its own handler as the element clock does,
// and the same schedule slept through with bare clock_nanosleep on absolute deadlines.
// Lateness = the moment the handler (or the sleeper) runs minus the scheduled expiry.
//
// The full run takes about eight minutes (1000 events of 152 ms on average, three times).
// KESTRELON_TIMER_BENCH_COUNT=<n> shortens it.

#include "engine/devices/mmtimer.h"
#include "engine/random.h"

#include <benchmark/benchmark.h>

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int eventCount()
{
    if (const char *text = std::getenv("KESTRELON_TIMER_BENCH_COUNT"))
        return std::max(1, std::atoi(text));
    return 1000;
}

std::vector<int> schedule(int count)
{
    RandomSeed(20261207);
    std::vector<int> delays(count);
    for (int &delay : delays)
        delay = 5 + Random(296); // 5..300 ms
    return delays;
}

void report(benchmark::State &state, std::vector<double> lateMs)
{
    std::sort(lateMs.begin(), lateMs.end());
    const auto n = lateMs.size();
    state.counters["median_ms"] = lateMs[n / 2];
    state.counters["p99_ms"] = lateMs[std::min(n - 1, (n * 99 + 99) / 100 - 1)];
    state.counters["max_ms"] = lateMs.back();
    state.counters["events"] = static_cast<double>(n);
}

double msSince(Clock::time_point deadline)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - deadline).count();
}

void BM_MMTimerOneShotLateness(benchmark::State &state)
{
    const auto delays = schedule(eventCount());
    for (auto _ : state) {
        std::vector<double> late;
        late.reserve(delays.size());
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        TMMTimer timer;
        timer.SetTimerMode(TIME_ONESHOT);
        timer.SetOnTimer([&](TMMTimer *sender) {
            late.push_back(msSince(TMMTimer::FiringExpiry()));
            if (late.size() < delays.size()) {
                sender->SetEnabled(false);
                sender->SetInterval(delays[late.size()]);
                sender->SetEnabled(true);
                return;
            }
            std::lock_guard lock(mutex);
            done = true;
            finished.notify_all();
        });
        timer.SetInterval(delays[0]);
        timer.SetEnabled(true);
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return done; });
        }
        timer.WaitForCallback();
        report(state, late);
    }
    state.counters["realtime_thread"] = platform::TimerService::instance().realtime() ? 1 : 0;
}

std::vector<double> sleepThrough(const std::vector<int> &delays)
{
    std::vector<double> late;
    late.reserve(delays.size());
    auto deadline = Clock::now();
    for (int delay : delays) {
        deadline += std::chrono::milliseconds(delay);
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
        timespec when{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) != 0) {
        }
        late.push_back(msSince(deadline));
    }
    return late;
}

// On the benchmark's own thread, at normal priority.
void BM_ClockNanosleepLateness(benchmark::State &state)
{
    const auto delays = schedule(eventCount());
    for (auto _ : state)
        report(state, sleepThrough(delays));
}

// On a thread with the real-time priority the timer thread asks for: the floor to compare
// with when that thread got it.
void BM_ClockNanosleepLatenessRealtime(benchmark::State &state)
{
    const auto delays = schedule(eventCount());
    for (auto _ : state) {
        std::vector<double> late;
        bool realtime = false;
        std::thread sleeper([&] {
            sched_param param{};
            param.sched_priority = 10;
            realtime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
            if (realtime)
                late = sleepThrough(delays);
        });
        sleeper.join();
        if (!realtime) {
            state.SkipWithError("no real-time scheduling for this user");
            return;
        }
        report(state, late);
    }
}

} // namespace

BENCHMARK(BM_MMTimerOneShotLateness)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ClockNanosleepLateness)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ClockNanosleepLatenessRealtime)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
