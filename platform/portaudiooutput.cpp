#include "platform/portaudiooutput.h"

#include "platform/audiodevices.h"
#include "platform/portaudiosession.h"
#include "platform/soundreason.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

namespace {
// How often the stream is watched while buffers are out, and while it is stalled.
constexpr int WatchMs = 100;
constexpr int StallLook = 10;
} // namespace

// ---- StreamOutput ------------------------------------------------------------------------

StreamOutput::StreamOutput()
{
    m_mixer.attachSidetone(&m_sidetone);
    m_eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_eventFd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_eventFd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { deliverDone(); });
    }
    m_watch = std::make_unique<QTimer>();
    m_watch->setInterval(WatchMs);
    m_watch->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_watch.get(), &QTimer::timeout, m_watch.get(), [this] { watch(); });
    m_retry = std::make_unique<QTimer>();
    m_retry->setSingleShot(true);
    QObject::connect(m_retry.get(), &QTimer::timeout, m_retry.get(), [this] { retry(); });
    m_hold = std::make_unique<QTimer>();
    m_hold->setSingleShot(true);
    m_hold->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_hold.get(), &QTimer::timeout, m_hold.get(), [this] { deliverDone(); });
    m_adapt = std::make_unique<QTimer>();
    m_adapt->setInterval(WatchMs);
    QObject::connect(m_adapt.get(), &QTimer::timeout, m_adapt.get(), [this] { adapt(); });
}

StreamOutput::~StreamOutput()
{
    m_adapt.reset();
    m_hold.reset();
    m_retry.reset();
    m_watch.reset();
    m_notifier.reset();
    if (m_eventFd >= 0)
        ::close(m_eventFd);
}

void StreamOutput::finishCalls()
{
    close();
    // The calls run in order: once this one has, every earlier one has.
    while (!PortAudioSession::settle(std::chrono::hours(1))) {
    }
}

void StreamOutput::post(std::function<void()> call)
{
    m_callsOut.fetch_add(1);
    PortAudioSession::post([this, call = std::move(call)] {
        call();
        m_callsOut.fetch_sub(1);
    });
}

// From now on the callback leaves the mixer alone; returns once no callback is inside it
// (a block's mixing takes microseconds, and never waits).
void StreamOutput::disarm()
{
    m_feeding.store(false);
    while (m_inside.load() != 0)
        std::this_thread::yield();
}

int StreamOutput::open(int device)
{
    close();
    if (m_eventFd < 0)
        return paInsufficientMemory;
    m_device = device;
    // A stream given up took the mixer's audio side over; the new stream gets it back.
    m_mixer.release();
    const std::uint64_t attempt = ++m_attempts;
    m_wantedAttempt.store(attempt);
    auto error = std::make_shared<std::atomic<int>>(paTimedOut);
    QSocketNotifier *context = m_notifier.get();
    m_callsOut.fetch_add(1);
    const bool inTime = PortAudioSession::call(
        [this, error, device, attempt] { error->store(openAttempt(device, attempt)); }, OpenBound,
        // Nobody waited for the answer: it comes to this thread.
        [this, error, attempt, context] {
            QMetaObject::invokeMethod(
                context, [this, attempt, answer = error->load()] { openedLate(attempt, answer); },
                Qt::QueuedConnection);
        });
    // Counted out only now: the late answer belongs to the same call.
    PortAudioSession::post([this] { m_callsOut.fetch_sub(1); });
    if (!inTime) {
        // A loaded desktop or a slow (or frozen) server, not a refusal: the stream is taken
        // when it comes, and the timer stands in meanwhile.
        m_lost = true;
        m_tries = 0;
        return paTimedOut;
    }
    if (error->load() != 0)
        return error->load();
    take();
    return 0;
}

// On the session's thread: the stream of an opening, unless another opening or a close came
// after it.
int StreamOutput::openAttempt(int device, std::uint64_t attempt)
{
    m_streamFrames.store(0);
    m_streamAttempt.store(attempt);
    int error = startStream(device);
    if (error == 0 && m_wantedAttempt.load() != attempt) {
        stopStream(true);
        error = paTimedOut;
    }
    return error;
}

