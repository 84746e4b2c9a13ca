#include "engine/devices/mmtimer.h"
#include "tests/common/testsupport.h"
#include "tests/devices/manualtimerbackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using testsupport::waitFor;

namespace {

// Generous: a loaded machine may be slow, but never this slow.
constexpr int Patience = 20000;

struct Recorder {
    std::vector<TMMTimer *> senders;
    void attach(TMMTimer &timer)
    {
        timer.SetOnTimer([this](TMMTimer *sender) { senders.push_back(sender); });
    }
};

TMMTimer::Backend::Clock::time_point deadlineOf(const ManualTimerBackend &backend, TMMTimer::EventId id)
{
    for (const auto &event : backend.created)
        if (event.id == id)
            return event.deadline;
    ADD_FAILURE() << "no event " << id;
    return {};
}

} // namespace

// ---- The component's rules, on a backend fired by hand ----

TEST(TMMTimer, StartsDisabledPeriodicWithInterval10AtOneMillisecond)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 10);
    EXPECT_EQ(timer.TimerMode(), TIME_PERIODIC);
    EXPECT_EQ(timer.Resolution(), 1);
    EXPECT_TRUE(backend.created.empty());
}

TEST(TMMTimer, WithoutUsableCapabilitiesEverythingStaysZero)
{
    struct NoCaps : ManualTimerBackend {
        int minPeriodMs() const override { return 5; }
        int maxPeriodMs() const override { return 0; }
    } backend;
    TMMTimer timer(&backend);
    EXPECT_EQ(timer.Resolution(), 0);
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_EQ(timer.TimerMode(), TIME_ONESHOT);
    EXPECT_FALSE(timer.Enabled());
}

TEST(TMMTimer, IntervalBelowResolutionIsIgnoredAndDoesNotRestart)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    timer.SetTimerMode(TIME_ONESHOT);
    timer.SetInterval(50);
    timer.SetEnabled(true);
    ASSERT_EQ(backend.created.size(), 1u);
    const auto id = timer.CurrentEventId();
    for (int value : {0, -5, -2147483647 - 1}) {
        timer.SetInterval(value);
        EXPECT_EQ(timer.Interval(), 50) << value;
    }
    EXPECT_EQ(backend.created.size(), 1u);
    EXPECT_TRUE(backend.killed.empty());
    EXPECT_EQ(timer.CurrentEventId(), id);
    EXPECT_TRUE(backend.isPending(id));
}

TEST(TMMTimer, SameIntervalKeepsTheCountdownADifferentOneRestartsFromNow)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    timer.SetTimerMode(TIME_ONESHOT);
    timer.SetInterval(50);
    timer.SetEnabled(true);
    const auto first = timer.CurrentEventId();
    EXPECT_EQ(deadlineOf(backend, first), backend.start() + 50ms);

    backend.advance(20ms);
    timer.SetInterval(50);
    EXPECT_EQ(timer.CurrentEventId(), first);
    EXPECT_TRUE(backend.isPending(first));

    timer.SetInterval(30);
    const auto second = timer.CurrentEventId();
    EXPECT_NE(second, first);
    EXPECT_FALSE(backend.isPending(first));
    EXPECT_EQ(deadlineOf(backend, second), backend.start() + 20ms + 30ms);
}

TEST(TMMTimer, IntervalOrModeChangedWhileDisabledCreatesNoEvent)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    timer.SetInterval(40);
    timer.SetTimerMode(TIME_ONESHOT);
    EXPECT_TRUE(backend.created.empty());
    timer.SetEnabled(true);
    ASSERT_EQ(backend.created.size(), 1u);
    EXPECT_EQ(backend.created[0].periodMs, 0);
    EXPECT_EQ(backend.created[0].deadline, backend.start() + 40ms);
}

TEST(TMMTimer, EnablingTwiceCreatesOneEventDisableEnableCreatesAFreshOne)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    timer.SetEnabled(true);
    timer.SetEnabled(true);
    ASSERT_EQ(backend.created.size(), 1u);
    const auto first = timer.CurrentEventId();

    timer.SetEnabled(false);
    EXPECT_FALSE(backend.isPending(first));
    timer.SetEnabled(true);
    ASSERT_EQ(backend.created.size(), 2u);
    EXPECT_GT(timer.CurrentEventId(), first);
}

TEST(TMMTimer, ModeChangeRestartsOnlyWhenTheModeDiffers)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    timer.SetEnabled(true);
    EXPECT_EQ(backend.created.back().periodMs, 10);
    timer.SetTimerMode(TIME_PERIODIC);
    EXPECT_EQ(backend.created.size(), 1u);
    timer.SetTimerMode(TIME_ONESHOT);
    ASSERT_EQ(backend.created.size(), 2u);
    EXPECT_EQ(backend.created.back().periodMs, 0);
    EXPECT_FALSE(backend.isPending(backend.created.front().id));
}

