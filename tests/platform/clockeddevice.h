#pragma once

// A sound device for tests that takes blocks in real time, as a card does: a thread of its
// own asks the output for one block of a fixed size at each tick of a steady clock (a late
// wake-up catches up, as a card's buffer would), and records what it got. It can be told to
// stop asking, as a device that was unplugged, and ask again, as a server that recovers; a new
// stream can be made to wait before it plays, as a sound server's does; its openings can be made
// to fail, and its openings and closings to hang, as on a frozen server.

#include "platform/portaudiooutput.h"
#include "tests/common/testsupport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class ClockedOutput : public StreamOutput {
public:
    using Clock = std::chrono::steady_clock;

    // A busy test machine can hold this device's thread far longer than a sound server takes
    // between blocks: tests of a stall set the program's own StallAfter.
    explicit ClockedOutput(std::size_t blockFrames) : m_block(blockFrames)
    {
        setStallAfter(std::chrono::milliseconds(400));
    }
    ~ClockedOutput() override { finishCalls(); }

    // Opens as the program does; an answer that comes past the opening's bound (the sound
    // session's thread held up on a loaded machine) is waited for. 0 once open, else the
    // opening's own error.
    int openAnswered(int device = -1)
    {
        const int error = open(device);
        if (error == 0 || !reopening())
            return error;
        return testsupport::waitFor([this] { return isOpen(); }, 20000) ? 0 : error;
    }

    // Everything played since the stream started.
    std::vector<std::int16_t> recording() const
    {
        std::lock_guard lock(m_mutex);
        return m_recording;
    }
    // When a frame of the recording left the device.
    Clock::time_point frameTime(std::size_t frame) const
    {
        std::lock_guard lock(m_mutex);
        return m_start + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>(double(frame) / SampleRate));
    }
    // The device stops asking for blocks (its thread stays).
    void stall() { m_stalled = true; }
    // It asks again, catching up with the blocks it missed, as a server that recovers.
    void resume()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stalled = false;
        }
        m_wake.notify_all();
    }
    // The stream stops by itself, as one whose sound server went away.
    void die()
    {
        {
            std::lock_guard lock(m_mutex);
            m_dead = true;
        }
        m_wake.notify_all();
    }
    // From the next opening on, a new stream fills a buffer of `frames` at once and then takes
    // nothing until resume(); from there it plays in real time.
    void startLate(std::size_t frames) { m_lateFill = frames; }
    // The next `count` openings fail.
    void failOpenings(int count) { m_failOpenings = count; }
    // From now on opening and closing hang until thaw().
    void freeze() { m_frozen = true; }
    void thaw()
    {
        {
            std::lock_guard lock(m_gateMutex);
            m_frozen = false;
        }
        m_gate.notify_all();
    }
    // The device says it ran dry `count` more times (its callback's underflow flags).
    void underrun(int count) { m_underruns += count; }
    std::uint64_t underruns() const override { return m_underruns; }
    // The buffer time the last opening asked for.
    double openedWith() const { return m_openedWith; }
    // Openings tried, openings and closings under way (hanging), streams running.
    int openings() const { return m_openings; }
    int hanging() const { return m_hanging; }
    bool running() const { return m_running; }

protected:
    int startStream(int) override
    {
        ++m_openings;
        m_openedWith = bufferTime();
        hang();
        if (m_failOpenings > 0) {
            --m_failOpenings;
            return paDeviceUnavailable;
        }
        m_running = true;
        m_stop = false;
        m_dead = false;
        m_stalled = false;
        setPrefill(m_lateFill);
        std::lock_guard lock(m_mutex);
        m_recording.clear();
        m_recording.reserve(SampleRate * Channels * 30);
        m_start = Clock::now();
        m_thread = std::thread([this] { run(); });
        return 0;
    }
    void stopStream(bool) override
    {
        if (!m_thread.joinable())
            return;
        hang();
        m_running = false;
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool streamActive() const override { return m_thread.joinable() && !m_stop && !m_dead; }

private:
    void run()
    {
        std::vector<std::int16_t> block(m_block * Channels);
        const std::size_t fill = (m_lateFill + m_block - 1) / m_block;
        for (std::size_t k = 0;; ++k) {
            if (fill > 0 && k == fill) {
                // Filled: it plays once resumed, the next block due then.
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop.load() || m_dead.load() || !m_stalled.load(); });
                if (m_stop || m_dead)
                    return;
                m_start = Clock::now() - std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(double(k * m_block) / SampleRate));
            }
            if (k < fill) {
                m_stalled = true;
                renderBlock(block.data(), m_block);
                std::lock_guard lock(m_mutex);
                m_recording.insert(m_recording.end(), block.begin(), block.end());
                continue;
            }
            const Clock::time_point due = frameTime(k * m_block);
            std::unique_lock lock(m_mutex);
            m_wake.wait_until(lock, due, [this] { return m_stop.load() || m_dead.load(); });
            if (m_stop || m_dead)
                return;
            if (m_stalled) {
                m_wake.wait(lock, [this] { return m_stop.load() || m_dead.load() || !m_stalled.load(); });
                if (m_stop || m_dead)
                    return;
            }
            lock.unlock();
            renderBlock(block.data(), m_block, due);
            lock.lock();
            m_recording.insert(m_recording.end(), block.begin(), block.end());
        }
    }

    void hang()
    {
        std::unique_lock lock(m_gateMutex);
        ++m_hanging;
        m_gate.wait(lock, [this] { return !m_frozen.load(); });
        --m_hanging;
    }

    const std::size_t m_block;
    std::atomic<std::size_t> m_lateFill{0};
    std::atomic<int> m_failOpenings{0};
    std::atomic<int> m_openings{0};
    std::atomic<std::uint64_t> m_underruns{0};
    std::atomic<double> m_openedWith{0.0};
    std::atomic<int> m_hanging{0};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_frozen{false};
    std::mutex m_gateMutex;
    std::condition_variable m_gate;
    Clock::time_point m_start;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_dead{false};
    std::atomic<bool> m_stalled{false};
    std::vector<std::int16_t> m_recording;
};