// The stream is open and started: from now on it plays.
void StreamOutput::take()
{
    m_feeding.store(true);
    m_open = true;
    m_soundSeen = false;
    m_lastProgress = timeNow();
    m_blocksSeen = m_mixer.blocksRendered();
    startAdapting();
}

// The answer to an opening that did not come within OpenBound.
void StreamOutput::openedLate(std::uint64_t attempt, int error)
{
    if (!m_lost || m_probing || attempt != m_wantedAttempt.load())
        return;
    if (error != 0) {
        // A refusal after all: said once, as a loss is, and the device is tried again later.
        reportFailure(error);
        scheduleRetry();
        return;
    }
    m_lost = false;
    take();
    reportRestored();
}

void StreamOutput::close()
{
    m_retry->stop();
    m_adapt->stop();
    m_lost = false;
    m_switching = false;
    m_reconnecting = false;
    m_wantedAttempt.store(0);
    disarm();
    m_probing = false;
    m_soundAwaited = false;
    endStall();
    if (m_open) {
        m_open = false;
        m_watch->stop();
        // No callback feeds the mixer any more: what it still held goes back as dropped.
        m_mixer.dropAllStopped();
        signalDone();
    }
    // Also ends a stream whose opening nobody waits for any more.
    post([this] { stopStream(false); });
}

bool StreamOutput::isOpen() const
{
    return m_open;
}

bool StreamOutput::awaitSound()
{
    m_soundAwaited = false;
    noticeSound();
    if (!m_open || m_soundSeen)
        return false;
    m_soundAwaited = true;
    // Bounded by the loss limit (see watch()).
    armWatch(timeNow());
    return true;
}

// The stream taken (or being switched to) has taken its first sound.
bool StreamOutput::sounding() const
{
    return m_soundedAttempt.load() == m_wantedAttempt.load();
}

// Once the stream plays: what waited for it is due from now on, and whoever waits is told.
void StreamOutput::noticeSound()
{
    if (m_soundSeen || !m_open || !sounding())
        return;
    m_soundSeen = true;
    const auto now = timeNow();
    m_lastProgress = now;
    if (!m_deadlines.empty() && m_deadlines.front().start < now) {
        const auto late = now - m_deadlines.front().start;
        for (Span &span : m_deadlines) {
            span.start += late;
            span.end += late;
        }
    }
    if (std::exchange(m_soundAwaited, false))
        reportReady();
}

int StreamOutput::write(Tag tag, const std::int16_t *data, std::size_t values)
{
    if (!m_open)
        return paBadStreamPtr;
    if (values % Channels != 0)
        return paInvalidChannelCount;
    if (!data && values > 0)
        return paInternalError;
    if (!m_mixer.push(tag, data, values))
        return paInsufficientMemory;
    // When it would be rendered to its end were the stream running: after what is queued, or
    // after what was handed back (through a stall: the end of the buffer last due).
    const auto now = timeNow();
    const auto toDuration = [](double seconds) {
        return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(seconds));
    };
    const auto starts = std::max(now + toDuration(startDelay()),
                                 m_deadlines.empty() ? m_stalledEnd : m_deadlines.back().end);
    m_deadlines.push_back({starts, starts + toDuration(double(values / Channels) / SampleRate)});
    // A stream that stops, or stopped by itself, would never hand the buffer back. A stream
    // that has taken nothing since it was last watched keeps its stall running.
    if (!m_watch->isActive()) {
        if (const std::uint64_t blocks = m_mixer.blocksRendered(); blocks != m_blocksSeen) {
            m_blocksSeen = blocks;
            m_lastProgress = now;
        }
    }
    armWatch(now);
    return 0;
}

int StreamOutput::reset()
{
    if (!m_open)
        return paBadStreamPtr;
    m_mixer.dropQueued();
    return 0;
}

int StreamOutput::silence()
{
    if (!m_open)
        return paBadStreamPtr;
    m_mixer.fadeOutAll();
    return 0;
}

