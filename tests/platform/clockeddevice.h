#pragma once

// A sound device for tests that takes blocks in real time, as a card does: a thread of its
// own asks the output for one block of a fixed size at each tick of a steady clock (a late
// wake-up catches up, as a card's buffer would), and records what it got. It can be told to
// stop asking, as a device that was unplugged.

#include "platform/portaudiooutput.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class ClockedOutput : public StreamOutput {
public:
    using Clock = std::chrono::steady_clock;

    explicit ClockedOutput(std::size_t blockFrames) : m_block(blockFrames) {}
    ~ClockedOutput() override { close(); }

    // Everything played since the stream started.
    std::vector<std::int16_t> recording() const
    {
        std::lock_guard lock(m_mutex);
        return m_recording;
    }
    // When a frame of the recording left the device.
    Clock::time_point frameTime(std::size_t frame) const
    {
        return m_start + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>(double(frame) / SampleRate));
    }
    // The device stops asking for blocks (its thread stays).
    void stall() { m_stalled = true; }

protected:
    int startStream(int) override
    {
        m_stop = false;
        m_stalled = false;
        m_recording.clear();
        m_recording.reserve(SampleRate * Channels * 30);
        m_start = Clock::now();
        m_thread = std::thread([this] { run(); });
        return 0;
    }
    void stopStream(bool) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool streamActive() const override { return m_thread.joinable() && !m_stop; }

private:
    void run()
    {
        std::vector<std::int16_t> block(m_block * Channels);
        for (std::size_t k = 0;; ++k) {
            const Clock::time_point due = frameTime(k * m_block);
            std::unique_lock lock(m_mutex);
            m_wake.wait_until(lock, due, [this] { return m_stop.load(); });
            if (m_stop)
                return;
            if (m_stalled) {
                m_wake.wait(lock, [this] { return m_stop.load(); });
                return;
            }
            lock.unlock();
            renderBlock(block.data(), m_block, due);
            lock.lock();
            m_recording.insert(m_recording.end(), block.begin(), block.end());
        }
    }

    const std::size_t m_block;
    Clock::time_point m_start;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_stalled{false};
    std::vector<std::int16_t> m_recording;
};
