#include "platform/portaudiooutput.h"

#include "platform/audiodevices.h"
#include "platform/portaudiosession.h"
#include "platform/soundreason.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

// How the limits relate.
static_assert(StreamOutput::StallAfter.count() >= 2000 * StreamOutput::DefaultBufferTime,
              "a stall is two of the lowest step's buffers at least");
static_assert(StreamOutput::StallWatchEvery < StreamOutput::StallAfter && StreamOutput::WatchEvery < StreamOutput::LossLimit,
              "the watch looks within the time it watches for");
static_assert(StreamOutput::OpenBound < StreamOutput::LossLimit && 2 * StreamOutput::ReconnectEvery < StreamOutput::LossLimit,
              "an opening, and several tries of a restarting server, fit within the loss limit");
static_assert(2000 * StreamOutput::MaxBufferTime < StreamOutput::LossLimit.count(),
              "a pause of two of the largest buffers is no loss");
static_assert(StreamOutput::RetryFirst <= StreamOutput::RetryLast, "the tries after a loss grow apart");
static_assert(StreamOutput::ProbeFrames * 1000 < StreamOutput::ProbeWait.count() * std::uint64_t(StreamOutput::SampleRate),
              "a stream that plays is counted back within the probe's wait");
static_assert(StreamOutput::IdleBefore < StreamOutput::QuietStretch, "a step down waits for idleness too");
static_assert(
    [] {
        for (std::size_t k = 1; k < StreamOutput::BufferSteps.size(); ++k) {
            if (StreamOutput::BufferSteps[k] != 2 * StreamOutput::BufferSteps[k - 1])
                return false;
        }
        return true;
    }(),
    "each buffer step doubles the one below");

