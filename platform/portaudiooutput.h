#pragma once

// Sound output over one stream: 22050 Hz, 2 channels, 16 bit, opened once and kept open.
// The stream always runs (silence when nothing is queued); written buffers are played in
// order by its callback through the mixer, which hands each finished or dropped one back
// through an eventfd. A socket notifier on the thread that created the object (the
// user-interface thread) then calls the done handler, once per buffer, in the order written.
//
// The stream is opened, started, stopped and closed on the sound session's thread
// (PortAudioSession): the user-interface thread waits at most OpenBound for an opening and
// never for a closing, so a sound server that freezes freezes no window.
//
// A new stream takes its first sound only once the device plays: a sound server's may take a
// second or two (it fills the device's buffer at once, then waits). Until then awaitSound() is
// true, and what is written waits for it.
//
// A stream that stops by itself (its server gone, perhaps restarting) is opened anew at once
// and every ReconnectEvery, while what is written waits as through a stall. A stream that takes
// no sound for LossMs while buffers are out, that has not taken its first sound LossMs after
// opening while something waits for it, or that cannot be opened again within LossMs, counts as
// lost (a device unplugged, a server gone for good): it is closed, the failure handler runs once,
// and every buffer out is reported done. The output then opens a stream again by itself, at growing intervals (RetryFirst up to
// RetryLast), and counts it back once it has taken ProbeFrames of sound: isOpen() is true again
// and the restored handler runs.
//
// While lines are keyed from the text (setKeepTime), a stall short of a loss keeps the text's
// time: a buffer due while the stream takes nothing is given back when a running stream would
// have given it, and one written meanwhile that would sound late once the stream is back is
// dropped unheard and given back at its own time. So the keying, which follows the reports, and
// the PTT's release at the text's end never wait for it. Otherwise the text waits for its sound
// through any stall short of a loss, so that a loaded desktop or a restarting server delays it
// rather than cuts it.
//
// A stream whose device runs dry while sound plays, or whose machine is crowded (a sound
// server's threads at normal priority then miss their turn), is opened anew with a larger
// buffer (doubled per step, up to MaxBufferTime) at the next idle moment, so no sound is cut
// and the user-interface thread waits for nothing; after QuietStretch without running dry and
// without the load that called for it, it goes back a step, again only when idle. Every buffer
// is still reported done once, in order.
//
// Create, open, write, reset and close on the user-interface thread only.

#include "platform/audiooutput.h"
#include "platform/outputmixer.h"
#include "platform/portaudiosession.h"
#include "platform/realtime.h"
#include "platform/sidetonevoice.h"

#include <portaudio.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;

// The part common to every stream: the mixer, the done reports and the watch on the stream.
// A stream calls renderBlock() from its own thread between startStream() and stopStream().
class StreamOutput : public AudioOutput {
public:
    // A stream that takes no sound for this long with buffers out counts as lost. On a
    // desktop loaded four times over, PulseAudio's recovery from an underrun took up to 2 s
    // (bench_soundloss); a lost server never comes back by itself within this.
    static constexpr std::chrono::milliseconds LossMs{3000};
    // Keeping time (setKeepTime), a stream that has taken no sound for this long when a buffer
    // is due gives it back then, as a running stream would have: through a stall the text, its
    // keying and the PTT's release keep their time, silent. A block missing for this long is a
    // hole already at the lowest buffer step; at larger steps the cut is two buffers' time.
    static constexpr std::chrono::milliseconds StallCut{40};
    // The longest the user-interface thread waits for the stream to open.
    static constexpr std::chrono::milliseconds OpenBound = PortAudioSession::OpenBound;
    // After a loss: the first new try, and the longest wait between tries.
    static constexpr std::chrono::milliseconds RetryFirst{1000};
    static constexpr std::chrono::milliseconds RetryLast{5000};
    // A stream opened again counts as back once it has taken this much sound (0.2 s)...
    static constexpr std::uint64_t ProbeFrames = SampleRate / 5;
    // ...within this time; else it is closed and tried again later.
    static constexpr std::chrono::milliseconds ProbeWait{4000};
    // A stream that stopped by itself (its server restarting) is opened again this often until
    // the loss limit.
    static constexpr std::chrono::milliseconds ReconnectEvery{200};