int StreamOutput::playSound(const std::vector<std::int16_t> &samples)
{
    if (!m_open)
        return paBadStreamPtr;
    if (samples.size() % Channels != 0)
        return paInvalidChannelCount;
    m_mixer.playOneShot(&samples);
    return 0;
}

void StreamOutput::setGain(double gain)
{
    m_mixer.setGain(gain);
}

double StreamOutput::gain() const
{
    return m_mixer.gain();
}

double StreamOutput::startDelay() const
{
    return secondsUntil(&OutputMixer::untilPushedStarts);
}

double StreamOutput::followDelay() const
{
    return secondsUntil(&OutputMixer::untilFollowDeadline);
}

double StreamOutput::secondsUntil(OutputMixer::Clock::duration (OutputMixer::*until)(OutputMixer::Clock::time_point) const) const
{
    if (!m_open)
        return 0.0;
    const auto now = timeNow();
    // Through a stall, a buffer starts (silent) where the one last due would have ended.
    return std::chrono::duration<double>(std::max<std::chrono::steady_clock::duration>((m_mixer.*until)(now),
                                                                                       m_stalledEnd - now))
        .count();
}

void StreamOutput::setFollowMargin(std::chrono::milliseconds margin)
{
    m_mixer.setMarginFrames(static_cast<std::size_t>(margin.count()) * SampleRate / 1000);
}

void StreamOutput::renderBlock(std::int16_t *out, std::size_t frames, OutputMixer::Clock::time_point when)
{
    m_inside.fetch_add(1);
    if (m_feeding.load()) {
        const auto now = timeNow().time_since_epoch().count();
        const auto previous = m_lastBlockAt.exchange(now, std::memory_order_relaxed);
        // Back after a stall with a buffer written meanwhile: silent until the user-interface
        // thread has seen whether that buffer is still in step (see watch()).
        if (int armed = ResumeArmed; m_resume.load() == ResumeArmed
                                     && now - previous >= m_resumeAfter.load(std::memory_order_relaxed))
            m_resume.compare_exchange_strong(armed, ResumeMuted);
        if (m_resume.load() == ResumeMuted)
            std::fill(out, out + frames * Channels, std::int16_t{0});
        else if (m_mixer.render(out, frames, when))
            signalDone();
        m_framesTaken.fetch_add(frames, std::memory_order_relaxed);
    } else {
        std::fill(out, out + frames * Channels, std::int16_t{0});
    }
    // What a stream takes beyond the prefill has left for the device: it plays. Said after the
    // block's time is set, which the watch then reads.
    if (const std::uint64_t attempt = m_streamAttempt.load(); m_soundedAttempt.load(std::memory_order_relaxed) != attempt
        && m_streamFrames.fetch_add(frames, std::memory_order_relaxed) + frames > m_prefill.load(std::memory_order_relaxed)) {
        m_soundedAttempt.store(attempt);
        signalDone();
    }
    m_inside.fetch_sub(1);
}

void StreamOutput::signalDone()
{
    // A write to an eventfd neither blocks nor allocates: safe on the audio thread.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_eventFd, &one, sizeof one);
}

void StreamOutput::deliverDone()
{
    // Clear the count before taking the tags, so a tag pushed meanwhile wakes us again.
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_eventFd, &count, sizeof count);
    m_sidetone.deliverDone();
    noticeSound();
    // Sound silenced after a stall comes back when it would have ended.
    if (const auto now = timeNow(); now < m_holdUntil) {
        m_hold->start(std::chrono::ceil<std::chrono::milliseconds>(m_holdUntil - now));
        return;
    }
    Tag tag = 0;
    bool dropped = false;
    // One at a time: a handler may run the event loop and take the next ones itself.
    while (m_mixer.popDone(tag, &dropped)) {
        if (!m_deadlines.empty())
            m_deadlines.pop_front();
        reportDone(tag, dropped);
    }
}

