#include "shell/unixsignals.h"

#include "engine/keyingsafety.h"
#include "platform/rundelay.h"
#include "platform/stderrcapture.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
std::function<void()> signalAction;

constexpr int QuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The quit's own time: from the first quit signal to the end of the run, less what the main
// thread spent waiting for a processor meanwhile (its run delay), so that a crowded machine
// does not pass for a quit that waits on something.
struct QuitMoment {
    long long monotonicNs = 0;
    long long runDelayNs = 0;
};
bool timingQuit = false;
std::atomic<bool> quitSignalled{false}; // taken by the first quit signal's handler
std::atomic<bool> quitStamped{false};   // set once it has written quitSignalAt
QuitMoment quitSignalAt;

QuitMoment now()
{
    timespec t {};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return {static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec, RunDelayNs("/proc/self/schedstat")};
}

extern "C" void onQuitSignal(int)
{
    const int savedErrno = errno;
    if (timingQuit && !quitSignalled.exchange(true)) {
        quitSignalAt = now();
        quitStamped.store(true, std::memory_order_release);
    }
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a pending request.
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

// A signal that ends the process: the transmitter goes to key-up, then the signal does what
// it would have done without us. It is blocked while this runs, so the one raised here is
// taken as soon as the handler returns (a fault that is not raised again simply recurs).
extern "C" void onEndingSignal(int sig)
{
    const int savedErrno = errno;
    keyingsafety::ReleaseAllNow();
    // A crash while the sound libraries' chatter is kept off the terminal: the terminal gets
    // back what was said, the report of the crash with it.
    RestoreStandardErrorNow();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(sig, &fallback, nullptr);
    ::raise(sig);
    errno = savedErrno;
}

void catchEnding(int sig)
{
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    // On the alternate stack: a stack overflow must still reach the handler.
    action.sa_flags = SA_ONSTACK;
    ::sigaction(sig, &action, nullptr);
}

// Every signal whose default action ends the process, but the quit signals.
void catchEndingSignals()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    // The main thread's alternate signal stack.
    static char alternateStack[64 * 1024];
    stack_t stack {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    static const int ending[] = {SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE, SIGUSR1,
                                 SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM,   SIGSTKFLT, SIGXCPU,
                                 SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSYS};
    auto catchIfDefault = [](int sig) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_DFL
            && !(current.sa_flags & SA_SIGINFO))
            catchEnding(sig);
    };
    for (int sig : ending)
        catchIfDefault(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        catchIfDefault(sig);
}

} // namespace

void InstallQuitSignals(std::function<void()> onSignal)
{
    timingQuit = qEnvironmentVariableIsSet("KESTRELON_REPORT_STARTUP");
    signalAction = std::move(onSignal);
    catchEndingSignals();
    if (signalPipe[0] >= 0)
        return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        if (signalAction)
            signalAction();
    });

    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : QuitSignals)
        ::sigaction(sig, &action, nullptr);
}

void UninstallQuitSignals()
{
    for (int sig : QuitSignals)
        catchEnding(sig);
    signalAction = nullptr;
}

void ReportQuitTime()
{
    if (!quitStamped.load(std::memory_order_acquire))
        return;
    const QuitMoment end = now();
    const QuitMoment start = quitSignalAt;
    const long long waited = start.runDelayNs >= 0 && end.runDelayNs >= 0 ? end.runDelayNs - start.runDelayNs : 0;
    std::fprintf(stderr, "kestrelon: quit took %lld ms, %lld ms of it waiting for a processor\n",
                 (end.monotonicNs - start.monotonicNs) / 1000000, waited / 1000000);
    std::fflush(stderr);
}
