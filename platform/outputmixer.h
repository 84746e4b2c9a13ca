#pragma once

// The real-time half of the sound output: the queue of buffers written by the user-interface
// thread, played one after the other by the audio callback, and the ring of finished tags
// handed back. One producer and one consumer per ring, no locks, no allocation after
// construction, so render() is safe on the audio thread.
//
// Buffers follow each other without a gap. To make that possible, the callback copies what
// it will play next into a staging ring of its own, a little ahead of the block it renders:
// a buffer is handed back as soon as its last value has been copied, early enough that the
// writer can queue the next one before the callback that needs it. Reset drops only what has
// not been handed back; what was handed back plays out.

#include "platform/audiooutput.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

class SidetoneVoice;

// Single-producer single-consumer ring of trivially copyable items.
template <typename T, std::size_t N>
class SpscRing {
    static_assert((N & (N - 1)) == 0, "capacity must be a power of two");

public:
    bool push(const T &item)
    {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail - m_head.load(std::memory_order_acquire) == N)
            return false;
        m_items[tail & (N - 1)] = item;
        m_tail.store(tail + 1, std::memory_order_release);
        return true;
    }

    bool pop(T &item)
    {
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        if (head == m_tail.load(std::memory_order_acquire))
            return false;
        item = m_items[head & (N - 1)];
        m_head.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    std::array<T, N> m_items{};
    alignas(64) std::atomic<std::size_t> m_head{0};
    alignas(64) std::atomic<std::size_t> m_tail{0};
};

class OutputMixer {
public:
    using Tag = AudioOutput::Tag;
    using Clock = std::chrono::steady_clock;

    // Buffers written and not yet handed back; far more than the engine ever has out
    // (a character and its noise tail).
    static constexpr std::size_t Capacity = 256;
    // The voices are mixed in pieces of this many frames, on the callback's own stack.
    static constexpr std::size_t BlockFrames = 256;
    // Frames the staging ring holds, and the largest callback block it plans ahead for.
    static constexpr std::size_t StageFrames = 32768;
    static constexpr std::size_t MaxPlannedBlock = 8192;
    // Time the writer gets to queue the next buffer after a report, beyond the blocks the
    // device takes meanwhile: 20 ms.
    static constexpr std::size_t DefaultMarginFrames = 441;
    // silence(): the fade-out, 5 ms.
    static constexpr std::size_t FadeFrames = 110;
    static constexpr int UnityGain = 1 << 16;

    // --- user-interface thread ---

    // Queues a buffer of `values` interleaved stereo values (an even count). False when the
    // queue is full; the buffer is then not taken.
    bool push(Tag tag, const std::int16_t *data, std::size_t values);
    // Marks every buffer pushed so far as dropped: the callback stops the one it is copying at
    // its next block and hands it and the queued ones back, in order. Buffers already handed
    // back play out.
    void dropQueued();
    // Fades everything the queue still plays out over FadeFrames at the next block, then
    // drops it all (handed back or not) and hands back what was pushed before this call.
    void fadeOutAll();
    // A one-shot sound mixed over the queue from the next block on, replacing one still
    // playing; `sound` must outlive the mixer.
    void playOneShot(const std::vector<std::int16_t> *sound);
    // Next finished or dropped tag, in the order written; `dropped` (when given) tells whether
    // any of the buffer was dropped unplayed.
    bool popDone(Tag &tag, bool *dropped = nullptr);
    // Buffers pushed and not yet taken back by popDone.
    std::size_t outstanding() const { return m_pushed - m_taken; }

    void setGain(double gain);
    double gain() const;
    // The sidetone voice mixed in from now on (null: none). The voice must outlive the mixer's
    // use of it.
    void attachSidetone(SidetoneVoice *voice) { m_sidetone.store(voice); }
    // The margin the writer gets after a report (see DefaultMarginFrames); clamped so that
    // the staging ring always holds what is planned.
    void setMarginFrames(std::size_t frames);
    std::size_t marginFrames() const { return m_margin.load(std::memory_order_relaxed); }

    // Time from `now` until a buffer pushed now (after a drop) starts to be rendered: what has
    // been handed back but not rendered yet, or the wait for the next block. Zero before the
    // first block.
    Clock::duration untilPushedStarts(Clock::time_point now) const;
    // Time from `now` until the block that plays past the end of what has been handed back is
    // asked for (blocks taken to be as long as the last one): a buffer pushed before then
    // follows that end seamlessly. Zero once that block has been asked for, or before the first.
    Clock::duration untilFollowDeadline(Clock::time_point now) const;
    // Blocks rendered so far: a device that stops asking for blocks stops this count.
    std::uint64_t blocksRendered() const { return m_blocks.load(std::memory_order_acquire); }

