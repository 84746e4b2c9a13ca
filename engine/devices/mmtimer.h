#pragma once

// A component that wraps one timer event: a millisecond countdown, one-shot or periodic,
// whose expiry calls OnTimer on the timer thread (not the user-interface thread).
//
// Enabled is the component's own flag: it stays true after a one-shot event has fired. A
// user re-arms a one-shot timer by setting Enabled false and then true, or, while it is
// enabled, by assigning a different Interval; each start creates a new event, and an
// expiry of any event but the last one created is ignored.
//
// The properties may be set from any thread, OnTimer included. A timer re-armed from
// inside its own OnTimer counts its interval from the expiry that is being handled, not
// from the moment of re-arming, so the handler's own work does not add up over a chain of
// events; only when that would put the new expiry in the past does it count from now.

#include "platform/timerservice.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

enum TTIMERMode : int { TIME_ONESHOT = 0, TIME_PERIODIC = 1 };

class TMMTimer {
public:
    using Backend = platform::TimerBackend;
    using EventId = Backend::EventId;
    using NotifyEvent = std::function<void(TMMTimer *sender)>;

    // Without a backend the process-wide timer service is used.
    explicit TMMTimer(Backend *backend = nullptr);
    // Kills an armed event and waits for an OnTimer of this component that is running on
    // another thread (not when called from inside that OnTimer).
    ~TMMTimer();
    TMMTimer(const TMMTimer &) = delete;
    TMMTimer &operator=(const TMMTimer &) = delete;

    bool Enabled() const;
    void SetEnabled(bool value);
    std::int32_t Interval() const;
    void SetInterval(std::int32_t value);
    TTIMERMode TimerMode() const;
    void SetTimerMode(TTIMERMode value);
    void SetOnTimer(NotifyEvent handler);

    std::uint16_t Resolution() const { return resolution_; }
    // The last event created (0 before the first start).
    EventId CurrentEventId() const;

    // Waits until no OnTimer of this component is running; returns at once when called
    // from inside one (it would wait for itself).
    void WaitForCallback();

    // Inside OnTimer: the event being handled and the expiry it was scheduled for; 0 and
    // a default time point elsewhere.
    static EventId FiringEventId();
    static Backend::Clock::time_point FiringExpiry();

private:
    struct Core;

    void StartMMTimer();
    void StopMMTimer();
    static void MMTimerCallback(const std::shared_ptr<Core> &core, EventId id,
                                Backend::Clock::time_point expiry);

    Backend *backend_;
    std::uint16_t resolution_ = 0;
    // Shared with the callbacks handed to the backend, so that a late expiry finds it
    // even after the component is gone.
    std::shared_ptr<Core> core_;
};