// While buffers are out, the stream must keep asking for blocks; a stream opened again after
// a loss must start to.
void StreamOutput::watch()
{
    const auto now = timeNow();
    if (m_probing) {
        if (m_framesTaken.load() - m_probeFrom >= ProbeFrames)
            endProbe(true);
        else if (now - m_probeSince >= ProbeWait)
            endProbe(false);
        return;
    }
    if (!m_open || (m_mixer.outstanding() == 0 && !m_soundAwaited)) {
        m_watch->stop();
        return;
    }
    if (!m_reconnecting && !callsPending() && !streamActive())
        reconnect();
    noticeSound();
    if (!m_soundSeen) {
        // A new stream that has yet to play: what is written waits for it, up to the loss limit.
        if (now - m_lastProgress >= m_lossLimit) {
            giveUp(paDeviceUnavailable);
            return;
        }
        armWatch(now);
        return;
    }
    const auto lastBlock = lastBlockAt();
    const auto cut = stallCut();
    // A block taken silent just after a stall counts as sound taken too.
    if (const std::uint64_t blocks = m_mixer.blocksRendered(); blocks != m_blocksSeen || now - lastBlock < cut) {
        m_blocksSeen = blocks;
        m_lastProgress = now;
    } else if (now - m_lastProgress >= m_lossLimit) {
        giveUp(paDeviceUnavailable);
        return;
    }
    // Stalled, but not lost (yet). With lines keyed from the text, a buffer due now is given
    // back as the running stream would have, so the text, its keying and its end keep their
    // time; otherwise it waits. The stream plays what follows once it takes sound again.
    if (!m_deadlines.empty() && now - lastBlock >= cut) {
        if (!m_stalled) {
            m_stalled = true;
            m_stallFrom = lastBlock;
        }
        if (m_keepTime && now >= m_deadlines.front().end - margin() && m_mixer.takeOver()) {
            // What was queued behind it (a noise tail) would have been cut by the next buffer.
            m_stalledEnd = m_deadlines.front().end;
            m_mixer.dropAllStopped();
            m_mixer.release();
            m_resumeAfter.store(std::chrono::steady_clock::duration(cut).count(), std::memory_order_relaxed);
            m_resume.store(ResumeArmed);
            signalDone();
        }
    } else if (m_stalled && now - lastBlock < cut) {
        m_stalled = false;
        // Taking sound again: a buffer written during the stall would now sound late, out of
        // step with its keying, which has gone on. It is dropped unheard and comes back when it
        // would have ended; the next one is heard in step.
        if (m_keepTime && !m_deadlines.empty() && m_deadlines.front().start >= m_stallFrom
            && now - m_deadlines.front().start >= cut) {
            m_holdUntil = m_deadlines.front().end - margin();
            m_stalledEnd = m_deadlines.front().end;
            // The callback has rendered none of it: it stays silent until this is seen.
            m_mixer.dropQueued();
        }
        m_resume.store(ResumeOff);
    }
    armWatch(now);
}

// The next look comes when the first buffer out is due, or when a stalled stream's block is
// this late, and at least every WatchMs.
void StreamOutput::armWatch(std::chrono::steady_clock::time_point now)
{
    using namespace std::chrono;
    auto next = milliseconds(WatchMs);
    if (m_keepTime && !m_deadlines.empty()) {
        const auto due = std::max(m_deadlines.front().end - margin(), lastBlockAt() + stallCut());
        next = std::clamp(ceil<milliseconds>(due - now), milliseconds(1), next);
        // While stalled, the stream's return is seen within a few milliseconds.
        if (m_stalled)
            next = std::min(next, milliseconds(StallLook));
    }
    if (!m_watch->isActive() || m_watch->remainingTimeAsDuration() > next)
        m_watch->start(next);
}

// Nothing waits for a stalled stream's timing any more: reports go out as they come.
void StreamOutput::endStall()
{
    m_resume.store(ResumeOff);
    m_stalled = false;
    m_holdUntil = {};
    m_stalledEnd = {};
    m_hold->stop();
}

// A stall is one that no hiccup of a running stream reaches.
std::chrono::milliseconds StreamOutput::stallCut() const
{
    return std::max(m_stallCut, twoBuffers());
}