    StreamOutput();
    // The derived class calls finishCalls() in its own destructor; done reports still pending
    // are not delivered.
    ~StreamOutput() override;

    StreamOutput(const StreamOutput &) = delete;
    StreamOutput &operator=(const StreamOutput &) = delete;

    // Closes first when already open. On failure the object stays closed and the stream's
    // error number is returned. A stream that did not open within OpenBound gives paTimedOut
    // and is no refusal: reopening() is true, and the stream is taken when its opening comes
    // back (the restored handler runs then), or, when the device refused after all, the
    // failure handler runs and the output goes on trying in the background, as after a loss.
    int open(int device) override;
    // Stops the stream (without waiting for it); buffers still queued are reported done
    // (later, from the event loop), like a reset. Ends the tries after a loss.
    void close() override;
    bool isOpen() const override;
    // Lost, and trying the device again.
    bool reopening() const override { return m_lost; }
    // Frames the streams have taken so far (any thread): what the watch on the stream sees.
    std::uint64_t framesTaken() const { return m_framesTaken.load(std::memory_order_relaxed); }

    // Fails (nothing reported) when closed, when `values` is not a whole number of frames,
    // or when too many buffers are out. Zero values is allowed: reported done in its turn.
    int write(Tag tag, const std::int16_t *data, std::size_t values) override;
    // Return at once; the callback acts on its next block and reports every buffer dropped
    // done, unplayed, in order. Their data stays in use until then. Buffers written
    // afterwards play normally.
    int reset() override;
    int silence() override;
    int playSound(const std::vector<std::int16_t> &samples) override;

    void setGain(double gain) override;
    double gain() const override;
    double startDelay() const override;
    double followDelay() const override;
    bool stalled() const override { return m_stalled; }
    // The voice is mixed while the stream runs; its endings come with the done reports.
    SidetoneVoice *sidetone() override { return isOpen() ? &m_sidetone : nullptr; }

    // The time the writer gets to follow a reported buffer (OutputMixer::DefaultMarginFrames).
    void setFollowMargin(std::chrono::milliseconds margin);
    // The loss limit and the first retry interval in place of LossMs and RetryFirst.
    void setLossLimit(std::chrono::milliseconds limit) { m_lossLimit = limit; }
    // Keeping time: lines keyed from the text follow its own clock through a stall, and a
    // buffer that would sound late after it is not heard; else the sound is what counts.
    void setKeepTime(bool keep) override { m_keepTime = keep; }
    // How long a stream must have taken nothing for a due buffer to be given back (StallCut).
    void setStallCut(std::chrono::milliseconds cut) { m_stallCut = cut; }
    void setRetryInterval(std::chrono::milliseconds first) { m_retryFirst = first; }

    bool awaitSound() override;

    // Blocks the device ran dry before, since the output was made.
    virtual std::uint64_t underruns() const { return 0; }
    // The buffer asked of the device at the lowest step (the stream open now keeps its own).
    void setBufferTime(std::chrono::duration<double> seconds) { m_baseBuffer = seconds.count(); }
    // The buffer the next opening asks for: the lowest, doubled at each step grown.
    double bufferTime() const;
    static constexpr double DefaultBufferTime = 0.010;
    // What kept a sound server fed with two to three tasks waiting for each core.
    static constexpr double MaxBufferTime = 0.080;
    // This many underruns within GrowWindow while sound plays take the buffer a step up (each
    // may have cut an element: the next one should not)...
    static constexpr int GrowAfter = 1;
    static constexpr std::chrono::milliseconds GrowWindow{30000};
    // ...this long without one takes it a step down...
    static constexpr std::chrono::milliseconds QuietStretch{60000};
    // ...each once the output has been idle (no buffer out, no sidetone) for this long.
    static constexpr std::chrono::milliseconds IdleBefore{300};
    void setQuietStretch(std::chrono::milliseconds quiet) { m_quietStretch = quiet; }
    // Off: the buffer stays at the lowest step (a benchmark of one buffer time).
    void setAdaptive(bool adaptive) { m_adaptive = adaptive; }
    // How crowded the processors are, in tasks waiting to run per core (RunQueueGauge; negative
    // while unknown). With it, from one waiting task per core on, the buffer takes two steps up
    // and one more per further core's worth at the next idle moment, before the device runs
    // dry. Read at every adapting tick (a tenth of a second).
    void setLoadGauge(std::function<double()> perCore) { m_loadGauge = std::move(perCore); }
    // The step the load calls for now (0 without a gauge).
    int loadStep() const { return m_loadStep; }
    // The step `perCore` waiting tasks per core call for, above a lowest buffer of `base` seconds.
    static int loadStepFor(double perCore, double base = DefaultBufferTime);

protected:
    // On the session's thread: opens and starts the stream on `device`; 0 or an error number.
    virtual int startStream(int device) = 0;
    // On the session's thread: stops and closes it (nothing when none is open); no
    // renderBlock() runs afterwards. `lost`: the device is gone, so nothing should wait for
    // what it holds.
    virtual void stopStream(bool lost) = 0;
    // False once the stream has stopped by itself. Asked only while no call is pending.
    virtual bool streamActive() const = 0;

