#pragma once

// Sound output over one stream: 22050 Hz, 2 channels, 16 bit, opened once and kept open.
// The stream always runs (silence when nothing is queued); written buffers are played in
// order by its callback through the mixer, which hands each finished or dropped one back
// and wakes the thread that created the object (the user-interface thread), where the done
// handler then runs, once per buffer, in the order written.
//
// The stream is opened, started, stopped and closed on the sound session's thread
// (PortAudioSession): the user-interface thread waits at most OpenBound for an opening and
// never for a closing, so a sound server that freezes freezes no window.
//
// The link to the device goes through these states (Link), each change in one place:
//
//   Closed --open()--> Starting --first sound--> Playing --idle, buffer step--> Switching
//   open() past OpenBound: Opening --answer--> Starting (refused: Lost, said)
//   Switching --new stream--> Starting (refused: Reconnecting)
//   Starting, Playing --stream stopped by itself--> Reconnecting --new stream--> Playing
//   Starting, Switching, Playing, Reconnecting --LossLimit without sound--> Lost (said once)
//   Lost --RetryFirst .. RetryLast--> Probing --ProbeFrames taken--> Playing (restored handler)
//   Probing --nothing within ProbeWait--> Lost
//   any --close()--> Closed
//
// A new stream takes its first sound only once the device plays: a sound server's may take a
// second or two (it fills the device's buffer at once, then waits). Until then (Starting,
// Switching) awaitSound() is true, and what is written waits for it. A stream that stops by
// itself (its server gone, perhaps restarting) is opened anew at once and every ReconnectEvery,
// while what is written waits as through a stall. Past LossLimit without sound (no block taken
// with buffers out, no first sound while something waits for it, no new stream after a stop)
// the device counts as lost (unplugged, a server gone for good): the failure handler runs once,
// and every buffer out is reported done. The output then opens a stream again by itself and
// counts it back once it has played.
//
// The stall (Stall) of a stream that plays: Stalled once it has taken no block for StallAfter
// (two buffers at least) while sound is due; Resuming after it while the reports of a buffer
// dropped for being late are held. While lines are keyed from the text (setKeepTime), a stall
// keeps the text's time: a buffer due while the stream takes nothing is given back when a
// running stream would have given it, and one written meanwhile that would sound late once
// the stream is back is dropped unheard and given back at its own time. So the keying, which
// follows the reports, and the PTT's release at the text's end never wait for it. Otherwise
// the text waits for its sound through any stall short of a loss, so that a loaded desktop or
// a restarting server delays it rather than cuts it.
//
// A stream whose device runs dry while sound plays, or whose machine is crowded (a sound
// server's threads at normal priority then miss their turn), is opened anew a step up the
// BufferSteps at the next idle moment, so no sound is cut and the user-interface thread waits
// for nothing; after QuietStretch without running dry and without the load that called for
// it, it goes back a step, again only when idle. Every buffer is still reported done once, in
// order.
//
// Create, open, write, reset and close on the user-interface thread only.

#include "platform/audiooutput.h"
#include "platform/outputmixer.h"
#include "platform/portaudiosession.h"
#include "platform/realtime.h"
#include "platform/sidetonevoice.h"
#include "platform/wakeup.h"

#include <portaudio.h>

#include <QTimer>

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// The part common to every stream: the mixer, the done reports and the watch on the stream.
// A stream calls renderBlock() from its own thread between startStream() and stopStream().
//
// Its destruction: the derived class calls finishCalls() in its own destructor, which closes
// and then waits, without bound, until the session's thread has run every call of this
// output (a stream of a half-destroyed object must not be called). A frozen sound server
// would hold it for as long as it stays frozen, so an owner that may meet one (the sound
// engine at the end of the program) asks PortAudioSession::held() first and leaves the
// output undestroyed when it is held.
class StreamOutput : public AudioOutput {
public:
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::milliseconds;