// A device with a larger buffer asks for larger blocks, further apart, and a pause of its
// buffer's length is no hole yet.
std::chrono::milliseconds StreamOutput::twoBuffers() const
{
    return std::chrono::milliseconds(std::lround(2000 * bufferTime()));
}

// What the writer gets after a report: a buffer is due back this long before its end.
std::chrono::steady_clock::duration StreamOutput::margin() const
{
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(double(m_mixer.marginFrames()) / SampleRate));
}

std::chrono::steady_clock::time_point StreamOutput::lastBlockAt() const
{
    return std::chrono::steady_clock::time_point(
        std::chrono::steady_clock::duration(m_lastBlockAt.load(std::memory_order_relaxed)));
}

void StreamOutput::giveUp(int error)
{
    // A block being rendered right now means the stream lives after all.
    if (!m_mixer.takeOver())
        return;
    disarm();
    post([this] { stopStream(true); });
    lose(error);
}

// The stream is stopped or going to be, and no callback touches the mixer.
void StreamOutput::lose(int error)
{
    m_open = false;
    m_switching = false;
    m_reconnecting = false;
    m_soundAwaited = false;
    m_watch->stop();
    m_adapt->stop();
    endStall();
    m_mixer.dropAllStopped();
    m_lost = true;
    m_tries = 0;
    scheduleRetry();
    // The reports come from the event loop, after the owner has heard of the loss, so the
    // next buffer goes to no dead device. The owner may wait in a message box: the tries go
    // on and the reports come meanwhile, so nothing (PTT least of all) waits for its answer.
    signalDone();
    reportFailure(error);
}

// ---- Opening again after a loss ------------------------------------------------------------

void StreamOutput::scheduleRetry()
{
    const auto wait = std::min(m_retryFirst * (m_tries + 1), std::max(m_retryFirst, RetryLast));
    ++m_tries;
    m_retry->start(wait);
}

void StreamOutput::retry()
{
    if (m_reconnecting) {
        if (callsPending())
            m_retry->start(ReconnectEvery);
        else
            openInBackground(false, &StreamOutput::reconnected);
        return;
    }
    if (!m_lost)
        return;
    // The session's thread is still held by an earlier call (a frozen server): no pile-up.
    if (callsPending()) {
        scheduleRetry();
        return;
    }
    openInBackground(false, &StreamOutput::probeOpened);
}

// On the session's thread: opens a stream (after stopping the one open, when `restart`; what
// the device holds plays out) as a new try; `then(try, error)` follows on this thread.
void StreamOutput::openInBackground(bool restart, void (StreamOutput::*then)(std::uint64_t, int))
{
    const std::uint64_t attempt = ++m_attempts;
    m_wantedAttempt.store(attempt);
    QSocketNotifier *context = m_notifier.get();
    post([this, attempt, context, restart, then, device = m_device] {
        if (restart)
            stopStream(false);
        const int error = openAttempt(device, attempt);
        QMetaObject::invokeMethod(
            context, [this, attempt, error, then] { (this->*then)(attempt, error); }, Qt::QueuedConnection);
    });
}

void StreamOutput::probeOpened(std::uint64_t attempt, int error)
{
    if (!m_lost || attempt != m_wantedAttempt.load())
        return;
    if (error != 0) {
        scheduleRetry();
        return;
    }
    m_mixer.release();
    m_probeFrom = m_framesTaken.load();
    m_probeSince = timeNow();
    m_probing = true;
    m_feeding.store(true);
    m_watch->start(WatchMs);
}

void StreamOutput::endProbe(bool back)
{
    m_probing = false;
    m_watch->stop();
    if (back) {
        m_lost = false;
        m_open = true;
        m_soundSeen = true;
        m_lastProgress = timeNow();
        m_blocksSeen = m_mixer.blocksRendered();
        startAdapting();
        reportRestored();
        return;
    }
    disarm();
    m_wantedAttempt.store(0);
    post([this] { stopStream(true); });
    scheduleRetry();
}

// ---- The buffer's steps --------------------------------------------------------------------

double StreamOutput::bufferTime() const
{
    const double base = m_baseBuffer.load();
    return std::max(base, std::min(MaxBufferTime, std::ldexp(base, m_step.load())));
}

