#pragma once

// An AudioOutput that plays nothing: it keeps a copy of every buffer written and reports a
// buffer done only when the test says so, or on reset: at once, or (deferDroppedReports)
// later, as the real output does from its callback. Opening and writing can be made to fail.

#include "platform/audiooutput.h"
#include "platform/sidetonevoice.h"

#include <cstdint>
#include <deque>
#include <vector>

class FakeAudioOutput : public AudioOutput {
public:
    struct Buffer {
        Tag tag = 0;
        std::vector<std::int16_t> values;
        const std::int16_t *data = nullptr; // the caller's pointer, which must stay valid
    };

    int open(int device) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool reopening() const override { return m_reopening; }
    int write(Tag tag, const std::int16_t *data, std::size_t values) override;
    int reset() override;
    // Drops like reset() (the fade takes no time here).
    int silence() override
    {
        ++silences;
        return reset();
    }
    int playSound(const std::vector<std::int16_t> &samples) override
    {
        sounds.push_back(&samples);
        return 0;
    }
    double startDelay() const override { return delay; }
    // The device goes away: closed, the failure reported (the test reports the buffers).
    void fail(int error)
    {
        m_open = false;
        reportFailure(error);
    }
    // A device that has yet to take its first sound (a sound server's new stream): what would
    // start waits until firstSound().
    bool awaiting = false;
    bool awaitSound() override { return m_open && awaiting; }
    void firstSound()
    {
        awaiting = false;
        reportReady();
    }
    // The device that went away plays again, as the real output finds by itself.
    void restore()
    {
        m_open = true;
        m_reopening = false;
        reportRestored();
    }
    void setGain(double gain) override
    {
        m_gain = gain;
        gainHistory.push_back(gain);
    }
    double gain() const override { return m_gain; }

    // The sidetone voice, when a test wants one (without it the output is like one with no
    // device behind it). The test mixes it itself, through an OutputMixer of its own.
    bool withSidetone = false;
    SidetoneVoice voice;
    SidetoneVoice *sidetone() override { return withSidetone ? &voice : nullptr; }

    // Reports the oldest queued buffer done; false when none is queued.
    bool finishNext();
    // The device drops the oldest queued buffer unheard (a stall, a loss) and reports it.
    bool dropNext();
    // Reports queued buffers done until the queue is empty or `limit` reports were made;
    // returns how many were reported. A done handler that writes again is served too.
    int finishAll(int limit = 100000);
    std::size_t queued() const { return m_queue.size() + m_dropped.size(); }
    // True while every queued buffer still holds the values it was written with.
    bool queuedBuffersIntact() const;

    std::vector<Buffer> written; // every buffer ever written, in order
    std::vector<int> openedDevices;
    int openError = 0;  // returned by open() when not 0
    bool openTimesOut = false; // open() then fails but the output goes on trying
    int writeError = 0; // returned by write() when not 0
    int resetError = 0;
    // Buffers dropped by reset() or close() are reported by the next finishNext() calls, not
    // inside the call that dropped them.
    bool deferDroppedReports = false;
    int resets = 0;
    int silences = 0;
    std::vector<const std::vector<std::int16_t> *> sounds; // one-shot sounds played
    double delay = 0.0; // what startDelay() answers
    std::vector<double> gainHistory;

private:
    bool m_open = false;
    bool m_reopening = false;
    double m_gain = 1.0;
    std::deque<std::size_t> m_queue;   // indices into `written`
    std::deque<std::size_t> m_dropped; // dropped, report still to come
};
