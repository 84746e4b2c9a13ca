#pragma once

// The real-time half of the sound output: the queue of buffers written by the user-interface
// thread, played one after the other by the audio callback, and the ring of finished tags
// handed back. One producer and one consumer per ring, no locks, no allocation after
// construction, so render() is safe on the audio thread.

#include "platform/audiooutput.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

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

    // Buffers written and not yet handed back; far more than the engine ever has out
    // (a character and its noise tail).
    static constexpr std::size_t Capacity = 256;
    // The callback mixes in blocks of this many frames, on its own stack.
    static constexpr std::size_t BlockFrames = 256;
    static constexpr int UnityGain = 1 << 16;

    // --- user-interface thread ---

    // Queues a buffer of `values` interleaved stereo values (an even count). False when the
    // queue is full; the buffer is then not taken.
    bool push(Tag tag, const std::int16_t *data, std::size_t values);
    // Marks every buffer pushed so far as dropped: the callback stops the one playing at its
    // next block and hands all of them back unplayed, in order.
    void dropQueued();
    // Next finished or dropped tag, in the order written.
    bool popDone(Tag &tag);
    // Buffers pushed and not yet taken back by popDone.
    std::size_t outstanding() const { return m_pushed - m_taken; }

    void setGain(double gain);
    double gain() const;

    // The sidetone voice mixed in from now on (null: none). The voice must outlive the mixer's
    // use of it.
    void attachSidetone(SidetoneVoice *voice) { m_sidetone.store(voice); }

    // Only while no callback can run (stream stopped or never started): hands back the
    // buffer playing and everything queued, in order, as dropped.
    void dropAllStopped();

    // --- audio thread ---

    // Fills `frames` stereo frames: queued buffers in order, then silence, mixed with the
    // other voices, scaled by the gain and clamped. Returns true when at least one buffer
    // was finished or dropped (its tag is waiting for popDone), or the sidetone's sound of a
    // key-down ended.
    bool render(std::int16_t *out, std::size_t frames);

private:
    struct Pending {
        Tag tag;
        const std::int16_t *data;
        std::size_t values;
        std::uint64_t sequence;
    };

    bool mixQueue(std::int32_t *mix, std::size_t values, std::uint64_t dropBelow);
    bool finishCurrent();

    // Sidetone voice: adds the keyed tone into the mix; true when a key-down's sound ended.
    bool mixSidetoneVoice(std::int32_t *mix, std::size_t frames);
    // One-shot sound effects (closing sound and the like): empty until they are built.
    void mixOneShotSounds(std::int32_t *mix, std::size_t frames);

    SpscRing<Pending, Capacity> m_queue;
    SpscRing<Tag, Capacity> m_done;
    std::atomic<std::uint64_t> m_dropBelow{0};
    std::atomic<std::int32_t> m_gain{UnityGain};
    std::atomic<SidetoneVoice *> m_sidetone{nullptr};

    // User-interface thread only.
    std::uint64_t m_nextSequence = 0;
    std::size_t m_pushed = 0;
    std::size_t m_taken = 0;

    // Audio thread only (or the user-interface thread while the stream is stopped).
    Pending m_current{};
    bool m_hasCurrent = false;
    std::size_t m_played = 0;
};