void StreamOutput::startAdapting()
{
    m_underrunsSeen = underruns();
    m_recentUnderruns.clear();
    m_growWanted = false;
    m_quietSince = timeNow();
    m_wasIdle = false;
    if (m_adaptive)
        m_adapt->start();
}

bool StreamOutput::idle() const
{
    return m_mixer.outstanding() == 0 && m_sidetone.lastKeyDown() == m_sidetone.endedReported();
}

int StreamOutput::loadStepFor(double perCore, double base)
{
    // With a task waiting for every core, a sound server's normal-priority thread misses its
    // turn by more than 10 ms: from there on two steps up, one more per core's worth.
    if (!(perCore >= 1.0))
        return 0;
    const int top = static_cast<int>(std::lround(std::log2(MaxBufferTime / base)));
    return std::clamp(static_cast<int>(perCore) + 1, 0, std::max(0, top));
}

int StreamOutput::stepForLoad()
{
    return m_loadGauge ? loadStepFor(m_loadGauge(), m_baseBuffer.load()) : 0;
}

void StreamOutput::adapt()
{
    if (!m_open || m_switching || m_reconnecting)
        return;
    const auto now = timeNow();
    const bool isIdle = idle();
    m_loadStep = stepForLoad();
    const std::uint64_t count = underruns();
    if (count != m_underrunsSeen) {
        m_quietSince = now;
        // Running dry between texts is heard by nobody.
        if (!isIdle || !m_wasIdle) {
            for (std::uint64_t k = m_underrunsSeen; k != count && int(m_recentUnderruns.size()) < GrowAfter; ++k)
                m_recentUnderruns.push_back(now);
        }
        m_underrunsSeen = count;
    }
    while (!m_recentUnderruns.empty() && now - m_recentUnderruns.front() > GrowWindow)
        m_recentUnderruns.pop_front();
    if (int(m_recentUnderruns.size()) >= GrowAfter) {
        m_recentUnderruns.clear();
        m_growWanted = true;
    }
    const int step = m_step.load();
    // A step the load still calls for is no quiet stretch for the step below it.
    if (m_loadStep >= step)
        m_quietSince = now;
    if (isIdle && !m_wasIdle)
        m_idleSince = now;
    m_wasIdle = isIdle;
    // Switched only when nothing sounds, nor still sits in the device's buffer.
    if (!isIdle || now - m_idleSince < IdleBefore)
        return;
    const bool canGrow = std::ldexp(m_baseBuffer.load(), step + 1) <= MaxBufferTime + 1e-9;
    // Straight to the step the load calls for: every opening costs the server's start.
    const int wanted = std::max(m_loadStep, m_growWanted && canGrow ? step + 1 : step);
    if (wanted > step)
        switchBuffer(wanted);
    else if (step > 0 && now - m_quietSince >= m_quietStretch)
        switchBuffer(step - 1);
    m_growWanted = m_growWanted && canGrow;
}

// The stream is opened again with the step's buffer; meanwhile written buffers wait in the mixer.
void StreamOutput::switchBuffer(int step)
{
    m_step.store(step);
    m_switching = true;
    m_soundSeen = false;
    m_lastProgress = timeNow();
    m_growWanted = false;
    disarm();
    openInBackground(true, &StreamOutput::switched);
}

void StreamOutput::switched(std::uint64_t attempt, int error)
{
    if (!m_switching || attempt != m_wantedAttempt.load())
        return;
    m_switching = false;
    if (error != 0) {
        // Refused now, maybe not in a moment (a server restarting).
        m_reconnecting = true;
        m_retry->start(ReconnectEvery);
        return;
    }
    take();
}

// ---- A stream that stopped by itself -------------------------------------------------------

// Its server went away, and may be restarting: a new stream is opened at once, and again every
// ReconnectEvery while refused. Meanwhile what is written waits, or keeps its time, as through
// a stall; only when it is not back within the loss limit of the stop does it count as lost.
void StreamOutput::reconnect()
{
    m_reconnecting = true;
    // The loss limit counts from the stop: a stall before it was no loss either.
    m_lastProgress = timeNow();
    disarm();
    post([this] { stopStream(true); });
    openInBackground(false, &StreamOutput::reconnected);
}

