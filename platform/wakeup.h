#pragma once

// A wake-up of the thread that made it, from any thread: a write to an eventfd, which neither
// blocks nor allocates (so an audio callback may wake), read by a socket notifier in that
// thread's event loop, which then runs the handler. Wakes that come before the handler runs
// are merged into one; a wake during the handler runs it again.

#include <functional>
#include <memory>

class QObject;
class QSocketNotifier;

class Wakeup {
public:
    explicit Wakeup(std::function<void()> handler);
    ~Wakeup();
    Wakeup(const Wakeup &) = delete;
    Wakeup &operator=(const Wakeup &) = delete;

    // False when the system gave no eventfd: nothing then wakes.
    bool valid() const { return m_fd >= 0; }
    // Any thread.
    void wake() const { wake(m_fd); }
    // Wakes through a descriptor of duplicate().
    static void wake(int fd);
    // A descriptor of its own, for a waker that may outlive this object (the caller closes
    // it); -1 on failure.
    int duplicate() const;
    // An object of the handler's thread that goes with this one: the context of queued calls
    // that must not arrive afterwards.
    QObject *context() const;

private:
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