namespace {

StreamOutput::Clock::duration asDuration(double seconds)
{
    return std::chrono::duration_cast<StreamOutput::Clock::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

// ---- Timers ------------------------------------------------------------------------------

StreamOutput::Timer::Timer(StreamOutput &owner, void (StreamOutput::*fire)(), bool repeating, bool precise)
    : m_owner(owner), m_fire(fire), m_repeating(repeating)
{
    m_wall.setSingleShot(true);
    if (precise)
        m_wall.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_wall, &QTimer::timeout, &m_wall, [this] { this->fire(); });
}

void StreamOutput::Timer::start(Clock::duration after)
{
    m_interval = std::max(after, Clock::duration(1));
    m_due = m_owner.timeNow() + m_interval;
    if (m_owner.ownClock())
        m_wall.stop();
    else
        m_wall.start(std::chrono::ceil<std::chrono::milliseconds>(m_interval));
}

void StreamOutput::Timer::stop()
{
    m_due.reset();
    m_wall.stop();
}

StreamOutput::Clock::duration StreamOutput::Timer::remaining() const
{
    return m_due ? std::max(*m_due - m_owner.timeNow(), Clock::duration::zero()) : Clock::duration::zero();
}

void StreamOutput::Timer::fire()
{
    if (m_repeating)
        start(m_interval);
    else
        stop();
    (m_owner.*m_fire)();
}

StreamOutput::Clock::time_point StreamOutput::nextTimer() const
{
    return std::min({m_watch.due(), m_hold.due(), m_retry.due(), m_adapt.due()});
}

void StreamOutput::runTimers()
{
    for (;;) {
        Timer *next = nullptr;
        for (Timer *timer : {&m_watch, &m_hold, &m_retry, &m_adapt}) {
            if (timer->due() <= timeNow() && (!next || timer->due() < next->due()))
                next = timer;
        }
        if (!next)
            return;
        next->fire();
    }
}

// ---- StreamOutput ------------------------------------------------------------------------

StreamOutput::StreamOutput()
    : m_wakeup([this] {
        takeAnswers();
        deliverDone();
    })
{
    m_mixer.attachSidetone(&m_sidetone);
}

StreamOutput::~StreamOutput() = default;

void StreamOutput::finishCalls()
{
    close();
    // The calls run in order: once this one has, every earlier one has.
    while (!PortAudioSession::settle(std::chrono::hours(1))) {
    }
}

// A call given to the session's thread counts as pending while anything holding this token
// lives: until it has run, and its late half too when nobody waited for it.
std::shared_ptr<void> StreamOutput::countCall()
{
    m_callsOut.fetch_add(1);
    return std::shared_ptr<void>(nullptr, [this](void *) { m_callsOut.fetch_sub(1); });
}

void StreamOutput::post(std::function<void()> call)
{
    PortAudioSession::post([token = countCall(), call = std::move(call)] { call(); });
}

// From now on the callback leaves the mixer alone; returns once no callback is inside it
// (a block's mixing takes microseconds, and never waits).
void StreamOutput::disarm()
{
    m_feeding.store(false);
    while (m_inside.load() != 0)
        std::this_thread::yield();
}

bool StreamOutput::linkOpen() const
{
    return m_link == Link::Starting || m_link == Link::Playing || m_link == Link::Switching
        || m_link == Link::Reconnecting;
}

bool StreamOutput::isOpen() const
{
    return linkOpen();
}

bool StreamOutput::reopening() const
{
    return m_link == Link::Opening || m_link == Link::Lost || m_link == Link::Probing;
}

// ---- The link ------------------------------------------------------------------------------

int StreamOutput::open(int device)
{
    close();
    if (!m_wakeup.valid())
        return paInsufficientMemory;
    m_device = device;
    const std::uint64_t attempt = ++m_attempts;
    m_wantedAttempt.store(attempt);
    auto error = std::make_shared<std::atomic<int>>(paTimedOut);
    const bool inTime = PortAudioSession::call(
        [this, error, device, attempt, token = countCall()] { error->store(openAttempt(device, attempt)); },
        OpenBound,
        // Nobody waited for the answer: it comes to this thread.
        [this, error, attempt] { answer([this, attempt, error = error->load()] { openedLate(attempt, error); }); });
    if (!inTime) {
        // A loaded desktop or a slow (or frozen) server, not a refusal: the stream is taken
        // when it comes, and the timer stands in meanwhile.
        m_link = Link::Opening;
        m_tries = 0;
        return paTimedOut;
    }
    if (error->load() != 0)
        return error->load();
    becomeOpen(Link::Starting);
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

// On the session's thread: opens a stream (after stopping the one open, when `restart`; what
// the device holds plays out) as a new try; `then(try, error)` follows on this thread.
void StreamOutput::openAgain(bool restart, void (StreamOutput::*then)(std::uint64_t, int))
{
    const std::uint64_t attempt = ++m_attempts;
    m_wantedAttempt.store(attempt);
    post([this, attempt, restart, then, device = m_device] {
        if (restart)
            stopStream(false);
        const int error = openAttempt(device, attempt);
        answer([this, attempt, error, then] { (this->*then)(attempt, error); });
    });
}

// Any thread (the session's): `then` runs on the user-interface thread at its next wake-up.
// Handed over under a lock of the output's own, which ThreadSanitizer follows (it cannot see
// into Qt's queue of posted events); the calls still pending at the output's end go with it,
// as queued calls to a deleted object would.
void StreamOutput::answer(std::function<void()> then)
{
    {
        std::lock_guard lock(m_answersMutex);
        m_answers.push_back(std::move(then));
    }
    m_wakeup.wake();
}

// One at a time, as they came: an answer's handler may run the event loop, and the next ones
// are taken there.
void StreamOutput::takeAnswers()
{
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard lock(m_answersMutex);
            if (m_answers.empty())
                return;
            next = std::move(m_answers.front());
            m_answers.pop_front();
        }
        next();
    }
}

// A stream is open and started: from now on it is fed.
void StreamOutput::becomeOpen(Link link)
{
    // A stream given up took the mixer's audio side over; this one gets it back.
    m_mixer.resumeRendering();
    m_link = link;
    m_lastProgress = timeNow();
    m_blocksSeen = m_mixer.blocksRendered();
    m_feeding.store(true);
    startAdapting();
}

// The answer to an opening that did not come within OpenBound.
void StreamOutput::openedLate(std::uint64_t attempt, int error)
{
    if (m_link != Link::Opening || attempt != m_wantedAttempt.load())
        return;
    if (error != 0) {
        // A refusal after all: said once, as a loss is, and the device is tried again later.
        m_link = Link::Lost;
        reportFailure(error);
        scheduleRetry();
        return;
    }
    becomeOpen(Link::Starting);
    reportRestored();
}

// The stream taken (or being switched to) has taken its first sound.
bool StreamOutput::sounding() const
{
    return m_soundedAttempt.load() == m_wantedAttempt.load();
}

