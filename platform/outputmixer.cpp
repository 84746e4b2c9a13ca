#include "platform/outputmixer.h"

#include "platform/sidetonevoice.h"

#include <algorithm>
#include <cmath>

// ---- User-interface thread ---------------------------------------------------------------

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

void OutputMixer::fadeOutAll()
{
    m_fadeBelow.store(m_nextSequence, std::memory_order_relaxed);
    m_fadeRequests.fetch_add(1, std::memory_order_release);
}

void OutputMixer::playOneShot(const std::vector<std::int16_t> *sound)
{
    m_oneShot.store(sound, std::memory_order_relaxed);
    m_oneShotRequests.fetch_add(1, std::memory_order_release);
}

bool OutputMixer::popDone(Tag &tag, bool *dropped)
{
    Done done{};
    if (!m_done.pop(done))
        return false;
    tag = done.tag;
    if (dropped)
        *dropped = done.dropped;
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

void OutputMixer::setMarginFrames(std::size_t frames)
{
    m_margin.store(std::min(frames, StageFrames - 2 * MaxPlannedBlock), std::memory_order_relaxed);
}

OutputMixer::BlockClock OutputMixer::lastBlock() const
{
    std::uint64_t start, frames, committed, fades;
    std::int64_t ticks;
    for (;;) {
        const std::uint64_t before = m_clockVersion.load(std::memory_order_acquire);
        start = m_clockStart.load(std::memory_order_relaxed);
        ticks = m_clockTime.load(std::memory_order_relaxed);
        frames = m_clockFrames.load(std::memory_order_relaxed);
        committed = m_clockCommitted.load(std::memory_order_relaxed);
        fades = m_clockFades.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if ((before & 1) == 0 && before == m_clockVersion.load(std::memory_order_relaxed))
            break;
    }
    // A fade the callback has not seen yet drops what was handed back once it has run.
    if (fades != m_fadeRequests.load(std::memory_order_relaxed))
        committed = start + frames + FadeFrames;
    // The block after the last one starts where it ended; nothing can start before that.
    return {start, frames, std::max(committed, start + frames), Clock::time_point(Clock::duration(ticks))};
}

namespace {

OutputMixer::Clock::duration framesAsTime(std::uint64_t frames)
{
    return std::chrono::duration_cast<OutputMixer::Clock::duration>(
        std::chrono::duration<double>(double(frames) / AudioOutput::SampleRate));
}

} // namespace

OutputMixer::Clock::duration OutputMixer::untilPushedStarts(Clock::time_point now) const
{
    const BlockClock last = lastBlock();
    if (last.frames == 0)
        return Clock::duration::zero();
    return std::max(last.asked + framesAsTime(last.end - last.start) - now, Clock::duration::zero());
}

OutputMixer::Clock::duration OutputMixer::untilFollowDeadline(Clock::time_point now) const
{
    const BlockClock last = lastBlock();
    if (last.frames == 0)
        return Clock::duration::zero();
    // The device asks for a block when its first frame falls due; the one that reaches past
    // the end starts a whole number of blocks after the last one.
    const std::uint64_t blockStart = last.start + (last.end - last.start) / last.frames * last.frames;
    return std::max(last.asked + framesAsTime(blockStart - last.start) - now, Clock::duration::zero());
}

bool OutputMixer::stopRendering()
{
    int expected = Free;
    return m_owner.compare_exchange_strong(expected, Stopped, std::memory_order_acquire)
        || expected == Stopped;
}

void OutputMixer::resumeRendering()
{
    m_owner.store(Free, std::memory_order_release);
}

void OutputMixer::dropAllStopped()
{
    if (m_hasCurrent && !finishCurrent(true))
        return;
    Pending next;
    while (m_queue.pop(next)) {
        m_current = next;
        m_hasCurrent = true;
        if (!finishCurrent(true))
            return;
    }
    m_stageEnd = m_committed = m_position;
    m_fading = false;
    m_fadeLeft = 0;
    m_dropBound = m_nextSequence;
}

// ---- Audio thread --------------------------------------------------------------------------

bool OutputMixer::finishCurrent(bool dropped)
{
    if (!m_done.push({m_current.tag, dropped}))
        return false; // cannot happen while push() bounds what is out; kept for the next call
    m_hasCurrent = false;
    m_copied = 0;
    return true;
}

// Hands back, unplayed, the buffer being copied and the queued ones pushed before `bound`.
// What they had put into the staging ring is cut; what was handed back before stays.
bool OutputMixer::dropUpTo(std::uint64_t bound)
{
    bool finished = false;
    m_dropBound = std::max(m_dropBound, bound);
    for (;;) {
        if (!m_hasCurrent) {
            if (!m_queue.pop(m_current))
                break;
            m_hasCurrent = true;
            m_copied = 0;
        }
        if (m_current.sequence >= m_dropBound)
            break;
        if (m_copied > 0)
            m_stageEnd = std::max(m_committed, m_position);
        if (!finishCurrent(true))
            break;
        finished = true;
    }
    return finished;
}

bool OutputMixer::applyRequests()
{
    bool finished = false;
    if (const std::uint64_t drop = m_dropBelow.load(std::memory_order_acquire); drop > m_dropBound)
        finished |= dropUpTo(drop);
    if (const std::uint64_t fades = m_fadeRequests.load(std::memory_order_acquire);
        fades != m_seenFadeRequests) {
        m_seenFadeRequests = fades;
        m_fadeBound = std::max(m_fadeBound, m_fadeBelow.load(std::memory_order_relaxed));
        if (!m_fading) {
            m_fading = true;
            m_fadeLeft = FadeFrames;
        }
    }
    if (const std::uint64_t shots = m_oneShotRequests.load(std::memory_order_acquire);
        shots != m_seenOneShots) {
        m_seenOneShots = shots;
        m_oneShotPlaying = m_oneShot.load(std::memory_order_relaxed);
        m_oneShotPlayed = 0;
    }
    return finished;
}

// Copies queued buffers into the staging ring up to position `target`; a buffer whose last
// value is copied is handed back.
bool OutputMixer::stage(std::uint64_t target)
{
    bool finished = false;
    // Ran dry: whatever comes next starts with the next frame rendered.
    m_stageEnd = std::max(m_stageEnd, m_position);
    while (m_stageEnd < target) {
        if (!m_hasCurrent) {
            if (!m_queue.pop(m_current))
                break;
            m_hasCurrent = true;
            m_copied = 0;
        }
        if (m_current.sequence < m_dropBound) {
            if (!finishCurrent(true))
                break;
            finished = true;
            continue;
        }
        if (m_copied < m_current.values) {
            const std::size_t frames = std::min<std::size_t>((m_current.values - m_copied) / 2,
                                                             target - m_stageEnd);
            const std::int16_t *src = m_current.data + m_copied;
            for (std::size_t done = 0; done < frames;) {
                const std::size_t at = (m_stageEnd + done) % StageFrames;
                const std::size_t run = std::min(frames - done, StageFrames - at);
                std::copy(src + 2 * done, src + 2 * (done + run), m_stage.begin() + 2 * at);
                done += run;
            }
            m_copied += 2 * frames;
            m_stageEnd += frames;
        }
        if (m_copied >= m_current.values) {
            if (!finishCurrent(false))
                break;
            m_committed = m_stageEnd;
            finished = true;
        }
    }
    return finished;
}

void OutputMixer::mixStaged(std::int32_t *mix, std::size_t frames)
{
    const std::size_t available
        = m_stageEnd > m_position ? std::min<std::uint64_t>(frames, m_stageEnd - m_position) : 0;
    for (std::size_t i = 0; i < available; ++i) {
        const std::size_t at = 2 * ((m_position + i) % StageFrames);
        std::int32_t left = m_stage[at];
        std::int32_t right = m_stage[at + 1];
        if (m_fading) {
            // A straight line down to zero: no step in the waveform.
            left = left * std::int32_t(m_fadeLeft) / std::int32_t(FadeFrames);
            right = right * std::int32_t(m_fadeLeft) / std::int32_t(FadeFrames);
            if (m_fadeLeft > 0)
                --m_fadeLeft;
        }
        mix[2 * i] += left;
        mix[2 * i + 1] += right;
    }
    if (m_fading)
        m_fadeLeft -= std::min<std::size_t>(m_fadeLeft, frames - available);
}

// The fade has reached zero: everything staged goes, and so does what was pushed before it.
bool OutputMixer::endFade()
{
    m_fading = false;
    m_stageEnd = m_committed = m_position;
    if (m_hasCurrent)
        m_copied = 0; // nothing of it is staged any more
    return dropUpTo(m_fadeBound);
}

std::size_t OutputMixer::plannedBlock(std::size_t frames)
{
    m_recentBlocks[m_recentNext] = frames;
    m_recentNext = (m_recentNext + 1) % m_recentBlocks.size();
    const std::size_t largest = *std::max_element(m_recentBlocks.begin(), m_recentBlocks.end());
    return std::min(largest, MaxPlannedBlock);
}

void OutputMixer::publish(std::uint64_t blockStart, Clock::time_point now, std::size_t frames)
{
    const std::uint64_t version = m_clockVersion.load(std::memory_order_relaxed);
    m_clockVersion.store(version + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    m_clockStart.store(blockStart, std::memory_order_relaxed);
    m_clockTime.store(now.time_since_epoch().count(), std::memory_order_relaxed);
    m_clockFrames.store(frames, std::memory_order_relaxed);
    m_clockCommitted.store(m_fading ? m_position + m_fadeLeft : m_committed, std::memory_order_relaxed);
    m_clockFades.store(m_seenFadeRequests, std::memory_order_relaxed);
    m_clockVersion.store(version + 2, std::memory_order_release);
}

bool OutputMixer::mixSidetoneVoice(std::int32_t *mix, std::size_t frames)
{
    SidetoneVoice *voice = m_sidetone.load(std::memory_order_acquire);
    return voice && voice->mix(mix, frames);
}

void OutputMixer::mixOneShotSounds(std::int32_t *mix, std::size_t frames)
{
    if (!m_oneShotPlaying)
        return;
    const std::vector<std::int16_t> &sound = *m_oneShotPlaying;
    const std::size_t take = std::min(frames * AudioOutput::Channels, sound.size() - m_oneShotPlayed);
    for (std::size_t i = 0; i < take; ++i)
        mix[i] += sound[m_oneShotPlayed + i];
    m_oneShotPlayed += take;
    if (m_oneShotPlayed >= sound.size())
        m_oneShotPlaying = nullptr;
}

bool OutputMixer::render(std::int16_t *out, std::size_t frames, Clock::time_point now)
{
    int expected = Free;
    if (!m_owner.compare_exchange_strong(expected, Rendering, std::memory_order_acquire)) {
        std::fill(out, out + frames * AudioOutput::Channels, std::int16_t(0));
        return false;
    }
    const std::uint64_t blockStart = m_position;
    const std::size_t total = frames;
    bool finished = applyRequests();
    const std::int64_t gain = m_gain.load(std::memory_order_relaxed);
    const std::size_t margin = m_margin.load(std::memory_order_relaxed);
    const std::size_t planned = plannedBlock(std::min(frames, MaxPlannedBlock));
    while (frames > 0) {
        // Staged: this piece, the device's next block and the writer's margin.
        const std::size_t piece = std::min(frames, MaxPlannedBlock);
        if (!m_fading)
            finished |= stage(m_position + piece + planned + margin);
        for (std::size_t left = piece; left > 0;) {
            const std::size_t n = std::min(left, BlockFrames);
            std::int32_t mix[BlockFrames * AudioOutput::Channels] = {};
            mixStaged(mix, n);
            m_position += n;
            if (m_fading && m_fadeLeft == 0)
                finished |= endFade();
            finished |= mixSidetoneVoice(mix, n);
            mixOneShotSounds(mix, n);
            const std::size_t values = n * AudioOutput::Channels;
            for (std::size_t i = 0; i < values; ++i) {
                const std::int64_t scaled = (std::int64_t(mix[i]) * gain + (1 << 15)) >> 16;
                out[i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(scaled, -32768, 32767));
            }
            out += values;
            left -= n;
        }
        frames -= piece;
    }
    publish(blockStart, now, total);
    m_blocks.fetch_add(1, std::memory_order_release);
    m_owner.store(Free, std::memory_order_release);
    return finished;
}
