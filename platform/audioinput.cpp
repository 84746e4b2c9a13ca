#include "platform/audioinput.h"

#include <algorithm>

void InputConverter::configure(int rate, int channels)
{
    m_rate = std::max(rate, AudioInput::SampleRate);
    m_channels = std::max(channels, 1);
    m_phase = 0;
    m_sum[0] = m_sum[1] = 0;
    m_count = 0;
    m_filled = 0;
}

std::uint8_t InputConverter::toUnsigned8(long long sum, int count)
{
    const long long mean = count > 0 ? sum / count : 0;
    return static_cast<std::uint8_t>(std::clamp<long long>((mean >> 8) + 128, 0, 255));
}

void InputConverter::feed(const std::int16_t *samples, std::size_t frames,
                          const std::function<void(std::span<const std::uint8_t>)> &emit)
{
    for (std::size_t f = 0; f < frames; ++f) {
        const std::int16_t *frame = samples + f * static_cast<std::size_t>(m_channels);
        m_sum[0] += frame[0];
        m_sum[1] += frame[m_channels > 1 ? 1 : 0];
        ++m_count;
        // An output frame is due each time 1/11025 s of captured frames has gone by.
        m_phase += AudioInput::SampleRate;
        if (m_phase < m_rate)
            continue;
        m_phase -= m_rate;
        m_block[m_filled++] = toUnsigned8(m_sum[0], m_count);
        m_block[m_filled++] = toUnsigned8(m_sum[1], m_count);
        m_sum[0] = m_sum[1] = 0;
        m_count = 0;
        if (m_filled == AudioInput::BlockBytes) {
            m_filled = 0;
            emit(std::span<const std::uint8_t>(m_block, AudioInput::BlockBytes));
        }
    }
}