void StreamOutput::reconnected(std::uint64_t attempt, int error)
{
    if (!m_reconnecting || attempt != m_wantedAttempt.load())
        return;
    if (error != 0) {
        if (timeNow() - m_lastProgress >= m_lossLimit)
            giveUp(error);
        else
            m_retry->start(ReconnectEvery);
        return;
    }
    // The same output on a new stream: what was heard before counts, as after a stall.
    m_reconnecting = false;
    m_lastProgress = timeNow();
    m_blocksSeen = m_mixer.blocksRendered();
    m_feeding.store(true);
    startAdapting();
}

// ---- PortAudioOutput -----------------------------------------------------------------------

PortAudioOutput::PortAudioOutput()
{
    PortAudioSession::startSoon();
}

PortAudioOutput::~PortAudioOutput()
{
    finishCalls();
}

int PortAudioOutput::startStream(int device)
{
    // The session's start probes every device under a capture of its own; the opening's own
    // chatter is kept off the terminal too, and a failure is told once in the library's words.
    if (const int error = PortAudioSession::start(); error != paNoError)
        return error;
    PortAudioSession::Capture capture;
    const int error = openStream(device);
    if (error != paNoError)
        capture.failed(SoundDeviceFailure(device, false));
    return error;
}

// Once the session has started (startStream).
int PortAudioOutput::openStream(int device)
{
    const PaDeviceIndex index = audiodevices::outputDeviceIndex(device);
    const PaDeviceInfo *info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
    if (!info)
        return paInvalidDevice;

    PaStreamParameters parameters{};
    parameters.device = index;
    parameters.channelCount = Channels;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = std::max(info->defaultLowOutputLatency, bufferTime());
    PaStream *stream = nullptr;
    const std::vector<pid_t> before = realtime::threadsOfThisProcess();
    PaError error = Pa_OpenStream(&stream, nullptr, &parameters, SampleRate,
                                  paFramesPerBufferUnspecified, paNoFlag, &PortAudioOutput::callback,
                                  this);
    if (error != paNoError)
        return error;
    // ALSA fills the device's buffer (its latency and a period) before the device plays.
    if (const PaStreamInfo *opened = Pa_GetStreamInfo(stream))
        setPrefill(static_cast<std::uint64_t>(std::ceil(2 * opened->outputLatency * SampleRate)));
    // The threads the device's library started for this stream (PulseAudio's ALSA plugin
    // carries every block to the server on one): the callback would wait on them.
    m_realtime.arm(realtime::threadsStartedSince(before));
    error = Pa_StartStream(stream);
    if (error != paNoError) {
        Pa_CloseStream(stream);
        return error;
    }
    m_stream = stream;
    return paNoError;
}

void PortAudioOutput::stopStream(bool lost)
{
    if (!m_stream)
        return;
    if (lost)
        Pa_AbortStream(m_stream);
    else
        Pa_StopStream(m_stream);
    Pa_CloseStream(m_stream);
    m_stream = nullptr;
}

bool PortAudioOutput::streamActive() const
{
    return m_stream && Pa_IsStreamActive(m_stream) == 1;
}

double PortAudioOutput::outputLatency() const
{
    // The stream belongs to the session's thread while a call on it is under way.
    if (!isOpen() || callsPending() || !m_stream)
        return 0.0;
    const PaStreamInfo *info = Pa_GetStreamInfo(m_stream);
    return info ? info->outputLatency : 0.0;
}

int PortAudioOutput::callback(const void *, void *output, unsigned long frames,
                              const PaStreamCallbackTimeInfo *, PaStreamCallbackFlags flags, void *self)
{
    auto *me = static_cast<PortAudioOutput *>(self);
    me->m_realtime.onAudioThread();
    if (flags & paOutputUnderflow)
        me->m_underruns.fetch_add(1, std::memory_order_relaxed);
    me->renderBlock(static_cast<std::int16_t *>(output), frames);
    return paContinue;
}