    // ---- The program's limits, in one place ----------------------------------------------
    // No sound this long (with buffers out, or while a first sound or a new stream is waited
    // for) is a lost device. On a desktop loaded four times over, PulseAudio's recovery from an
    // underrun took up to 2 s (bench_soundloss); a lost server never comes back within this.
    static constexpr Ms LossLimit{3000};
    // A stream that has taken no block this long while sound is due is stalled: a block
    // missing for this long is a hole already at the lowest buffer step (at larger steps, two
    // buffers' time).
    static constexpr Ms StallAfter{40};
    // The longest the user-interface thread waits for a stream to open.
    static constexpr Ms OpenBound = PortAudioSession::OpenBound;
    // A stream that stopped by itself (its server restarting) is opened again this often.
    static constexpr Ms ReconnectEvery{200};
    // After a loss: the first new try, and the longest wait between tries.
    static constexpr Ms RetryFirst{1000};
    static constexpr Ms RetryLast{5000};
    // A stream opened again after a loss counts as back once it has played this much
    // (0.2 s)...
    static constexpr std::uint64_t ProbeFrames = SampleRate / 5;
    // ...within this time; else it is closed and tried again later.
    static constexpr Ms ProbeWait{4000};
    // The buffer asked of the device, in seconds, at each step: from the quickest to what
    // kept a sound server fed with two to three tasks waiting for each core.
    static constexpr std::array<double, 4> BufferSteps{0.010, 0.020, 0.040, 0.080};
    static constexpr double DefaultBufferTime = BufferSteps.front();
    static constexpr double MaxBufferTime = BufferSteps.back();
    static constexpr int TopStep = int(BufferSteps.size()) - 1;
    // At the lowest step the buffer is asked for in this many blocks: each callback, of the
    // sound library and of a sound server's client alike, costs the same on an idle machine
    // whatever its length, and two blocks of 5 ms cost half of what the device's own choice
    // (four or five) does, while a key-down still waits at most one of them for its sidetone.
    // Above it, on a crowded machine, the device's choice: more blocks, more time to spare.
    static constexpr int LowestStepBlocks = 2;
    // A step down after this long without running dry and without the load that called for
    // the step...
    static constexpr Ms QuietStretch{60000};
    // ...and any switch of steps only once the output has been idle (no buffer out, no
    // sidetone) this long.
    static constexpr Ms IdleBefore{300};
    // How often the stream is watched while sound is due, while it is stalled, and how often
    // the buffer's step is reconsidered.
    static constexpr Ms WatchEvery{100};
    static constexpr Ms StallWatchEvery{10};
    static constexpr Ms AdaptEvery{100};

    // The limits an output runs with: the program's, unless a test or a benchmark set its own.
    struct Limits {
        Ms loss = LossLimit;
        Ms stallAfter = StallAfter;
        Ms retryFirst = RetryFirst;
        Ms quietStretch = QuietStretch;
    };

    StreamOutput();
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
    // Not open, but trying the device again: an opening past its bound, or after a loss.
    bool reopening() const override;
    bool awaitSound() override;
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
    bool stalled() const override { return m_stall == Stall::Stalled; }
    // The voice is mixed while the stream runs; its endings come with the done reports.
    SidetoneVoice *sidetone() override { return isOpen() ? &m_sidetone : nullptr; }
    // Keeping time: lines keyed from the text follow its own clock through a stall, and a
    // buffer that would sound late after it is not heard; else the sound is what counts.
    void setKeepTime(bool keep) override { m_keepTime = keep; }

    // The time the writer gets to follow a reported buffer (OutputMixer::DefaultMarginFrames).
    void setFollowMargin(std::chrono::milliseconds margin);
    // Limits in place of the program's (LossLimit, StallAfter, RetryFirst, QuietStretch).
    void setLossLimit(Ms limit) { m_limits.loss = limit; }
    void setStallAfter(Ms after) { m_limits.stallAfter = after; }
    void setRetryInterval(Ms first) { m_limits.retryFirst = first; }
    void setQuietStretch(Ms quiet) { m_limits.quietStretch = quiet; }
    const Limits &limits() const { return m_limits; }

