#include "shell/unixsignals.h"

#include "engine/keyingsafety.h"
#include "platform/stderrcapture.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
std::function<void()> signalAction;

constexpr int QuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onQuitSignal(int)
{
    const int savedErrno = errno;
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
