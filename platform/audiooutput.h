#pragma once

// Sound output as the engine sees it: buffers of interleaved stereo 16-bit values at
// 22050 frames per second, played one after the other in the order written, with no gap
// between them. Every buffer written is reported done exactly once, on the user-interface
// thread, in order: when its data is no longer needed (its last values may still be on their
// way out, so that a buffer written at once from the report follows it seamlessly), or when
// reset() or silence() dropped it. The engine's playback cycle is paced by these reports.

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
    using FailureHandler = std::function<void(int error)>;

    static constexpr int SampleRate = 22050;
    static constexpr int Channels = 2;

    virtual ~AudioOutput() = default;

    // Opens the device (-1 = the system's default). Returns 0 or an error number.
    virtual int open(int device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Not open, but opening the device again by itself (the restored handler tells when it
    // plays): after a loss, or an opening that only ran out of time.
    virtual bool reopening() const { return false; }

    // Queues `values` 16-bit values (2 per frame). The data must stay valid and unchanged
    // until the buffer is reported done. Returns 0 or an error number; a buffer that could
    // not be queued is not reported done.
    virtual int write(Tag tag, const std::int16_t *data, std::size_t values) = 0;

    // Drops every buffer not reported done yet (the one playing included); each is reported
    // done. What was reported done already still plays out.
    virtual int reset() = 0;

    // Silences the output: what sounds fades out over a few milliseconds, then every buffer
    // is dropped as by reset(), and so is what was reported done but not heard yet.
    virtual int silence() { return reset(); }

    // A sound effect over whatever else plays, started at once without waiting (one still
    // sounding is replaced). The samples must stay valid and unchanged while the output
    // exists. Returns 0 or an error number.
    virtual int playSound(const std::vector<std::int16_t> &) { return -1; }

    // Gain applied to everything played, 0.0 to 1.0: the program's own volume; the system
    // mixer is never touched.
    virtual void setGain(double gain) = 0;
    virtual double gain() const = 0;

    // Seconds from a value leaving the queue to its being heard, as the device reports it;
    // 0 when closed or unknown.
    virtual double outputLatency() const { return 0.0; }

    // Seconds from now until a buffer written now (after a reset) starts to leave the
    // output: what was reported done but is still to play, or the wait for the device's next
    // block. 0 when closed or unknown.
    virtual double startDelay() const { return 0.0; }

    // Seconds from now until the last moment a buffer written now still starts right where
    // the last one reported done ends: a device that takes sound in blocks asks by then for the
    // block that plays past that end, and a buffer written later starts with a block of its
    // own. 0 when that moment has passed or is unknown.
    virtual double followDelay() const { return startDelay(); }

    // Sound is due that the device has not taken for a while: it stalls (short of a loss).
    virtual bool stalled() const { return false; }

    // Open, but the device has yet to take its first sound since it was opened (a sound
    // server's new stream may take a second or two): what is written now would be heard late,
    // and lines keyed with it out of step. True asks for the ready handler, which runs once the
    // device takes sound; a device that does not within the loss limit is lost instead (the
    // failure handler runs).
    virtual bool awaitSound() { return false; }

    // Whether the text's own time comes before its sound through a stall of the device (lines
    // are keyed from it); outputs without stalls ignore it.
    virtual void setKeepTime(bool) {}

    // The sidetone voice mixed into this output, or null when the output has none (no
    // device behind it): the straight key then keys and is timed without a sound.
    virtual SidetoneVoice *sidetone() { return nullptr; }

    void setDoneHandler(DoneHandler handler) { m_done = std::move(handler); }
    // Inside the done handler: whether the buffer reported was dropped before all of it had
    // played (reset(), silence(), or a device that stalled or was lost).
    bool reportedUnheard() const { return m_unheard; }
    // Called once when the device stops taking sound while open (unplugged, for instance):
    // the output is closed by then, and every buffer out is reported done after it.
    void setFailureHandler(FailureHandler handler) { m_failure = std::move(handler); }
    // After a failure the output may open the device again by itself: called once it plays
    // again (isOpen() is true by then).
    void setRestoredHandler(std::function<void()> handler) { m_restored = std::move(handler); }
    // See awaitSound().
    void setReadyHandler(std::function<void()> handler) { m_ready = std::move(handler); }

protected:
    void reportDone(Tag tag, bool unheard = false)
    {
        m_unheard = unheard;
        if (m_done)
            m_done(tag);
        m_unheard = false;
    }
    void reportFailure(int error)
    {
        if (m_failure)
            m_failure(error);
    }
    void reportRestored()
    {
        if (m_restored)
            m_restored();
    }
    void reportReady()
    {
        if (m_ready)
            m_ready();
    }

private:
    DoneHandler m_done;
    bool m_unheard = false;
    FailureHandler m_failure;
    std::function<void()> m_restored;
    std::function<void()> m_ready;
};