    // Blocks the device ran dry before, since the output was made.
    virtual std::uint64_t underruns() const { return 0; }
    // The buffer asked of the device at the lowest step, in place of BufferSteps' first (the
    // steps above it grow in the same ratios; the stream open now keeps its own).
    void setBufferTime(std::chrono::duration<double> seconds) { m_baseBuffer = seconds.count(); }
    // The buffer the next opening asks for: the step's.
    double bufferTime() const;
    // The block the next opening asks for, in frames (0: the device's choice); the block asked
    // for a buffer of `bufferTime` seconds at `step`.
    std::size_t blockFrames() const;
    static std::size_t blockFramesAt(int step, double bufferTime);
    // Off: the buffer stays at the lowest step (a benchmark of one buffer time).
    void setAdaptive(bool adaptive) { m_adaptive = adaptive; }
    // How crowded the processors are, in tasks waiting to run per core (RunQueueGauge; negative
    // while unknown). With it, from one waiting task per core on, the buffer takes two steps up
    // and one more per further core's worth at the next idle moment, before the device runs
    // dry. Read at every adapting tick.
    void setLoadGauge(std::function<double()> perCore) { m_loadGauge = std::move(perCore); }
    // The step the load calls for now (0 without a gauge).
    int loadStep() const { return m_loadStep; }
    // The step `perCore` waiting tasks per core call for.
    static int loadStepFor(double perCore);

protected:
    // On the session's thread: opens and starts the stream on `device`; 0 or an error number.
    virtual int startStream(int device) = 0;
    // On the session's thread: stops and closes it (nothing when none is open); no
    // renderBlock() runs afterwards. `lost`: the device is gone, so nothing should wait for
    // what it holds.
    virtual void stopStream(bool lost) = 0;
    // False once the stream has stopped by itself. Asked only while no call is pending.
    virtual bool streamActive() const = 0;
    // On the session's thread, before the stream starts: the frames it takes at once to fill
    // the device's buffer, which are no sound played yet (0: it takes blocks as it plays them).
    void setPrefill(std::uint64_t frames) { m_prefill.store(frames, std::memory_order_relaxed); }

    // The stream's callback: one block of sound, asked for at `when` (now by default).
    void renderBlock(std::int16_t *out, std::size_t frames, Clock::time_point when = Clock::now());

    // The time the output goes by (any thread): the steady clock. A device that keeps a clock
    // of its own gives its time here and the same clock's times to renderBlock(), says so in
    // ownClock(), and then runs the output's timers itself as its clock passes them
    // (nextTimer(), runTimers()).
    virtual Clock::time_point timeNow() const { return Clock::now(); }
    virtual bool ownClock() const { return false; }
    // When the output's next timer is due on that clock (time_point::max() when none runs).
    Clock::time_point nextTimer() const;
    // Runs every timer due by timeNow(), in their order.
    void runTimers();

    // Calls given to the session's thread that have not run yet.
    bool callsPending() const { return m_callsOut.load() != 0; }
    // For the derived destructor: closes, and waits until the session's thread has run every
    // call of this output (see the class).
    void finishCalls();

private:
    enum class Link {
        Closed,       // nothing open, nothing tried
        Opening,      // open() ran past its bound; its answer is awaited (the timer stands in)
        Starting,     // a new stream runs and is fed but has yet to take its first sound
        Playing,      // the stream plays
        Switching,    // reopening at another buffer step; what is written waits
        Reconnecting, // the stream stopped by itself; new ones are tried until the loss limit
        Lost,         // given up and said; tried again later
        Probing,      // a stream opened again after a loss, until it has played ProbeFrames
    };
    enum class Stall {
        None,     // the stream takes sound, or nothing is due
        Stalled,  // no block for the stall's limit while sound is due
        Resuming, // back, the reports held until a buffer dropped for being late would have ended
    };
    // The callback's side of a stall (keeping time): armed once a buffer is given back during
    // it; muted from the first block after it until the user-interface thread has looked.
    enum class Mute { Off, Armed, Muted };
    struct Span {
        Clock::time_point start, end;
    };
    // One of the output's timers, on its clock (timeNow()).
    class Timer {
    public:
        Timer(StreamOutput &owner, void (StreamOutput::*fire)(), bool repeating, bool precise);
        void start(Clock::duration after);
        void stop();
        bool active() const { return m_due.has_value(); }
        Clock::duration remaining() const;
        Clock::time_point due() const { return m_due.value_or(Clock::time_point::max()); }
        void fire();

    private:
        StreamOutput &m_owner;
        void (StreamOutput::*m_fire)();
        const bool m_repeating;
        QTimer m_wall;
        Clock::duration m_interval{};
        std::optional<Clock::time_point> m_due;
    };

    // The link's changes.
    int openNow(int device);
    void openedLate(std::uint64_t attempt, int error);
    void becomeOpen(Link link);
    void noticeSound();
    void switchBuffer(int step);
    void switched(std::uint64_t attempt, int error);
    void reconnect();
    void reconnected(std::uint64_t attempt, int error);
    void loseStream(int error);
    void scheduleRetry();
    void retry();
    void probeOpened(std::uint64_t attempt, int error);
    void watchProbe(Clock::time_point now);
    void teardown();
    void openAgain(bool restart, void (StreamOutput::*then)(std::uint64_t, int));
    int openAttempt(int device, std::uint64_t attempt);
    bool sounding() const;
    bool linkOpen() const;

