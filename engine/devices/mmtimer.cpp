#include "engine/devices/mmtimer.h"

#include <algorithm>
#include <chrono>

struct TMMTimer::Core {
    std::mutex mutex;
    std::condition_variable idle;
    TMMTimer *owner = nullptr;
    bool alive = true;
    bool enabled = false;
    std::int32_t interval = 0;
    TTIMERMode mode = TIME_ONESHOT;
    EventId id = 0;
    NotifyEvent onTimer;
    int running = 0; // OnTimer calls in progress
};

namespace {

// The event whose OnTimer runs on this thread, if any.
struct Firing {
    const void *core = nullptr;
    TMMTimer::EventId id = 0;
    TMMTimer::Backend::Clock::time_point expiry{};
};
thread_local Firing firing;

} // namespace

TMMTimer::TMMTimer(Backend *backend)
    : backend_(backend ? backend : &platform::TimerService::instance()), core_(std::make_shared<Core>())
{
    core_->owner = this;
    const int smallest = backend_->minPeriodMs();
    const int largest = backend_->maxPeriodMs();
    if (smallest <= largest && largest > 0) {
        resolution_ = static_cast<std::uint16_t>(std::clamp(std::max(smallest, 1), 1, std::min(largest, 65535)));
        // Raising the system's timer resolution has no counterpart here: the service
        // always works to the millisecond.
        core_->interval = 10;
        core_->mode = TIME_PERIODIC;
        core_->enabled = false;
    }
}

TMMTimer::~TMMTimer()
{
    std::unique_lock lock(core_->mutex);
    if (core_->enabled)
        StopMMTimer();
    core_->alive = false;
    if (firing.core != core_.get())
        core_->idle.wait(lock, [this] { return core_->running == 0; });
}

bool TMMTimer::Enabled() const
{
    std::lock_guard lock(core_->mutex);
    return core_->enabled;
}

void TMMTimer::SetEnabled(bool value)
{
    std::lock_guard lock(core_->mutex);
    if (value == core_->enabled)
        return;
    core_->enabled = value;
    if (value)
        StartMMTimer();
    else
        StopMMTimer();
}

std::int32_t TMMTimer::Interval() const
{
    std::lock_guard lock(core_->mutex);
    return core_->interval;
}

void TMMTimer::SetInterval(std::int32_t value)
{
    std::lock_guard lock(core_->mutex);
    if (value == core_->interval || value < static_cast<std::int32_t>(resolution_))
        return;
    StopMMTimer();
    core_->interval = value;
    if (core_->enabled)
        StartMMTimer();
}

TTIMERMode TMMTimer::TimerMode() const
{
    std::lock_guard lock(core_->mutex);
    return core_->mode;
}

void TMMTimer::SetTimerMode(TTIMERMode value)
{
    std::lock_guard lock(core_->mutex);
    if (value == core_->mode)
        return;
    StopMMTimer();
    core_->mode = value;
    if (core_->enabled)
        StartMMTimer();
}

void TMMTimer::SetOnTimer(NotifyEvent handler)
{
    std::lock_guard lock(core_->mutex);
    core_->onTimer = std::move(handler);
}

TMMTimer::EventId TMMTimer::CurrentEventId() const
{
    std::lock_guard lock(core_->mutex);
    return core_->id;
}

void TMMTimer::WaitForCallback()
{
    if (firing.core == core_.get())
        return;
    std::unique_lock lock(core_->mutex);
    core_->idle.wait(lock, [this] { return core_->running == 0; });
}

TMMTimer::EventId TMMTimer::FiringEventId()
{
    return firing.id;
}

TMMTimer::Backend::Clock::time_point TMMTimer::FiringExpiry()
{
    return firing.expiry;
}

// Both with the core's mutex held.
void TMMTimer::StartMMTimer()
{
    const auto interval = std::chrono::milliseconds(core_->interval);
    const auto now = backend_->now();
    auto deadline = now + interval;
    // Re-armed from inside its own handler: count from the expiry being handled, unless
    // that time has already passed (after a stall, a full interval rather than a burst
    // of events at once).
    if (firing.core == core_.get() && firing.expiry + interval > now)
        deadline = firing.expiry + interval;
    const int period = core_->mode == TIME_PERIODIC ? core_->interval : 0;
    std::shared_ptr<Core> core = core_;
    core_->id = backend_->setEvent(deadline, period,
                                   [core](EventId id, Backend::Clock::time_point expiry) {
                                       MMTimerCallback(core, id, expiry);
                                   });
}

void TMMTimer::StopMMTimer()
{
    // Killing an event that has already fired is harmless.
    if (core_->id != 0)
        backend_->killEvent(core_->id);
}

void TMMTimer::MMTimerCallback(const std::shared_ptr<Core> &core, EventId id,
                               Backend::Clock::time_point expiry)
{
    NotifyEvent handler;
    TMMTimer *sender = nullptr;
    {
        std::lock_guard lock(core->mutex);
        if (!core->alive || id != core->id || !core->onTimer)
            return;
        handler = core->onTimer;
        sender = core->owner;
        ++core->running;
    }
    struct Done {
        const std::shared_ptr<Core> &core;
        Firing saved;
        ~Done()
        {
            firing = saved;
            {
                std::lock_guard lock(core->mutex);
                --core->running;
            }
            core->idle.notify_all();
        }
    } done{core, firing};
    firing = Firing{core.get(), id, expiry};
    handler(sender);
}