    // Stops rendering when no block is being rendered (false while one is): until
    // resumeRendering(), render() only writes silence, and dropAllStopped() may run although
    // the stream could still call back.
    bool stopRendering();
    void resumeRendering();

    // Only while no callback can run (stream stopped, never started, or rendering stopped): hands
    // back the buffer playing and everything queued, in order, as dropped, and forgets what
    // was staged.
    void dropAllStopped();

    // --- audio thread ---

    // Fills `frames` stereo frames: queued buffers in order, then silence, mixed with the
    // other voices, scaled by the gain and clamped. Returns true when at least one buffer
    // was handed back (its tag is waiting for popDone), or the sidetone's sound of a key-down
    // ended. `now` is when the block was asked for.
    bool render(std::int16_t *out, std::size_t frames, Clock::time_point now);
    bool render(std::int16_t *out, std::size_t frames) { return render(out, frames, Clock::now()); }

private:
    struct Pending {
        Tag tag;
        const std::int16_t *data;
        std::size_t values;
        std::uint64_t sequence;
    };
    enum Owner : int { Free, Rendering, Stopped };

    // The last block as published: where it started and when, its length, and where the sound
    // handed back ends (a fade not seen yet counted in).
    struct BlockClock {
        std::uint64_t start, frames, end;
        Clock::time_point asked;
    };
    BlockClock lastBlock() const;

    bool applyRequests();
    bool stage(std::uint64_t target);
    bool dropUpTo(std::uint64_t bound);
    bool finishCurrent(bool dropped);
    void mixStaged(std::int32_t *mix, std::size_t frames);
    bool endFade();
    std::size_t plannedBlock(std::size_t frames);
    void publish(std::uint64_t blockStart, Clock::time_point now, std::size_t frames);

    // Sidetone voice: adds the keyed tone into the mix; true when a key-down's sound ended.
    bool mixSidetoneVoice(std::int32_t *mix, std::size_t frames);
    // One-shot sound effects (the closing sound).
    void mixOneShotSounds(std::int32_t *mix, std::size_t frames);

    SpscRing<Pending, Capacity> m_queue;
    struct Done {
        Tag tag;
        bool dropped;
    };
    SpscRing<Done, Capacity> m_done;
    std::atomic<std::uint64_t> m_dropBelow{0};
    std::atomic<std::uint64_t> m_fadeBelow{0};
    std::atomic<std::uint64_t> m_fadeRequests{0};
    std::atomic<const std::vector<std::int16_t> *> m_oneShot{nullptr};
    std::atomic<std::uint64_t> m_oneShotRequests{0};
    std::atomic<std::int32_t> m_gain{UnityGain};
    std::atomic<SidetoneVoice *> m_sidetone{nullptr};
    std::atomic<std::size_t> m_margin{DefaultMarginFrames};
    std::atomic<int> m_owner{Free};
    std::atomic<std::uint64_t> m_blocks{0};

    // What the last block said about the stream, for untilPushedStarts (a sequence lock:
    // odd while being written).
    std::atomic<std::uint64_t> m_clockVersion{0};
    std::atomic<std::uint64_t> m_clockStart{0};     // first frame of the last block
    std::atomic<std::int64_t> m_clockTime{0};       // when it was asked for, in clock ticks
    std::atomic<std::uint64_t> m_clockFrames{0};    // its length
    std::atomic<std::uint64_t> m_clockCommitted{0}; // end of what had been handed back
    std::atomic<std::uint64_t> m_clockFades{0};     // fade requests seen by then

    // User-interface thread only.
    std::uint64_t m_nextSequence = 0;
    std::size_t m_pushed = 0;
    std::size_t m_taken = 0;

    // Audio thread only (or the user-interface thread while no callback can run). Positions
    // count frames since the mixer was made; the staging ring holds [m_position, m_stageEnd),
    // of which [m_position, m_committed) belongs to buffers already handed back.
    Pending m_current{};
    bool m_hasCurrent = false;
    std::size_t m_copied = 0;
    std::uint64_t m_position = 0;
    std::uint64_t m_stageEnd = 0;
    std::uint64_t m_committed = 0;
    std::uint64_t m_dropBound = 0;
    std::uint64_t m_seenFadeRequests = 0;
    std::uint64_t m_fadeBound = 0;
    std::size_t m_fadeLeft = 0;
    bool m_fading = false;
    std::uint64_t m_seenOneShots = 0;
    const std::vector<std::int16_t> *m_oneShotPlaying = nullptr;
    std::size_t m_oneShotPlayed = 0;
    std::array<std::size_t, 16> m_recentBlocks{};
    std::size_t m_recentNext = 0;
    std::array<std::int16_t, StageFrames * AudioOutput::Channels> m_stage{};
};
