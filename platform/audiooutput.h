#pragma once

// Sound output as the engine sees it: buffers of interleaved stereo 16-bit values at
// 22050 frames per second, played one after the other in the order written. Every buffer
// written is reported done exactly once, on the user-interface thread, in order: when it has
// been played, or when reset() dropped it. The engine's playback cycle is paced by these
// reports.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class SidetoneVoice;

class AudioOutput {
public:
    using Tag = std::uint64_t;
    using DoneHandler = std::function<void(Tag)>;

    static constexpr int SampleRate = 22050;
    static constexpr int Channels = 2;

    virtual ~AudioOutput() = default;

    // Opens the device (-1 = the system's default). Returns 0 or an error number.
    virtual int open(int device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues `values` 16-bit values (2 per frame). The data must stay valid and unchanged
    // until the buffer is reported done. Returns 0 or an error number; a buffer that could
    // not be queued is not reported done.
    virtual int write(Tag tag, const std::int16_t *data, std::size_t values) = 0;

    // Drops every queued buffer at once (the one playing included); each is reported done.
    virtual int reset() = 0;

    // Gain applied to everything played, 0.0 to 1.0: the program's own volume; the system
    // mixer is never touched.
    virtual void setGain(double gain) = 0;
    virtual double gain() const = 0;

    // Seconds from a value leaving the queue to its being heard, as the device reports it;
    // 0 when closed or unknown.
    virtual double outputLatency() const { return 0.0; }

    // The sidetone voice mixed into this output, or null when the output has none (no
    // device behind it): the straight key then keys and is timed without a sound.
    virtual SidetoneVoice *sidetone() { return nullptr; }

    void setDoneHandler(DoneHandler handler) { m_done = std::move(handler); }

protected:
    void reportDone(Tag tag)
    {
        if (m_done)
            m_done(tag);
    }

private:
    DoneHandler m_done;
};