TEST(TMMTimer, OnlyTheCurrentEventCallsOnTimer)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    Recorder recorder;
    timer.SetTimerMode(TIME_ONESHOT);
    timer.SetEnabled(true);
    const auto old = timer.CurrentEventId();
    const auto oldDeadline = deadlineOf(backend, old);
    timer.SetInterval(25); // replaces the event

    backend.fireLate(old, oldDeadline); // already dispatched when it was replaced
    EXPECT_TRUE(recorder.senders.empty()); // no handler yet either
    recorder.attach(timer);
    backend.fireLate(old, oldDeadline);
    EXPECT_TRUE(recorder.senders.empty());

    ASSERT_TRUE(backend.fire(timer.CurrentEventId()));
    ASSERT_EQ(recorder.senders.size(), 1u);
    EXPECT_EQ(recorder.senders[0], &timer);
}

TEST(TMMTimer, FiredOneShotStillReportsEnabled)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    Recorder recorder;
    recorder.attach(timer);
    timer.SetTimerMode(TIME_ONESHOT);
    timer.SetEnabled(true);
    ASSERT_TRUE(backend.fireNext());
    EXPECT_EQ(recorder.senders.size(), 1u);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(backend.pending().empty());
    // Setting it true again changes nothing; only false then true re-arms.
    timer.SetEnabled(true);
    EXPECT_TRUE(backend.pending().empty());
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_EQ(backend.pending().size(), 1u);
}

TEST(TMMTimer, PeriodicEventKeepsItsIdAndDoesNotDrift)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    Recorder recorder;
    recorder.attach(timer);
    timer.SetInterval(20);
    timer.SetEnabled(true);
    const auto id = timer.CurrentEventId();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(backend.fire(id, 7)); // each one late
    EXPECT_EQ(recorder.senders.size(), 3u);
    ASSERT_EQ(backend.pending().size(), 1u);
    EXPECT_EQ(backend.pending()[0].deadline, backend.start() + 80ms);
}

TEST(TMMTimer, ReArmFromInsideItsHandlerCountsFromTheExpiry)
{
    ManualTimerBackend backend;
    TMMTimer timer(&backend);
    timer.SetTimerMode(TIME_ONESHOT);
    timer.SetInterval(20);
    std::vector<TMMTimer::EventId> firing;
    timer.SetOnTimer([&](TMMTimer *sender) {
        firing.push_back(TMMTimer::FiringEventId());
        sender->SetEnabled(false);
        sender->SetInterval(sender->Interval() + 10);
        sender->SetEnabled(true);
    });
    timer.SetEnabled(true);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(backend.fire(timer.CurrentEventId(), 4)); // 4 ms late each time
    // 20, then 30, 40, 50 from each scheduled expiry: the lateness does not add up.
    ASSERT_EQ(backend.pending().size(), 1u);
    EXPECT_EQ(backend.pending()[0].deadline, backend.start() + 140ms);
    ASSERT_EQ(firing.size(), 3u);
    EXPECT_EQ(firing[2], backend.created[2].id);
    EXPECT_EQ(firing[0], backend.created[0].id);
    EXPECT_EQ(TMMTimer::FiringEventId(), 0u); // only inside the handler

    // After a stall longer than the interval: a full interval from now, not a burst.
    ASSERT_TRUE(backend.fire(timer.CurrentEventId(), 70));
    EXPECT_EQ(deadlineOf(backend, timer.CurrentEventId()), backend.now() + 60ms);

    // Re-armed from outside: from now.
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_EQ(deadlineOf(backend, timer.CurrentEventId()), backend.now() + 60ms);
}

TEST(TMMTimer, DestructionKillsTheEventAndLateExpiriesFindNothing)
{
    ManualTimerBackend backend;
    int calls = 0;
    TMMTimer::EventId id = 0;
    TMMTimer::Backend::Clock::time_point deadline;
    {
        TMMTimer timer(&backend);
        timer.SetOnTimer([&](TMMTimer *) { ++calls; });
        timer.SetEnabled(true);
        id = timer.CurrentEventId();
        deadline = deadlineOf(backend, id);
    }
    EXPECT_FALSE(backend.isPending(id));
    backend.fireLate(id, deadline);
    EXPECT_EQ(calls, 0);
}

// ---- The timer thread itself ----