// Once a new stream plays: what waited for it is due from now on, and whoever waits is told.
void StreamOutput::noticeSound()
{
    if (m_link != Link::Starting || !sounding())
        return;
    m_link = Link::Playing;
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

bool StreamOutput::awaitSound()
{
    m_soundAwaited = false;
    noticeSound();
    if (m_link != Link::Starting && m_link != Link::Switching)
        return false;
    m_soundAwaited = true;
    // Bounded by the loss limit (see watch()).
    armWatch(timeNow());
    return true;
}

// The stream is opened again with the step's buffer; meanwhile written buffers wait in the mixer.
void StreamOutput::switchBuffer(int step)
{
    m_step.store(step);
    m_link = Link::Switching;
    m_lastProgress = timeNow();
    m_growWanted = false;
    disarm();
    openAgain(true, &StreamOutput::switched);
}

void StreamOutput::switched(std::uint64_t attempt, int error)
{
    if (m_link != Link::Switching || attempt != m_wantedAttempt.load())
        return;
    if (error != 0) {
        // Refused now, maybe not in a moment (a server restarting).
        m_link = Link::Reconnecting;
        m_retry.start(ReconnectEvery);
        return;
    }
    becomeOpen(Link::Starting);
}

// The stream stopped by itself: its server went away, and may be restarting. A new stream is
// opened at once, and again every ReconnectEvery while refused. Meanwhile what is written
// waits, or keeps its time, as through a stall; only when it is not back within the loss
// limit of the stop does it count as lost.
void StreamOutput::reconnect()
{
    m_link = Link::Reconnecting;
    // The loss limit counts from the stop: a stall before it was no loss either.
    m_lastProgress = timeNow();
    disarm();
    post([this] { stopStream(true); });
    openAgain(false, &StreamOutput::reconnected);
}

void StreamOutput::reconnected(std::uint64_t attempt, int error)
{
    if (m_link != Link::Reconnecting || attempt != m_wantedAttempt.load())
        return;
    if (error != 0) {
        if (timeNow() - m_lastProgress >= m_limits.loss)
            loseStream(error);
        else
            m_retry.start(ReconnectEvery);
        return;
    }
    // The same output on a new stream: what was heard before counts, as after a stall.
    becomeOpen(Link::Playing);
}

// What every end of a link does (close(), a loss): no opening is wanted any more, no callback
// feeds the mixer, the watch and the steps stop, and every buffer out goes back as dropped.
void StreamOutput::teardown()
{
    m_wantedAttempt.store(0);
    disarm();
    m_watch.stop();
    m_adapt.stop();
    m_soundAwaited = false;
    clearStall();
    m_mixer.dropAllStopped();
    m_wakeup.wake();
}

void StreamOutput::close()
{
    m_retry.stop();
    teardown();
    m_link = Link::Closed;
    // Also ends a stream whose opening nobody waits for any more.
    post([this] { stopStream(false); });
}

// The device counts as lost: the stream is stopped without waiting for what it holds, the
// loss said once and the buffers out given back after it, and the device tried again later.
// The reports come from the event loop, after the owner has heard of the loss, so the next
// buffer goes to no dead device. The owner may wait in a message box: the tries go on and the
// reports come meanwhile, so nothing (PTT least of all) waits for its answer.
void StreamOutput::loseStream(int error)
{
    // A block being rendered right now means the stream lives after all.
    if (!m_mixer.stopRendering())
        return;
    teardown();
    post([this] { stopStream(true); });
    m_link = Link::Lost;
    m_tries = 0;
    scheduleRetry();
    reportFailure(error);
}

void StreamOutput::scheduleRetry()
{
    const auto wait = std::min(m_limits.retryFirst * (m_tries + 1), std::max(m_limits.retryFirst, RetryLast));
    ++m_tries;
    m_retry.start(wait);
}

void StreamOutput::retry()
{
    switch (m_link) {
    case Link::Reconnecting:
        if (callsPending())
            m_retry.start(ReconnectEvery);
        else
            openAgain(false, &StreamOutput::reconnected);
        return;
    case Link::Lost:
        // The session's thread is still held by an earlier call (a frozen server): no pile-up.
        if (callsPending())
            scheduleRetry();
        else
            openAgain(false, &StreamOutput::probeOpened);
        return;
    default:
        return;
    }
}

void StreamOutput::probeOpened(std::uint64_t attempt, int error)
{
    if (m_link != Link::Lost || attempt != m_wantedAttempt.load())
        return;
    if (error != 0) {
        scheduleRetry();
        return;
    }
    m_link = Link::Probing;
    m_probeSince = timeNow();
    m_watch.start(WatchEvery);
}

// A stream opened again after a loss is back once it has played ProbeFrames (what it took at
// once to fill the device is no sound played).
void StreamOutput::watchProbe(Clock::time_point now)
{
    if (m_streamAttempt.load() == m_wantedAttempt.load()
        && m_streamFrames.load() >= m_prefill.load() + ProbeFrames) {
        m_watch.stop();
        becomeOpen(Link::Playing);
        reportRestored();
    } else if (now - m_probeSince >= ProbeWait) {
        m_watch.stop();
        m_wantedAttempt.store(0);
        m_link = Link::Lost;
        post([this] { stopStream(true); });
        scheduleRetry();
    }
}

// ---- Writing -------------------------------------------------------------------------------

int StreamOutput::write(Tag tag, const std::int16_t *data, std::size_t values)
{
    if (!linkOpen())
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
    const auto starts = std::max(now + asDuration(startDelay()),
                                 m_deadlines.empty() ? m_stalledEnd : m_deadlines.back().end);
    m_deadlines.push_back({starts, starts + asDuration(double(values / Channels) / SampleRate)});
    // A stream that stops, or stopped by itself, would never hand the buffer back. A stream
    // that has taken nothing since it was last watched keeps its stall running.
    if (!m_watch.active()) {
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
    if (!linkOpen())
        return paBadStreamPtr;
    m_mixer.dropQueued();
    return 0;
}

int StreamOutput::silence()
{
    if (!linkOpen())
        return paBadStreamPtr;
    m_mixer.fadeOutAll();
    return 0;
}

int StreamOutput::playSound(const std::vector<std::int16_t> &samples)
{
    if (!linkOpen())
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

// Seconds from now until the time the mixer names, or through a stall until the buffer last
// due would have ended: a buffer starts (silent) there.
double StreamOutput::secondsUntil(Clock::duration (OutputMixer::*until)(Clock::time_point) const) const
{
    if (!linkOpen())
        return 0.0;
    const auto now = timeNow();
    return std::chrono::duration<double>(std::max<Clock::duration>((m_mixer.*until)(now), m_stalledEnd - now)).count();
}

void StreamOutput::setFollowMargin(std::chrono::milliseconds margin)
{
    m_mixer.setMarginFrames(static_cast<std::size_t>(margin.count()) * SampleRate / 1000);
}

// ---- The callback and the reports ----------------------------------------------------------

void StreamOutput::renderBlock(std::int16_t *out, std::size_t frames, Clock::time_point when)
{
    m_inside.fetch_add(1);
    if (m_feeding.load()) {
        const auto now = timeNow().time_since_epoch().count();
        const auto previous = m_lastBlockAt.exchange(now, std::memory_order_relaxed);
        // Back after a stall with a buffer written meanwhile: silent until the user-interface
        // thread has seen whether that buffer is still in step (see leaveStall()).
        if (Mute armed = Mute::Armed;
            m_mute.load() == Mute::Armed && now - previous >= m_muteAfter.load(std::memory_order_relaxed))
            m_mute.compare_exchange_strong(armed, Mute::Muted);
        if (m_mute.load() == Mute::Muted)
            std::fill(out, out + frames * Channels, std::int16_t{0});
        else if (m_mixer.render(out, frames, when))
            m_wakeup.wake();
        m_framesTaken.fetch_add(frames, std::memory_order_relaxed);
    } else {
        std::fill(out, out + frames * Channels, std::int16_t{0});
    }
    // What a stream takes beyond the prefill has left for the device: it plays. Said after the
    // block's time is set, which the watch then reads.
    const std::uint64_t attempt = m_streamAttempt.load();
    const std::uint64_t taken = m_streamFrames.fetch_add(frames, std::memory_order_relaxed) + frames;
    if (m_soundedAttempt.load(std::memory_order_relaxed) != attempt && taken > m_prefill.load(std::memory_order_relaxed)) {
        m_soundedAttempt.store(attempt);
        m_wakeup.wake();
    }
    m_inside.fetch_sub(1);
}

void StreamOutput::deliverDone()
{
    m_sidetone.deliverDone();
    noticeSound();
    // Sound silenced after a stall comes back when it would have ended.
    if (const auto now = timeNow(); now < m_holdUntil) {
        m_hold.start(m_holdUntil - now);
        return;
    }
    if (m_stall == Stall::Resuming)
        m_stall = Stall::None;
    Tag tag = 0;
    bool dropped = false;
    // One at a time: a handler may run the event loop and take the next ones itself.
    while (m_mixer.popDone(tag, &dropped)) {
        if (!m_deadlines.empty())
            m_deadlines.pop_front();
        reportDone(tag, dropped);
    }
}

// ---- The watch and the stall ----------------------------------------------------------------

// While buffers are out, or a first sound is waited for, the stream must keep asking for
// blocks; a stream opened again after a loss must start to.
void StreamOutput::watch()
{
    const auto now = timeNow();
    if (m_link == Link::Probing) {
        watchProbe(now);
        return;
    }
    if (!linkOpen() || (m_mixer.outstanding() == 0 && !m_soundAwaited)) {
        m_watch.stop();
        return;
    }
    if ((m_link == Link::Starting || m_link == Link::Playing) && !callsPending() && !streamActive())
        reconnect();
    noticeSound();
    if (m_link == Link::Starting || m_link == Link::Switching) {
        // A new stream that has yet to play: what is written waits for it, up to the loss limit.
        if (now - m_lastProgress >= m_limits.loss)
            loseStream(paDeviceUnavailable);
        else
            armWatch(now);
        return;
    }
    // Playing, or a new stream being opened after a stop.
    const auto lastBlock = lastBlockAt();
    const auto after = stallAfter();
    // A block taken silent just after a stall counts as sound taken too.
    if (const std::uint64_t blocks = m_mixer.blocksRendered(); blocks != m_blocksSeen || now - lastBlock < after) {
        m_blocksSeen = blocks;
        m_lastProgress = now;
    } else if (now - m_lastProgress >= m_limits.loss) {
        loseStream(paDeviceUnavailable);
        return;
    }
    if (!m_deadlines.empty() && now - lastBlock >= after) {
        if (m_stall != Stall::Stalled)
            enterStall(lastBlock);
        if (m_keepTime && now >= m_deadlines.front().end - margin())
            giveBackDue(after);
    } else if (m_stall == Stall::Stalled && now - lastBlock < after) {
        leaveStall(now, after);
    }
    armWatch(now);
}

// The next look comes when the first buffer out is due, or when a stalled stream's block is
// this late, and at least every WatchEvery.
void StreamOutput::armWatch(Clock::time_point now)
{
    using namespace std::chrono;
    Clock::duration next = WatchEvery;
    if (m_keepTime && !m_deadlines.empty()) {
        const auto due = std::max(m_deadlines.front().end - margin(), lastBlockAt() + stallAfter());
        next = std::clamp<Clock::duration>(ceil<milliseconds>(due - now), milliseconds(1), next);
        // While stalled, the stream's return is seen within a few milliseconds.
        if (m_stall == Stall::Stalled)
            next = std::min<Clock::duration>(next, StallWatchEvery);
    }
    if (!m_watch.active() || m_watch.remaining() > next)
        m_watch.start(next);
}

// Stalled, but not lost (yet): since the block taken at `lastBlock`.
void StreamOutput::enterStall(Clock::time_point lastBlock)
{
    m_stall = Stall::Stalled;
    m_stallFrom = lastBlock;
}

// Keeping time through a stall: the buffer due now goes back as the running stream would
// have handed it over, so the text, its keying and its end keep their time. The stream plays
// what follows once it takes sound again.
void StreamOutput::giveBackDue(Clock::duration after)
{
    if (!m_mixer.stopRendering())
        return;
    m_stalledEnd = m_deadlines.front().end;
    // What was queued behind it (a noise tail) would have been cut by the next buffer.
    m_mixer.dropAllStopped();
    m_mixer.resumeRendering();
    m_muteAfter.store(after.count(), std::memory_order_relaxed);
    m_mute.store(Mute::Armed);
    m_wakeup.wake();
}

// Taking sound again. Keeping time, a buffer written during the stall would now sound late,
// out of step with its keying, which has gone on: it is dropped unheard and its report held
// until it would have ended; the next one is heard in step.
void StreamOutput::leaveStall(Clock::time_point now, Clock::duration after)
{
    m_stall = Stall::None;
    if (m_keepTime && !m_deadlines.empty() && m_deadlines.front().start >= m_stallFrom
        && now - m_deadlines.front().start >= after) {
        m_stall = Stall::Resuming;
        m_holdUntil = m_deadlines.front().end - margin();
        m_stalledEnd = m_deadlines.front().end;
        // The callback has rendered none of it: it stays silent until this is seen.
        m_mixer.dropQueued();
    }
    m_mute.store(Mute::Off);
}

// Nothing waits for a stalled stream's timing any more: reports go out as they come.
void StreamOutput::clearStall()
{
    m_mute.store(Mute::Off);
    m_stall = Stall::None;
    m_holdUntil = {};
    m_stalledEnd = {};
    m_hold.stop();
}

// A stall is one that no hiccup of a running stream reaches: a device with a larger buffer
// asks for larger blocks, further apart, and a pause of its buffer's length is no hole yet.
StreamOutput::Clock::duration StreamOutput::stallAfter() const
{
    return std::max<Clock::duration>(m_limits.stallAfter, std::chrono::milliseconds(std::lround(2000 * bufferTime())));
}

// What the writer gets after a report: a buffer is due back this long before its end.
StreamOutput::Clock::duration StreamOutput::margin() const
{
    return asDuration(double(m_mixer.marginFrames()) / SampleRate);
}

StreamOutput::Clock::time_point StreamOutput::lastBlockAt() const
{
    return Clock::time_point(Clock::duration(m_lastBlockAt.load(std::memory_order_relaxed)));
}

// ---- The buffer's steps --------------------------------------------------------------------

double StreamOutput::bufferTime() const
{
    return m_baseBuffer.load() * BufferSteps[std::clamp(m_step.load(), 0, TopStep)] / BufferSteps.front();
}

std::size_t StreamOutput::blockFrames() const
{
    return blockFramesAt(m_step.load(), bufferTime());
}

std::size_t StreamOutput::blockFramesAt(int step, double bufferTime)
{
    return step == 0 ? static_cast<std::size_t>(std::lround(bufferTime * SampleRate / LowestStepBlocks)) : 0;
}

void StreamOutput::startAdapting()
{
    m_underrunsSeen = underruns();
    m_growWanted = false;
    m_quietSince = timeNow();
    m_idleSince.reset();
    if (m_adaptive)
        m_adapt.start(AdaptEvery);
}

bool StreamOutput::idle() const
{
    return m_mixer.outstanding() == 0 && m_sidetone.lastKeyDown() == m_sidetone.endedReported();
}

int StreamOutput::loadStepFor(double perCore)
{
    // With a task waiting for every core, a sound server's normal-priority thread misses its
    // turn by more than 10 ms: from there on two steps up, one more per core's worth.
    if (!(perCore >= 1.0))
        return 0;
    return std::clamp(static_cast<int>(perCore) + 1, 0, TopStep);
}

int StreamOutput::stepForLoad() const
{
    return m_loadGauge ? loadStepFor(m_loadGauge()) : 0;
}

void StreamOutput::adapt()
{
    if (m_link != Link::Starting && m_link != Link::Playing)
        return;
    const auto now = timeNow();
    const bool isIdle = idle();
    const bool wasIdle = m_idleSince.has_value();
    m_loadStep = stepForLoad();
    if (const std::uint64_t count = underruns(); count != m_underrunsSeen) {
        m_quietSince = now;
        // Running dry between texts is heard by nobody; while sound plays it may have cut an
        // element, and the next text should not lose one.
        if (!isIdle || !wasIdle)
            m_growWanted = true;
        m_underrunsSeen = count;
    }
    const int step = m_step.load();
    // A step the load still calls for is no quiet stretch for the step below it.
    if (m_loadStep >= step)
        m_quietSince = now;
    if (!isIdle)
        m_idleSince.reset();
    else if (!wasIdle)
        m_idleSince = now;
    // Switched only when nothing sounds, nor still sits in the device's buffer.
    if (!isIdle || now - *m_idleSince < IdleBefore)
        return;
    const bool canGrow = step < TopStep;
    // Straight to the step the load calls for: every opening costs the server's start.
    const int wanted = std::max(m_loadStep, m_growWanted && canGrow ? step + 1 : step);
    if (wanted > step)
        switchBuffer(wanted);
    else if (step > 0 && now - m_quietSince >= m_limits.quietStretch)
        switchBuffer(step - 1);
    m_growWanted = m_growWanted && canGrow;
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
    const unsigned long block = blockFrames();
    PaError error = Pa_OpenStream(&stream, nullptr, &parameters, SampleRate,
                                  block > 0 ? block : paFramesPerBufferUnspecified, paNoFlag,
                                  &PortAudioOutput::callback, this);
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
