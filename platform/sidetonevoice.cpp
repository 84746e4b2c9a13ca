#include "platform/sidetonevoice.h"

#include <algorithm>
#include <cmath>

// ---- user-interface thread ----------------------------------------------------------------

void SidetoneVoice::reclaim()
{
    const std::uint64_t calls = m_mixCalls.load();
    const Table *latched = m_latched.load();
    for (auto &table : m_tables) {
        // A mix call that began before the table was retired may have latched it; once one
        // more call has finished, m_latched tells whether it still reads it.
        if (table->retired && calls > table->retiredAt && latched != table.get())
            table->retiredAt = UINT64_MAX; // free for the next setTone
    }
}

void SidetoneVoice::setTone(std::span<const std::int16_t> stereoValues)
{
    reclaim();
    Table *fresh = nullptr;
    for (auto &table : m_tables) {
        if (table->retired && table->retiredAt == UINT64_MAX) {
            fresh = table.get();
            break;
        }
    }
    if (!fresh) {
        m_tables.push_back(std::make_unique<Table>());
        fresh = m_tables.back().get();
    }
    const std::size_t values = std::min(stereoValues.size() & ~std::size_t(1), MaxFrames * 2);
    fresh->values.assign(stereoValues.begin(), stereoValues.begin() + static_cast<std::ptrdiff_t>(values));
    fresh->retired = false;

    const Table *old = m_pending.load();
    m_pending.store(fresh);
    // Read after the new table is published: a call that still saw the old one ends later.
    const std::uint64_t calls = m_mixCalls.load();
    for (auto &table : m_tables) {
        if (table.get() == old) {
            table->retired = true;
            table->retiredAt = calls;
        }
    }
}

std::uint32_t SidetoneVoice::keyDown()
{
    reclaim();
    // Key-down numbers share the command word with the key bit: 2^31 of them, more than a
    // hand can key in any run.
    ++m_sequence;
    m_command.store(m_sequence << 1 | 1u);
    return m_sequence;
}

void SidetoneVoice::keyUp()
{
    if (m_sequence != 0)
        m_command.store(m_sequence << 1);
}

void SidetoneVoice::deliverDone()
{
    const std::uint32_t through = m_endedThrough.load();
    while (m_delivered < through) {
        ++m_delivered;
        if (m_done)
            m_done(m_delivered);
    }
    reclaim();
}

// ---- audio thread -------------------------------------------------------------------------

bool SidetoneVoice::finish(std::uint32_t sequence)
{
    m_state = State::Idle;
    m_table = nullptr;
    m_latched.store(nullptr);
    m_endedThrough.store(sequence);
    return true;
}

bool SidetoneVoice::mix(std::int32_t *mix, std::size_t frames)
{
    bool ended = false;
    const std::uint32_t command = m_command.load();
    if (command != m_seenCommand) {
        m_seenCommand = command;
        const std::uint32_t sequence = command >> 1;
        const bool down = (command & 1u) != 0;
        if (sequence != m_playing) {
            // A new key-down: the previous one ends here if it still sounds, and so do the
            // key-downs that came and went between two calls without a sound.
            if (m_state != State::Idle)
                ended |= finish(m_playing);
            if (sequence - 1 > m_endedThrough.load()) {
                m_endedThrough.store(sequence - 1);
                ended = true;
            }
            m_playing = sequence;
            m_table = down ? m_pending.load() : nullptr;
            m_latched.store(m_table);
            m_position = 0;
            m_fallDone = 0;
            if (m_table && m_table->values.size() >= 2)
                m_state = State::On;
            else
                ended |= finish(sequence); // up before it could sound, or no tone yet
        } else if (!down && m_state == State::On) {
            m_state = State::Falling;
            m_fallDone = 0;
        }
    }

    if (m_state != State::Idle) {
        const std::int16_t *tone = m_table->values.data();
        const std::size_t toneFrames = m_table->values.size() / 2;
        for (std::size_t f = 0; f < frames; ++f) {
            // Held to the end of the table: the fall starts so that it ends there.
            if (m_state == State::On && m_position + FallFrames >= toneFrames) {
                m_state = State::Falling;
                m_fallDone = 0;
            }
            std::int32_t left = tone[2 * m_position];
            std::int32_t right = tone[2 * m_position + 1];
            if (m_state == State::Falling) {
                // The element's fall: the last of its 50 frames is 0.
                const double scale = double(FallFrames - 1 - m_fallDone) / double(FallFrames);
                left = static_cast<std::int32_t>(std::nearbyint(left * scale));
                right = static_cast<std::int32_t>(std::nearbyint(right * scale));
                ++m_fallDone;
            }
            mix[2 * f] += left;
            mix[2 * f + 1] += right;
            ++m_position;
            if ((m_state == State::Falling && m_fallDone == FallFrames) || m_position >= toneFrames) {
                ended |= finish(m_playing);
                break;
            }
        }
    }
    m_mixCalls.fetch_add(1);
    return ended;
}
