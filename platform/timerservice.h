#pragma once

// Millisecond timer events that call back on a timer thread: one-shot or periodic, with
// absolute deadlines on the monotonic clock. The keying clock and the key decoder's gap
// timer live on it, so their handlers never run at the same time.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace platform {

// What a timer component needs from the timer events underneath it. The process-wide
// service is the real one; tests put a backend in its place that they fire by hand.
class TimerBackend {
public:
    using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC
    using EventId = std::uint64_t;           // 0 = no event; ids are never reused
    // Called at each expiry with the event and the expiry it was scheduled for.
    using Callback = std::function<void(EventId id, Clock::time_point expiry)>;

    virtual ~TimerBackend() = default;

    // Creates an event that expires at deadline and, when periodMs > 0, every periodMs
    // after it (each deadline = the previous one + the period, so it does not drift).
    // Never returns 0.
    virtual EventId setEvent(Clock::time_point deadline, int periodMs, Callback callback) = 0;
    // Removes the event; false when it does not exist (any more). A callback already
    // running is not waited for here.
    virtual bool killEvent(EventId id) = 0;
    virtual Clock::time_point now() const = 0;
    // Smallest and largest supported period in milliseconds.
    virtual int minPeriodMs() const { return 1; }
    virtual int maxPeriodMs() const { return 1000000; }
};

class TimerService final : public TimerBackend {
public:
    // The one service of the process; its thread starts on first use.
    static TimerService &instance();

    TimerService();
    ~TimerService() override;
    TimerService(const TimerService &) = delete;
    TimerService &operator=(const TimerService &) = delete;

    EventId setEvent(Clock::time_point deadline, int periodMs, Callback callback) override;
    bool killEvent(EventId id) override;
    Clock::time_point now() const override { return Clock::now(); }

    // Whether the thread got real-time scheduling (it runs on without it).
    bool realtime() const { return realtime_; }

private:
    struct Event {
        Clock::time_point deadline;
        int periodMs = 0;
        std::shared_ptr<const Callback> callback;
    };

    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::map<EventId, Event> events_;
    std::set<std::pair<Clock::time_point, EventId>> queue_; // ordered by deadline, then id
    EventId nextId_ = 1;
    bool stopping_ = false;
    bool realtime_ = false;
    std::thread thread_;
};

} // namespace platform