    // The stall's changes.
    void enterStall(Clock::time_point lastBlock);
    void giveBackDue(Clock::duration after);
    void leaveStall(Clock::time_point now, Clock::duration after);
    void clearStall();

    // The watch, the reports and the steps.
    double secondsUntil(Clock::duration (OutputMixer::*until)(Clock::time_point) const) const;
    void watch();
    void armWatch(Clock::time_point now);
    void deliverDone();
    void adapt();
    void startAdapting();
    bool idle() const;
    int stepForLoad() const;
    Clock::duration stallAfter() const;
    Clock::duration margin() const;
    Clock::time_point lastBlockAt() const;
    void post(std::function<void()> call);
    void answer(std::function<void()> then);
    void takeAnswers();
    std::shared_ptr<void> countCall();
    void disarm();

    // ---- Shared with the audio callback ----
    SidetoneVoice m_sidetone; // before the mixer, which reads it
    OutputMixer m_mixer;
    // The callback feeds the mixer only while m_feeding; m_inside counts callbacks under way,
    // so that disarm() knows when none touches the mixer any more.
    std::atomic<bool> m_feeding{false};
    std::atomic<int> m_inside{0};
    std::atomic<Mute> m_mute{Mute::Off};
    // The pause between blocks that counts as the stall's end, set when armed.
    std::atomic<Clock::rep> m_muteAfter{0};
    // When the stream last took a block (clock ticks), and frames fed in all.
    std::atomic<Clock::rep> m_lastBlockAt{0};
    std::atomic<std::uint64_t> m_framesTaken{0};
    // Each stream's sound: the session's thread names the opening whose stream starts (and
    // how much it takes at once); its callback counts what it takes and, once past the
    // prefill, names that opening as sounding and wakes the user-interface thread.
    std::atomic<std::uint64_t> m_prefill{0};
    std::atomic<std::uint64_t> m_streamAttempt{0};
    std::atomic<std::uint64_t> m_streamFrames{0};
    std::atomic<std::uint64_t> m_soundedAttempt{0};
    // Wakes the user-interface thread: reports, a stream's first sound.
    Wakeup m_wakeup;

    // ---- Shared with the session's thread ----
    std::atomic<std::uint64_t> m_wantedAttempt{0}; // the opening whose stream may stay open
    // Its answers to openings, taken on the user-interface thread (answer(), takeAnswers()).
    std::mutex m_answersMutex;
    std::deque<std::function<void()>> m_answers;
    std::atomic<int> m_callsOut{0};
    std::atomic<double> m_baseBuffer{DefaultBufferTime};
    std::atomic<int> m_step{0};

    // ---- User-interface thread ----
    Link m_link = Link::Closed;
    Stall m_stall = Stall::None;
    int m_device = -1;
    Limits m_limits;
    bool m_keepTime = false;
    bool m_soundAwaited = false; // the ready handler is owed once the stream plays
    std::uint64_t m_attempts = 0;
    // Sound taken: the blocks seen at the last look and when they last moved on.
    std::uint64_t m_blocksSeen = 0;
    Clock::time_point m_lastProgress;
    // For each buffer out, in order: when it would be rendered from and to, were the stream
    // taking sound.
    std::deque<Span> m_deadlines;
    // Through a stall: since when, and when the buffer last given back would have ended;
    // reports held until m_holdUntil.
    Clock::time_point m_stallFrom, m_stalledEnd, m_holdUntil;
    // After a loss.
    int m_tries = 0;
    Clock::time_point m_probeSince;
    // The buffer's steps.
    bool m_adaptive = true;
    bool m_growWanted = false;
    std::uint64_t m_underrunsSeen = 0;
    Clock::time_point m_quietSince;
    std::optional<Clock::time_point> m_idleSince;
    std::function<double()> m_loadGauge;
    int m_loadStep = 0;
    Timer m_watch{*this, &StreamOutput::watch, true, true};
    Timer m_hold{*this, &StreamOutput::deliverDone, false, true};
    Timer m_retry{*this, &StreamOutput::retry, false, false};
    Timer m_adapt{*this, &StreamOutput::adapt, true, false};
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
