#include "platform/outputmixer.h"

#include "platform/sidetonevoice.h"

#include <algorithm>
#include <cmath>

bool OutputMixer::push(Tag tag, const std::int16_t *data, std::size_t values)
{
    // The done ring has the same capacity, so bounding what is out keeps it from ever
    // filling on the audio thread.
    if (outstanding() >= Capacity)
        return false;
    if (!m_queue.push(Pending{tag, data, values, m_nextSequence}))
        return false;
    ++m_nextSequence;
    ++m_pushed;
    return true;
}

void OutputMixer::dropQueued()
{
    m_dropBelow.store(m_nextSequence, std::memory_order_release);
}

bool OutputMixer::popDone(Tag &tag)
{
    if (!m_done.pop(tag))
        return false;
    ++m_taken;
    return true;
}

void OutputMixer::setGain(double gain)
{
    gain = std::clamp(gain, 0.0, 1.0);
    m_gain.store(static_cast<std::int32_t>(std::lround(gain * UnityGain)), std::memory_order_relaxed);
}

double OutputMixer::gain() const
{
    return double(m_gain.load(std::memory_order_relaxed)) / UnityGain;
}

void OutputMixer::dropAllStopped()
{
    if (m_hasCurrent && !finishCurrent())
        return;
    Pending next;
    while (m_queue.pop(next)) {
        m_current = next;
        m_hasCurrent = true;
        if (!finishCurrent())
            return;
    }
}

bool OutputMixer::finishCurrent()
{
    if (!m_done.push(m_current.tag))
        return false; // cannot happen while push() bounds what is out; kept for the next call
    m_hasCurrent = false;
    m_played = 0;
    return true;
}

bool OutputMixer::mixQueue(std::int32_t *mix, std::size_t values, std::uint64_t dropBelow)
{
    bool finished = false;
    std::size_t pos = 0;
    while (pos < values) {
        if (!m_hasCurrent) {
            if (!m_queue.pop(m_current))
                break;
            m_hasCurrent = true;
            m_played = 0;
        }
        if (m_current.sequence < dropBelow || m_played == m_current.values) {
            if (!finishCurrent())
                break;
            finished = true;
            continue;
        }
        const std::size_t take = std::min(values - pos, m_current.values - m_played);
        const std::int16_t *src = m_current.data + m_played;
        for (std::size_t i = 0; i < take; ++i)
            mix[pos + i] += src[i];
        pos += take;
        m_played += take;
        // Hand the buffer back as soon as its last value is out, so the next one can follow
        // without a gap.
        if (m_played == m_current.values) {
            if (!finishCurrent())
                break;
            finished = true;
        }
    }
    return finished;
}

bool OutputMixer::mixSidetoneVoice(std::int32_t *mix, std::size_t frames)
{
    SidetoneVoice *voice = m_sidetone.load(std::memory_order_acquire);
    return voice && voice->mix(mix, frames);
}

void OutputMixer::mixOneShotSounds(std::int32_t *, std::size_t) {}

bool OutputMixer::render(std::int16_t *out, std::size_t frames)
{
    bool finished = false;
    const std::uint64_t dropBelow = m_dropBelow.load(std::memory_order_acquire);
    const std::int64_t gain = m_gain.load(std::memory_order_relaxed);
    while (frames > 0) {
        const std::size_t n = std::min(frames, BlockFrames);
        std::int32_t mix[BlockFrames * AudioOutput::Channels] = {};
        const std::size_t values = n * AudioOutput::Channels;
        finished |= mixQueue(mix, values, dropBelow);
        finished |= mixSidetoneVoice(mix, n);
        mixOneShotSounds(mix, n);
        for (std::size_t i = 0; i < values; ++i) {
            const std::int64_t scaled = (std::int64_t(mix[i]) * gain + (1 << 15)) >> 16;
            out[i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(scaled, -32768, 32767));
        }
        out += values;
        frames -= n;
    }
    return finished;
}
