#include "platform/portaudiosession.h"

#include "platform/rundelay.h"
#include "platform/stderrcapture.h"

#include <portaudio.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <iterator>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// The thread the calls run on. Made once and never destroyed: at the end of the process it
// may still be waiting on a frozen server, and nothing may wait for it then.
class CallThread {
public:
    static CallThread &instance()
    {
        static CallThread *thread = new CallThread;
        return *thread;
    }

    void post(std::function<void()> call)
    {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_wake.notify_one();
    }

    bool onThread() const { return std::this_thread::get_id() == m_id; }

    // Nothing under way, nothing waiting.
    bool idle()
    {
        std::lock_guard lock(m_mutex);
        return !m_running && m_calls.empty();
    }

    // A call has been under way for longer than `bound` (a server that does not answer).
    bool held(std::chrono::milliseconds bound)
    {
        std::lock_guard lock(m_mutex);
        return m_running && std::chrono::steady_clock::now() - m_since > bound;
    }

private:
    CallThread()
    {
        std::thread thread([this] { run(); });
        m_id = thread.get_id();
        thread.detach();
    }

    void run()
    {
        for (;;) {
            std::function<void()> call;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return !m_calls.empty(); });
                call = std::move(m_calls.front());
                m_calls.pop_front();
                m_running = true;
                m_since = std::chrono::steady_clock::now();
            }
            call();
            std::lock_guard lock(m_mutex);
            m_running = false;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_calls;
    bool m_running = false;
    std::chrono::steady_clock::time_point m_since;
    std::thread::id m_id;
};

struct Waiter {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
};

// The start of PortAudio: asked once; its answer is kept.
struct StartState {
    std::mutex mutex;
    std::condition_variable answered;
    bool asked = false;
    bool done = false;
    bool timedOut = false; // a caller gave up waiting: later callers do not wait again
    int error = paNoError;
    std::vector<std::function<void()>> waiting; // to run once the start has come back
};

StartState &startState()
{
    static StartState *state = new StartState;
    return *state;
}

// Starting PortAudio probes every ALSA device and a JACK server, printing each miss.
int initialize()
{
    PortAudioSession::Capture capture;
    const int error = Pa_Initialize();
    if (error != paNoError)
        capture.failed();
    return error;
}

// On the session's thread: the start, once.
void answerStart()
{
    StartState &state = startState();
    {
        std::lock_guard lock(state.mutex);
        if (state.done)
            return;
    }
    const int error = initialize();
    std::vector<std::function<void()>> waiting;
    {
        std::lock_guard lock(state.mutex);
        state.error = error;
        state.done = true;
        waiting.swap(state.waiting);
    }
    state.answered.notify_all();
    for (const auto &then : waiting)
        then();
}

// With the start's lock held.
void askStart(StartState &state)
{
    if (state.asked)
        return;
    state.asked = true;
    PortAudioSession::post(answerStart);
}

// Ends the captures that outlive their bound, on a thread of its own (the session's may be
// the one held).
class CaptureWatch {
public:
    using State = PortAudioSession::Capture::State;

    static CaptureWatch &instance()
    {
        static CaptureWatch *watch = new CaptureWatch;
        return *watch;
    }

    void add(const std::shared_ptr<State> &state)
    {
        watchUntil(std::chrono::steady_clock::now() + PortAudioSession::CaptureBound, state);
    }

    // Ends every capture now.
    void endAll();

private:
    CaptureWatch()
    {
        // Without its thread (the system refused one) the captures end with their calls only.
        try {
            std::thread([this] { run(); }).detach();
        } catch (const std::system_error &) {
        }
    }

    void run();

    void watchUntil(std::chrono::steady_clock::time_point deadline, const std::weak_ptr<State> &state)
    {
        {
            std::lock_guard lock(m_mutex);
            auto at = m_watched.end();
            while (at != m_watched.begin() && std::prev(at)->first > deadline)
                --at;
            m_watched.emplace(at, deadline, state);
        }
        m_wake.notify_one();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<std::chrono::steady_clock::time_point, std::weak_ptr<State>>> m_watched;
};

} // namespace

struct PortAudioSession::Capture::State {
    std::mutex mutex;
    std::optional<StderrCapture> capture;
    // The thread the capture was made on (its processor-time clock and its schedstat), and
    // how long it had run or stood ready to run when last looked at.
    std::optional<clockid_t> threadClock;
    std::string schedstat;
    std::chrono::nanoseconds threadTime{0};
    std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();
    // Less than this between two looks is a thread that waits (what it did around its wait).
    static constexpr std::chrono::microseconds CaptureWork{500};

    // Its processor time, and the time it waited for nothing but a processor where the kernel
    // tells (a thread held back by a loaded machine counts as working, one in a wait does not).
    std::optional<std::chrono::nanoseconds> timeBusy() const
    {
        timespec ran{};
        if (!threadClock || ::clock_gettime(*threadClock, &ran) != 0)
            return std::nullopt;
        const long long ready = RunDelayNs(schedstat.c_str());
        return std::chrono::seconds(ran.tv_sec) + std::chrono::nanoseconds(ran.tv_nsec)
            + std::chrono::nanoseconds(std::max(ready, 0LL));
    }