TEST(TimerService, DispatchesInDeadlineOrderWhateverTheOrderOfArming)
{
    auto &service = platform::TimerService::instance();
    std::mutex mutex;
    std::condition_variable armed;
    bool allArmed = false;
    std::vector<int> order;
    // The thread is held until all three are armed, so a test thread that stalls between two
    // arms cannot let a later deadline run first.
    service.setEvent(service.now(), 0, [&](auto, auto) {
        std::unique_lock lock(mutex);
        armed.wait_for(lock, std::chrono::milliseconds(Patience), [&] { return allArmed; });
    });
    const auto base = service.now() + 20ms;
    for (int tag : {3, 1, 2})
        service.setEvent(base + std::chrono::milliseconds(tag * 15), 0, [&, tag](auto, auto) {
            std::lock_guard lock(mutex);
            order.push_back(tag);
        });
    {
        std::lock_guard lock(mutex);
        allArmed = true;
    }
    armed.notify_all();
    ASSERT_TRUE(waitFor([&] { std::lock_guard lock(mutex); return order.size() == 3; }, Patience));
    std::lock_guard lock(mutex);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(TimerService, KilledEventNeverFiresAndIdsAreNeverReused)
{
    auto &service = platform::TimerService::instance();
    std::atomic<int> killedCalls{0};
    std::atomic<bool> marker{false};
    const auto killed = service.setEvent(service.now() + 20ms, 0, [&](auto, auto) { ++killedCalls; });
    EXPECT_TRUE(service.killEvent(killed));
    EXPECT_FALSE(service.killEvent(killed));
    // A later event on the same single thread: once it has run, the killed one's time
    // has long passed.
    const auto later = service.setEvent(service.now() + 60ms, 0, [&](auto, auto) { marker = true; });
    EXPECT_GT(later, killed);
    ASSERT_TRUE(waitFor([&] { return marker.load(); }, Patience));
    EXPECT_EQ(killedCalls.load(), 0);
}

TEST(TimerService, PeriodicEventKilledFromItsOwnCallbackStops)
{
    auto &service = platform::TimerService::instance();
    std::atomic<int> calls{0};
    std::atomic<bool> marker{false};
    service.setEvent(service.now() + 5ms, 5, [&](platform::TimerBackend::EventId id, auto) {
        if (++calls == 3)
            service.killEvent(id);
    });
    ASSERT_TRUE(waitFor([&] { return calls.load() >= 3; }, Patience));
    service.setEvent(service.now() + 50ms, 0, [&](auto, auto) { marker = true; });
    ASSERT_TRUE(waitFor([&] { return marker.load(); }, Patience));
    EXPECT_EQ(calls.load(), 3);
}

TEST(TMMTimerThread, HandlerReArmsItsOwnOneShotOnTheTimerThread)
{
    TMMTimer timer;
    timer.SetTimerMode(TIME_ONESHOT);
    timer.SetInterval(5);
    std::atomic<int> calls{0};
    std::atomic<bool> offThread{false};
    const auto testThread = std::this_thread::get_id();
    std::vector<TMMTimer::EventId> ids; // only touched on the timer thread until done
    timer.SetOnTimer([&](TMMTimer *sender) {
        if (std::this_thread::get_id() == testThread)
            offThread = false;
        else
            offThread = true;
        ids.push_back(TMMTimer::FiringEventId());
        if (calls + 1 < 5) {
            sender->SetEnabled(false);
            sender->SetEnabled(true);
        }
        ++calls;
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(waitFor([&] { return calls.load() == 5; }, Patience));
    timer.WaitForCallback();
    EXPECT_TRUE(offThread.load());
    ASSERT_EQ(ids.size(), 5u);
    for (size_t i = 1; i < ids.size(); ++i)
        EXPECT_GT(ids[i], ids[i - 1]);
    EXPECT_TRUE(timer.Enabled()); // a fired one-shot stays enabled
}

TEST(TMMTimerThread, DestructionWaitsForARunningHandler)
{
    auto timer = std::make_unique<TMMTimer>();
    timer->SetTimerMode(TIME_ONESHOT);
    timer->SetInterval(1);
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false, release = false;
    std::atomic<bool> finished{false};
    timer->SetOnTimer([&](TMMTimer *) {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::milliseconds(Patience), [&] { return release; });
        finished = true;
    });
    timer->SetEnabled(true);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::milliseconds(Patience), [&] { return entered; }));
    }
    std::atomic<bool> destroyed{false};
    bool finishedWhenDestroyed = false;
    std::thread destroyer([&] {
        timer.reset();
        finishedWhenDestroyed = finished.load();
        destroyed = true;
    });
    // The handler is held: the destructor must not return meanwhile.
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(destroyed.load());
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    destroyer.join();
    EXPECT_TRUE(finishedWhenDestroyed);
}

TEST(TMMTimerThread, HandlerMayDestroyItsOwnTimer)
{
    std::atomic<bool> done{false};
    auto *timer = new TMMTimer();
    timer->SetTimerMode(TIME_ONESHOT);
    timer->SetInterval(2);
    timer->SetOnTimer([&](TMMTimer *sender) {
        delete sender; // no wait for itself
        done = true;
    });
    timer->SetEnabled(true);
    ASSERT_TRUE(waitFor([&] { return done.load(); }, Patience));
}

TEST(TMMTimerThread, NoHandlerRunsAfterDisableAndWait)
{
    TMMTimer timer; // periodic, 10 ms
    timer.SetInterval(2);
    std::atomic<int> calls{0};
    timer.SetOnTimer([&](TMMTimer *) { ++calls; });
    timer.SetEnabled(true);
    ASSERT_TRUE(waitFor([&] { return calls.load() >= 3; }, Patience));
    timer.SetEnabled(false);
    timer.WaitForCallback();
    // A late expiry may still call once (the id is still the last created); after the
    // next event on the same thread has run, none can remain.
    std::atomic<bool> marker{false};
    platform::TimerService::instance().setEvent(platform::TimerService::instance().now() + 20ms, 0,
                                                [&](auto, auto) { marker = true; });
    ASSERT_TRUE(waitFor([&] { return marker.load(); }, Patience));
    const int settled = calls.load();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(calls.load(), settled);
}
