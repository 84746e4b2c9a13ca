#include "platform/portaudiosession.h"

#include "platform/stderrcapture.h"

#include <portaudio.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

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
            }
            call();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_calls;
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
};

StartState &startState()
{
    static StartState *state = new StartState;
    return *state;
}

// Starting PortAudio probes every ALSA device and a JACK server, printing each miss.
int initialize()
{
    StderrCapture capture;
    const int error = Pa_Initialize();
    if (error != paNoError)
        capture.failed();
    return error;
}

} // namespace

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

bool PortAudioSession::onSessionThread()
{
    return CallThread::instance().onThread();
}

int PortAudioSession::start()
{
    // Made on first use, so that its end (at the end of the process) shuts PortAudio down.
    static PortAudioSession session;
    StartState &state = startState();
    // Once only, on the session's thread; a call from there (a stream being opened) runs it
    // at once rather than behind itself.
    auto answer = [&state] {
        {
            std::lock_guard lock(state.mutex);
            if (state.done)
                return;
        }
        const int error = initialize();
        {
            std::lock_guard lock(state.mutex);
            state.error = error;
            state.done = true;
        }
        state.answered.notify_all();
    };
    std::unique_lock lock(state.mutex);
    if (onSessionThread()) {
        state.asked = true;
        lock.unlock();
        answer();
        lock.lock();
        return state.error;
    }
    if (!state.asked) {
        state.asked = true;
        post(answer);
    }
    if (!state.done && !state.timedOut
        && !state.answered.wait_for(lock, StartBound, [&] { return state.done; }))
        state.timedOut = true;
    return state.done ? state.error : paTimedOut;
}

PortAudioSession::~PortAudioSession()
{
    StartState &state = startState();
    {
        std::lock_guard lock(state.mutex);
        if (!state.done || state.error != paNoError)
            return;
    }
    // A frozen server would hold the end of the process for as long as it stays frozen.
    call([] { Pa_Terminate(); }, std::chrono::milliseconds(500));
}