    // On the session's thread, before the stream starts: the frames it takes at once to fill the
    // device's buffer, which are no sound played yet (0: it takes blocks as it plays them).
    void setPrefill(std::uint64_t frames) { m_prefill.store(frames, std::memory_order_relaxed); }

    // The stream's callback: one block of sound, asked for at `when` (now by default).
    void renderBlock(std::int16_t *out, std::size_t frames,
                     OutputMixer::Clock::time_point when = OutputMixer::Clock::now());
    // The time the output goes by (any thread): the steady clock. A device that keeps a clock
    // of its own gives its time here, and the same clock's times to renderBlock().
    virtual std::chrono::steady_clock::time_point timeNow() const { return std::chrono::steady_clock::now(); }

    // Calls given to the session's thread that have not run yet.
    bool callsPending() const { return m_callsOut.load() != 0; }
    // For the derived destructor: closes, and waits until the session's thread has run every
    // call of this output (nothing may call a stream of a half-destroyed object).
    void finishCalls();

private:
    // Seconds from now until the time the mixer names, or through a stall until the buffer
    // last due would have ended.
    double secondsUntil(OutputMixer::Clock::duration (OutputMixer::*until)(OutputMixer::Clock::time_point) const) const;
    void signalDone();
    void deliverDone();
    void watch();
    void armWatch(std::chrono::steady_clock::time_point now);
    void endStall();
    std::chrono::milliseconds stallCut() const;
    std::chrono::milliseconds twoBuffers() const;
    std::chrono::steady_clock::time_point lastBlockAt() const;
    std::chrono::steady_clock::duration margin() const;
    void giveUp(int error);
    void disarm();
    void post(std::function<void()> call);
    int openAttempt(int device, std::uint64_t attempt);
    void take();
    void openedLate(std::uint64_t attempt, int error);
    void scheduleRetry();
    void retry();
    void openInBackground(bool restart, void (StreamOutput::*then)(std::uint64_t, int));
    void probeOpened(std::uint64_t attempt, int error);
    void endProbe(bool back);
    void startAdapting();
    void adapt();
    int stepForLoad();
    bool idle() const;
    void switchBuffer(int step);
    void switched(std::uint64_t attempt, int error);
    void reconnect();
    void reconnected(std::uint64_t attempt, int error);
    void lose(int error);
    bool sounding() const;
    void noticeSound();

    SidetoneVoice m_sidetone; // before the mixer, which reads it
    OutputMixer m_mixer;
    bool m_open = false;
    int m_device = -1;
    int m_eventFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_watch;
    std::uint64_t m_blocksSeen = 0;
    std::chrono::steady_clock::time_point m_lastProgress;
    std::chrono::milliseconds m_lossLimit = LossMs;
    std::chrono::milliseconds m_stallCut = StallCut;
    bool m_keepTime = false;
    // For each buffer out, in order: when it would be rendered from and to, were the stream
    // taking sound.
    struct Span {
        std::chrono::steady_clock::time_point start, end;
    };
    std::deque<Span> m_deadlines;
    // Through a stall: when the buffer last given back would have been rendered to its end.
    std::chrono::steady_clock::time_point m_stalledEnd;
    // A stall is under way since the block taken at m_stallFrom.
    bool m_stalled = false;
    std::chrono::steady_clock::time_point m_stallFrom;
    // Reports wait until then (sound silenced after a stall), on m_hold.
    std::chrono::steady_clock::time_point m_holdUntil;
    std::unique_ptr<QTimer> m_hold;
    // The callback's side of a stall: armed once a buffer is given back during it; muted from
    // the first block after it until the user-interface thread has looked.
    enum { ResumeOff, ResumeArmed, ResumeMuted };
    std::atomic<int> m_resume{ResumeOff};
    // The pause between blocks that counts as the stall's end, set when armed.
    std::atomic<std::chrono::steady_clock::rep> m_resumeAfter{0};
    // When the stream last took a block (steady clock ticks; any thread).
    std::atomic<std::chrono::steady_clock::rep> m_lastBlockAt{0};
    std::chrono::milliseconds m_retryFirst = RetryFirst;

