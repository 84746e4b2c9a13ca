#pragma once

// A sound device whose clock the test drives. Nothing runs by itself: the test moves the
// clock on, and the device asks the output for each block of its fixed size as the clock
// reaches that block's time, on the test's own thread, as a card would at that time. The
// output reads the same clock and its own timers (the watch on the stream, the reports held
// after a stall, the tries to open again, the buffer's steps) run at their times on it too,
// so whatever it times (when a buffer is due, when one written now would start, when a stall
// begins) is exact, however slowly a loaded machine runs the test. Openings and closings still
// run on the sound session's thread.

#include "platform/portaudiooutput.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

class SteppedOutput : public StreamOutput {
public:
    using Clock = std::chrono::steady_clock;

    explicit SteppedOutput(std::size_t blockFrames) : m_block(blockFrames)
    {
        // Its buffer holds a block at least, as a card's does, and the output's stall limit
        // follows it.
        if (const double block = double(blockFrames) / SampleRate; block > DefaultBufferTime)
            setBufferTime(std::chrono::duration<double>(block));
    }
    ~SteppedOutput() override { finishCalls(); }

    // The device's clock.
    Clock::time_point time() const { return Clock::time_point(Clock::duration(m_now.load())); }
    // When the running stream asks for its next block (time_point::max() while none runs).
    Clock::time_point nextBlock() const
    {
        std::lock_guard lock(m_mutex);
        if (!m_running || m_stalled)
            return Clock::time_point::max();
        return m_blocks < m_fillBlocks ? m_start : frameTimeLocked(m_blocks * m_block);
    }
    // From the next opening on, a new stream fills a buffer of `frames` at once and then takes
    // nothing until resume(), as a sound server's new stream does.
    void startLate(std::size_t frames) { m_lateFill = frames; }
    // The device stops asking for blocks while its clock goes on, as a stalled sound server.
    void stall()
    {
        std::lock_guard lock(m_mutex);
        m_stalled = true;
    }
    // It asks again, its next block at once: the blocks it missed are not made up.
    void resume()
    {
        std::lock_guard lock(m_mutex);
        m_stalled = false;
        m_start = time() - std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(double(m_blocks * m_block) / SampleRate));
    }
    // Moves the clock on to `t`, asking for every block and running every timer of the output
    // that falls due by then, each at its time.
    void runTo(Clock::time_point t)
    {
        for (;;) {
            const Clock::time_point blockDue = nextBlock();
            const Clock::time_point timerDue = nextTimer();
            const Clock::time_point due = std::min(blockDue, timerDue);
            if (due > t)
                break;
            m_now.store(std::max(time(), due).time_since_epoch().count());
            if (timerDue <= blockDue) {
                runTimers();
                continue;
            }
            std::vector<std::int16_t> block(m_block * Channels);
            renderBlock(block.data(), m_block, due);
            std::lock_guard lock(m_mutex);
            m_recording.insert(m_recording.end(), block.begin(), block.end());
            if (++m_blocks == m_fillBlocks)
                m_stalled = true;
        }
        m_now.store(std::max(time(), t).time_since_epoch().count());
    }

    // Everything played since the stream started.
    std::vector<std::int16_t> recording() const
    {
        std::lock_guard lock(m_mutex);
        return m_recording;
    }
    // The device says it ran dry `count` more times (its callback's underflow flags).
    void underrun(int count) { m_underruns += count; }
    std::uint64_t underruns() const override { return m_underruns; }
    // Openings tried, and the buffer time the last one asked for.
    int openings() const { return m_openings; }
    double openedWith() const { return m_openedWith; }

    // When a frame of the recording left the device (as if it had never stalled since).
    Clock::time_point frameTime(std::size_t frame) const
    {
        std::lock_guard lock(m_mutex);
        return frameTimeLocked(frame);
    }

protected:
    int startStream(int) override
    {
        ++m_openings;
        m_openedWith = bufferTime();
        setPrefill(m_lateFill);
        std::lock_guard lock(m_mutex);
        m_running = true;
        m_stalled = false;
        m_start = time();
        m_blocks = 0;
        m_fillBlocks = (m_lateFill + m_block - 1) / m_block;
        m_recording.clear();
        return 0;
    }
    void stopStream(bool) override
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }
    bool streamActive() const override
    {
        std::lock_guard lock(m_mutex);
        return m_running;
    }
    Clock::time_point timeNow() const override { return time(); }
    bool ownClock() const override { return true; }

private:
    Clock::time_point frameTimeLocked(std::size_t frame) const
    {
        return m_start + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>(double(frame) / SampleRate));
    }

    const std::size_t m_block;
    std::atomic<std::uint64_t> m_underruns{0};
    std::atomic<int> m_openings{0};
    std::atomic<double> m_openedWith{0.0};
    // Starts where the steady clock stands, so its times compare with nothing else's.
    std::atomic<Clock::rep> m_now{Clock::now().time_since_epoch().count()};
    mutable std::mutex m_mutex;
    bool m_running = false;
    bool m_stalled = false;
    Clock::time_point m_start;
    std::size_t m_blocks = 0;
    std::size_t m_fillBlocks = 0;
    std::atomic<std::size_t> m_lateFill{0};
    std::vector<std::int16_t> m_recording;
};
