#pragma once

// PortAudio is started once per process, on first use, and shut down when the process ends.
// Every user of PortAudio calls PortAudioSession::start() first.
//
// Every PortAudio call that can wait on the sound server (start-up, opening, starting,
// stopping, aborting and closing a stream, shutting down) runs on the session's own thread,
// one after the other in the order given. A server that freezes then freezes that thread
// alone: the caller waits at most the bound it gives, and goes on without the answer.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class PortAudioSession {
public:
    // 0 when PortAudio is ready, else the error from its start (the same on every later
    // call). While the start has not come back within StartBound, paTimedOut: a later call
    // asks again.
    static int start();
    static constexpr std::chrono::milliseconds StartBound{1500};
    // Asks for the start on the session's thread without waiting for it: it is then likely
    // over by the time the first stream is opened.
    static void startSoon();
    // Whether the start has come back, without waiting: true when PortAudio is ready. When it
    // has not come back yet, `then` runs once it has (on the session's thread; with the
    // answer, ready or not), and false is returned.
    static bool ready(std::function<void()> then = {});

    // Runs `call` on the session's thread after everything given before it, and waits for it
    // at most `bound`. True when it ran within the bound. When it did not, `late` runs on the
    // session's thread right after `call` (to undo what nobody waits for any more); the
    // caller must keep alive what the two use. Called on the session's thread, `call` runs at
    // once.
    static bool call(const std::function<void()> &call, std::chrono::milliseconds bound,
                     std::function<void()> late = {});
    // Runs `call` on the session's thread, without waiting for it.
    static void post(std::function<void()> call);
    // Waits at most `bound` until everything given so far has run; true when it has.
    static bool settle(std::chrono::milliseconds bound);
    // Nothing under way on the session's thread, nothing waiting.
    static bool idle();
    // Ends every capture at once, what it kept written out: for the end of the process while
    // a call is still held.
    static void releaseStandardError();
    // Whether a call has been under way on the session's thread for longer than HeldAfter:
    // the server it waits on does not answer, and a wait for it would be a wait for nothing.
    static bool held();
    // The longest the user-interface thread waits for a stream to open. An opening on an idle
    // desktop takes about 5 ms, the library's start with it about 65 ms; with the processor
    // loaded twice over, up to about 220 ms (bench_frozenstart).
    static constexpr std::chrono::milliseconds OpenBound{250};
    static constexpr std::chrono::milliseconds HeldAfter = OpenBound;
    // Whether this is the session's thread.
    static bool onSessionThread();

    PortAudioSession(const PortAudioSession &) = delete;
    PortAudioSession &operator=(const PortAudioSession &) = delete;

    // Keeps the sound libraries' chatter off the terminal while a call runs (StderrCapture),
    // but for at most CaptureBound: a call held by a frozen server must not hold back what
    // the rest of the program writes on its standard error. Past it the capture goes on, a
    // CaptureLook at a time up to CaptureLongest, only while the call's thread still runs or
    // stands ready to run: on a loaded machine the library's start probes every device slowly,
    // waiting for the processor, and its chatter stays hidden.
    class Capture {
    public:
        Capture();
        ~Capture();
        Capture(const Capture &) = delete;
        Capture &operator=(const Capture &) = delete;
        // As StderrCapture::failed; said at once when the capture has ended already.
        void failed(const std::string &reason = {});

        struct State;

    private:
        std::shared_ptr<State> m_state;
    };
    static constexpr std::chrono::milliseconds CaptureBound{3000};
    static constexpr std::chrono::milliseconds CaptureLook{500};
    static constexpr std::chrono::milliseconds CaptureLongest{30000};
    static_assert(CaptureLook < CaptureBound && CaptureBound < CaptureLongest);

private:
    static PortAudioSession &instance();
    PortAudioSession() = default;
    ~PortAudioSession();
};
