#include "platform/timerservice.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace platform {

TimerService &TimerService::instance()
{
    static TimerService service;
    return service;
}

TimerService::TimerService()
{
    thread_ = std::thread([this] { run(); });
    // Element lengths are tens of milliseconds and must end within about one: ask for
    // real-time scheduling. Ordinary users usually get EPERM; the thread then runs on
    // at normal priority.
    sched_param param{};
    param.sched_priority = 10;
    const bool rt = pthread_setschedparam(thread_.native_handle(), SCHED_FIFO, &param) == 0;
    std::lock_guard lock(mutex_);
    realtime_ = rt;
}

TimerService::~TimerService()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

TimerBackend::EventId TimerService::setEvent(Clock::time_point deadline, int periodMs, Callback callback)
{
    bool earliest = false;
    EventId id = 0;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        Event event{deadline, periodMs > 0 ? periodMs : 0,
                    std::make_shared<const Callback>(std::move(callback))};
        events_.emplace(id, std::move(event));
        auto it = queue_.emplace(deadline, id).first;
        earliest = it == queue_.begin();
    }
    if (earliest)
        wake_.notify_one();
    return id;
}

bool TimerService::killEvent(EventId id)
{
    std::lock_guard lock(mutex_);
    auto it = events_.find(id);
    if (it == events_.end())
        return false;
    queue_.erase({it->second.deadline, id});
    events_.erase(it);
    // The thread may now sleep towards a later deadline than needed; it re-checks the
    // queue when it wakes, so no notification is needed.
    return true;
}

void TimerService::run()
{
    // The default 50 us timer slack would be added to every expiry.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (queue_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto [deadline, id] = *queue_.begin();
        if (Clock::now() < deadline) {
            wake_.wait_until(lock, deadline);
            continue;
        }
        queue_.erase(queue_.begin());
        auto it = events_.find(id);
        const auto callback = it->second.callback;
        const int period = it->second.periodMs;
        if (period == 0)
            events_.erase(it);

        // Without the lock, so that a handler can kill and re-create events.
        lock.unlock();
        (*callback)(id, deadline);
        lock.lock();

        if (period > 0) {
            // Still there unless killed meanwhile (also from inside the callback).
            auto again = events_.find(id);
            if (again != events_.end()) {
                again->second.deadline = deadline + std::chrono::milliseconds(period);
                queue_.emplace(again->second.deadline, id);
            }
        }
    }
}

} // namespace platform