    // Past its bound, a capture goes on only while its thread still gets work done or waits
    // for a processor to do it (a loaded machine probing devices slowly), never while it
    // waits on something else (a frozen server).
    bool stillWorking()
    {
        std::lock_guard lock(mutex);
        if (!capture || std::chrono::steady_clock::now() - since >= PortAudioSession::CaptureLongest)
            return false;
        const std::optional<std::chrono::nanoseconds> now = timeBusy();
        if (!now || *now - threadTime < CaptureWork)
            return false;
        threadTime = *now;
        return true;
    }

    void end()
    {
        std::lock_guard lock(mutex);
        capture.reset();
    }
};

void CaptureWatch::endAll()
{
    std::vector<std::weak_ptr<State>> watched;
    {
        std::lock_guard lock(m_mutex);
        for (const auto &entry : m_watched)
            watched.push_back(entry.second);
    }
    for (const auto &entry : watched) {
        if (std::shared_ptr<State> state = entry.lock())
            state->end();
    }
}

void CaptureWatch::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_watched.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const auto deadline = m_watched.front().first;
        if (std::chrono::steady_clock::now() < deadline) {
            m_wake.wait_until(lock, deadline);
            continue;
        }
        std::weak_ptr<State> watched = std::move(m_watched.front().second);
        m_watched.pop_front();
        lock.unlock();
        if (std::shared_ptr<State> state = watched.lock()) {
            if (state->stillWorking())
                watchUntil(std::chrono::steady_clock::now() + PortAudioSession::CaptureLook, state);
            else
                state->end();
        }
        lock.lock();
    }
}

PortAudioSession::Capture::Capture()
    : m_state(std::make_shared<State>())
{
    m_state->capture.emplace();
    m_state->schedstat = "/proc/self/task/" + std::to_string(::syscall(SYS_gettid)) + "/schedstat";
    if (clockid_t clock{}; ::pthread_getcpuclockid(::pthread_self(), &clock) == 0)
        m_state->threadClock = clock;
    m_state->threadTime = m_state->timeBusy().value_or(std::chrono::nanoseconds{0});
    CaptureWatch::instance().add(m_state);
}

PortAudioSession::Capture::~Capture()
{
    m_state->end();
}

void PortAudioSession::Capture::failed(const std::string &reason)
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->capture) {
        m_state->capture->failed(reason);
        return;
    }
    StderrCapture now;
    now.failed(reason);
}

bool PortAudioSession::call(const std::function<void()> &call, std::chrono::milliseconds bound,
                            std::function<void()> late)
{
    CallThread &thread = CallThread::instance();
    if (thread.onThread()) {
        call();
        return true;
    }
    auto waiter = std::make_shared<Waiter>();
    thread.post([waiter, call, late = std::move(late)] {
        call();
        bool abandoned = false;
        {
            std::lock_guard lock(waiter->mutex);
            waiter->finished = true;
            abandoned = waiter->abandoned;
        }
        waiter->done.notify_all();
        if (abandoned && late)
            late();
    });
    std::unique_lock lock(waiter->mutex);
    if (waiter->done.wait_for(lock, bound, [&] { return waiter->finished; }))
        return true;
    waiter->abandoned = true;
    return false;
}

void PortAudioSession::post(std::function<void()> call)
{
    CallThread::instance().post(std::move(call));
}

bool PortAudioSession::settle(std::chrono::milliseconds bound)
{
    return call([] {}, bound);
}

bool PortAudioSession::idle()
{
    return CallThread::instance().idle();
}

void PortAudioSession::releaseStandardError()
{
    CaptureWatch::instance().endAll();
}

bool PortAudioSession::held()
{
    return CallThread::instance().held(HeldAfter);
}

bool PortAudioSession::onSessionThread()
{
    return CallThread::instance().onThread();
}

PortAudioSession &PortAudioSession::instance()
{
    // Made on first use, so that its end (at the end of the process) shuts PortAudio down.
    static PortAudioSession session;
    return session;
}

int PortAudioSession::start()
{
    instance();
    StartState &state = startState();
    // A call from the session's thread (a stream being opened) runs it at once rather than
    // behind itself.
    if (onSessionThread()) {
        {
            std::lock_guard lock(state.mutex);
            state.asked = true;
        }
        answerStart();
        std::lock_guard lock(state.mutex);
        return state.error;
    }
    std::unique_lock lock(state.mutex);
    askStart(state);
    if (!state.done && !state.timedOut
        && !state.answered.wait_for(lock, StartBound, [&] { return state.done; }))
        state.timedOut = true;
    return state.done ? state.error : paTimedOut;
}

void PortAudioSession::startSoon()
{
    instance();
    StartState &state = startState();
    std::lock_guard lock(state.mutex);
    askStart(state);
}

bool PortAudioSession::ready(std::function<void()> then)
{
    instance();
    StartState &state = startState();
    std::lock_guard lock(state.mutex);
    if (state.done)
        return state.error == paNoError;
    if (then)
        state.waiting.push_back(std::move(then));
    askStart(state);
    return false;
}

PortAudioSession::~PortAudioSession()
{
    StartState &state = startState();
    {
        std::lock_guard lock(state.mutex);
        if (!state.done || state.error != paNoError)
            return;
    }
    // A frozen server would hold the end of the process for as long as it stays frozen: with
    // a call still under way nothing is waited for.
    if (CallThread::instance().idle())
        call([] { Pa_Terminate(); }, std::chrono::milliseconds(500));
}