    // The callback feeds the mixer only while m_feeding; m_inside counts callbacks under way,
    // so that disarm() knows when none touches the mixer any more.
    std::atomic<bool> m_feeding{false};
    std::atomic<int> m_inside{0};
    std::atomic<std::uint64_t> m_framesTaken{0};
    std::atomic<int> m_callsOut{0};

    // The first sound of each stream: the session's thread names the opening whose stream starts
    // (and how much it takes at once); its callback counts what that stream took and, once past
    // the prefill, names the opening as sounding and wakes the user-interface thread, which
    // tells whoever waits (m_soundAwaited).
    std::atomic<std::uint64_t> m_prefill{0};
    std::atomic<std::uint64_t> m_streamAttempt{0};
    std::atomic<std::uint64_t> m_streamFrames{0};
    std::atomic<std::uint64_t> m_soundedAttempt{0};
    bool m_soundAwaited = false;
    bool m_soundSeen = false; // by the user-interface thread

    // After a loss: the tries to open again.
    bool m_lost = false;
    bool m_probing = false;
    int m_tries = 0;
    std::atomic<std::uint64_t> m_wantedAttempt{0}; // the try whose stream may stay open
    std::uint64_t m_attempts = 0;
    std::uint64_t m_probeFrom = 0;
    std::chrono::steady_clock::time_point m_probeSince;
    std::unique_ptr<QTimer> m_retry;

    // The buffer's steps.
    std::atomic<double> m_baseBuffer{DefaultBufferTime}; // read by the session's thread
    std::atomic<int> m_step{0};
    bool m_adaptive = true;
    bool m_switching = false;
    bool m_reconnecting = false;
    bool m_growWanted = false;
    std::uint64_t m_underrunsSeen = 0;
    std::deque<std::chrono::steady_clock::time_point> m_recentUnderruns;
    std::chrono::steady_clock::time_point m_quietSince;
    std::chrono::steady_clock::time_point m_idleSince;
    bool m_wasIdle = false;
    std::chrono::milliseconds m_quietStretch = QuietStretch;
    std::function<double()> m_loadGauge;
    int m_loadStep = 0;
    std::unique_ptr<QTimer> m_adapt;
};

// The stream of PortAudio, at the lowest latency the device offers. Its callback thread asks
// for real-time scheduling on its first block and runs on without it when refused.
class PortAudioOutput : public StreamOutput {
public:
    // Starts the sound library in the background, so that it is ready by the first opening.
    PortAudioOutput();
    ~PortAudioOutput() override;

    // `device` is an index into audiodevices::outputDeviceNames(), or -1 for the default.
    double outputLatency() const override;

    // The callback's underflow flags: what a larger buffer would have spared. The device is
    // asked for at least its own lowest latency, whatever the buffer time.
    std::uint64_t underruns() const override { return m_underruns.load(std::memory_order_relaxed); }

    // What the system granted the callback thread of the current stream.
    realtime::Scheduling audioScheduling() const { return m_realtime.scheduling(); }
    // The callback thread's id, 0 before its first block.
    pid_t audioThread() const { return m_realtime.audioThread(); }
    // Threads the sound library started for the stream that were raised with it.
    int feederThreadsRaised() const { return m_realtime.feedersRaised(); }

protected:
    int startStream(int device) override;
    void stopStream(bool lost) override;
    bool streamActive() const override;

private:
    int openStream(int device);
    static int callback(const void *input, void *output, unsigned long frames,
                        const PaStreamCallbackTimeInfo *time, PaStreamCallbackFlags flags,
                        void *self);

    PaStream *m_stream = nullptr;
    realtime::AudioThreadRequest m_realtime;
    std::atomic<std::uint64_t> m_underruns{0};
};
