#pragma once

// A timer backend that a test fires by hand, on the thread that calls fire(), with a clock
// of its own. Safe to arm from one thread while another fires; callbacks run unlocked.

#include "platform/timerservice.h"

#include <map>
#include <mutex>
#include <memory>
#include <vector>

class ManualTimerBackend : public platform::TimerBackend {
public:
    struct Event {
        EventId id = 0;
        Clock::time_point deadline;
        int periodMs = 0;
    };

    EventId setEvent(Clock::time_point deadline, int periodMs, Callback callback) override
    {
        std::lock_guard lock(mutex_);
        const EventId id = nextId_++;
        pending_[id] = Event{id, deadline, periodMs};
        callbacks_[id] = std::make_shared<Callback>(std::move(callback));
        created.push_back(pending_[id]);
        return id;
    }
    bool killEvent(EventId id) override
    {
        std::lock_guard lock(mutex_);
        killed.push_back(id);
        return pending_.erase(id) > 0;
    }
    Clock::time_point now() const override
    {
        std::lock_guard lock(mutex_);
        return now_;
    }

    // The clock starts at an arbitrary point; advance() moves it.
    void advance(std::chrono::milliseconds step)
    {
        std::lock_guard lock(mutex_);
        now_ += step;
    }
    Clock::time_point start() const { return start_; }

    std::vector<Event> pending() const
    {
        std::lock_guard lock(mutex_);
        std::vector<Event> result;
        for (const auto &[id, event] : pending_)
            result.push_back(event);
        return result;
    }
    bool isPending(EventId id) const
    {
        std::lock_guard lock(mutex_);
        return pending_.count(id) > 0;
    }

    // Fires a pending event at its deadline plus lateMs (the clock moves there); false when
    // the event is not pending.
    bool fire(EventId id, int lateMs = 0)
    {
        std::unique_lock lock(mutex_);
        auto it = pending_.find(id);
        if (it == pending_.end())
            return false;
        const Event event = it->second;
        if (event.periodMs > 0)
            it->second.deadline += std::chrono::milliseconds(event.periodMs);
        else
            pending_.erase(it);
        lock.unlock();
        deliver(event.id, event.deadline, lateMs);
        return true;
    }
    // Fires the earliest pending event; false when there is none.
    bool fireNext(int lateMs = 0)
    {
        EventId first = 0;
        {
            std::lock_guard lock(mutex_);
            Clock::time_point earliest = Clock::time_point::max();
            for (const auto &[id, event] : pending_)
                if (event.deadline < earliest) {
                    earliest = event.deadline;
                    first = id;
                }
        }
        return first != 0 && fire(first, lateMs);
    }
    // Delivers an expiry of any event ever created, killed or not: an expiry that the
    // system had already dispatched when the event was killed.
    void fireLate(EventId id, Clock::time_point expiry) { deliver(id, expiry, 0); }

    std::vector<Event> created;
    std::vector<EventId> killed;

private:
    void deliver(EventId id, Clock::time_point expiry, int lateMs)
    {
        std::shared_ptr<Callback> callback; // kept alive while it runs
        {
            std::lock_guard lock(mutex_);
            if (now_ < expiry + std::chrono::milliseconds(lateMs))
                now_ = expiry + std::chrono::milliseconds(lateMs);
            callback = callbacks_.at(id);
        }
        (*callback)(id, expiry);
    }

    mutable std::mutex mutex_;

    Clock::time_point start_ = Clock::time_point{} + std::chrono::hours(1);
    Clock::time_point now_ = start_;
    EventId nextId_ = 1;
    std::map<EventId, Event> pending_;
    std::map<EventId, std::shared_ptr<Callback>> callbacks_;
};
