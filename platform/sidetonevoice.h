#pragma once

// The sidetone of a straight key: a voice of the output mixer that plays a copy of the tone
// table from its start while the key is down, so the table's own rise opens the sound; on
// key-up a fall of 50 frames closes it. A key held for 10 s falls silent by itself (the fall
// ends exactly at 10 s). Each key-down's sound ends exactly once, and its end is handed back
// to the user-interface thread with the key-down's number.
//
// Threads: keyDown, keyUp, setTone and deliverDone on the user-interface thread; mix on the
// audio thread, which allocates nothing, locks nothing and calls no Qt. A table given by
// setTone is a copy owned here, and a copy is reused only once the audio thread can no longer
// be reading it.

#include "platform/outputmixer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class SidetoneVoice {
public:
    static constexpr std::size_t MaxFrames = 220500; // 10 s at 22050 frames per second
    static constexpr std::size_t FallFrames = 50;
    using DoneHandler = std::function<void(std::uint32_t keyDown)>;

    SidetoneVoice() = default;
    SidetoneVoice(const SidetoneVoice &) = delete;
    SidetoneVoice &operator=(const SidetoneVoice &) = delete;

    // --- user-interface thread ---

    // The tone the next key-down plays: interleaved stereo values, the first MaxFrames
    // frames of it (an odd value at the end is left out).
    void setTone(std::span<const std::int16_t> stereoValues);
    // Starts the tone; returns this key-down's number (1, 2, 3 ...). A key-down while the tone
    // of the previous one still sounds ends that one at once.
    std::uint32_t keyDown();
    // Starts the fall of the current key-down (nothing when it has ended already).
    void keyUp();
    // Calls the handler once for every key-down whose sound has ended, in order (key-downs end
    // in the order they came, so the ended ones are always the first n). The output calls it
    // when the mixer says something ended; tests call it themselves.
    void deliverDone();
    void setDoneHandler(DoneHandler handler) { m_done = std::move(handler); }
    // The last key-down's number (0 before the first).
    std::uint32_t lastKeyDown() const { return m_sequence; }
    // The last key-down whose end was delivered: equal to lastKeyDown() once all is silent.
    std::uint32_t endedReported() const { return m_delivered; }

    // --- audio thread ---

    // Adds the voice to `frames` stereo frames of the mix. Returns true when a key-down's
    // sound ended in these frames (its number waits for deliverDone).
    bool mix(std::int32_t *mix, std::size_t frames);

private:
    struct Table {
        std::vector<std::int16_t> values;
        std::uint64_t retiredAt = 0; // mix calls finished when it stopped being the pending one
        bool retired = false;
    };
    enum class State { Idle, On, Falling };

    bool finish(std::uint32_t sequence);
    void reclaim();

    // User-interface thread to audio thread.
    std::atomic<std::uint32_t> m_command{0}; // key-down number << 1 | key down
    std::atomic<const Table *> m_pending{nullptr};
    // Audio thread to user-interface thread.
    std::atomic<const Table *> m_latched{nullptr};
    std::atomic<std::uint64_t> m_mixCalls{0};
    std::atomic<std::uint32_t> m_endedThrough{0}; // every key-down up to this one has ended

    // User-interface thread only.
    std::uint32_t m_sequence = 0;
    std::uint32_t m_delivered = 0;
    std::vector<std::unique_ptr<Table>> m_tables;
    DoneHandler m_done;

    // Audio thread only.
    std::uint32_t m_seenCommand = 0;
    std::uint32_t m_playing = 0;
    State m_state = State::Idle;
    const Table *m_table = nullptr;
    std::size_t m_position = 0; // frame of the table
    std::size_t m_fallDone = 0; // frames of the fall already out
};
