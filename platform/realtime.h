#pragma once

// Real-time scheduling for the thread that feeds the sound device. On a busy desktop an
// ordinary thread can wait longer than the device's buffer lasts, and the listener hears a
// hole. The request never fails loudly: where the system grants nothing, the thread runs on
// at its normal priority.
//
// The audio thread asks for SCHED_FIFO itself (granted with CAP_SYS_NICE or an RLIMIT_RTPRIO
// that allows the priority). Refused, it leaves its thread id for the thread that made this
// object, which asks RealtimeKit on the system bus (as desktop sound programs do) without
// waiting for the answer.

#include "platform/wakeup.h"

#include <sys/types.h>

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

namespace realtime {

// Below the keying clock's timer thread (10): a late key line is heard on the wire at once,
// the sound has its buffer in hand.
constexpr int AudioPriority = 8;

enum class Scheduling : int {
    NotAsked,    // no block rendered since the last arm()
    Asking,      // SCHED_FIFO refused; RealtimeKit asked, no answer yet
    Fifo,        // SCHED_FIFO granted directly
    RealtimeKit, // granted by RealtimeKit
    Normal,      // refused everywhere: the thread runs on as it was
};

// SCHED_FIFO at `priority` for the calling thread, or for thread `tid` of this process.
// False (thread unchanged) when refused.
bool makeThisThreadFifo(int priority);
bool makeThreadFifo(pid_t tid, int priority);

// The ids of this process's threads, in no particular order.
std::vector<pid_t> threadsOfThisProcess();
// The threads of this process that are not in `before`.
std::vector<pid_t> threadsStartedSince(const std::vector<pid_t> &before);

// The scheduling policy the kernel reports for thread `tid` of this process (SCHED_OTHER,
// SCHED_FIFO, ...), or -1 when it cannot be read.
int threadPolicy(pid_t tid);

class AudioThreadRequest {
public:
    // On the thread whose event loop receives RealtimeKit's answer (the user-interface thread).
    AudioThreadRequest();
    ~AudioThreadRequest();
    AudioThreadRequest(const AudioThreadRequest &) = delete;
    AudioThreadRequest &operator=(const AudioThreadRequest &) = delete;

    // Before a stream starts: its first block asks again (a new stream, a new thread).
    // `feeders`: threads the sound library made for the stream besides the callback's (a
    // sound server's client thread that carries each block on): the callback in real time
    // would wait on them all the same, so they are raised with it, here or by RealtimeKit.
    void arm(const std::vector<pid_t> &feeders = {});
    // Audio thread, every block: the first one after arm() asks. A system call, no lock, no
    // allocation.
    void onAudioThread();

    Scheduling scheduling() const { return m_scheduling.load(std::memory_order_acquire); }
    // The audio thread that asked, 0 before.
    pid_t audioThread() const { return m_tid.load(std::memory_order_acquire); }
    // Feeder threads raised so far.
    int feedersRaised() const { return m_feedersRaised.load(std::memory_order_acquire); }

private:
    void askRealtimeKit();

    // The audio thread's (the first block after arm()).
    std::atomic<bool> m_armed{false};
    std::atomic<Scheduling> m_scheduling{Scheduling::NotAsked};
    std::atomic<pid_t> m_tid{0};
    std::atomic<int> m_feedersRaised{0};
    // Which arm() a RealtimeKit answer belongs to: an answer for an older stream is ignored.
    std::atomic<unsigned> m_generation{0};
    // Feeders refused directly, for RealtimeKit: written by arm() on the sound session's
    // thread, read by the user-interface thread's request, under the lock (neither is the
    // audio thread).
    static constexpr std::size_t MaxFeeders = 8;
    std::mutex m_feedersLock;
    std::array<pid_t, MaxFeeders> m_refusedFeeders{};
    std::size_t m_refusedCount = 0;
    // Wakes the user-interface thread to ask RealtimeKit; also the parent of a pending answer,
    // so none arrives after this object.
    Wakeup m_wakeup;
};

} // namespace realtime
