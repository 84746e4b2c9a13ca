#pragma once

#include <functional>

// The program's signals.
//
// SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C in the terminal, the terminal closing) quit
// cleanly: they run `onSignal` on the user-interface thread; the handler only writes to a
// self-pipe, which a socket notifier reads. Installed once; later calls replace the action.
//
// Every other signal whose default is to end the process (SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
// SIGPIPE, the crashes SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, and the rest, real-time
// signals included) first puts every keying output to key-up (keyingsafety.h), gives the
// standard error back if the sound libraries' chatter was being kept off it, and then ends
// the process as the signal itself would, with its core dump and exit status. Signals that
// already have a handler or are ignored when this is installed are left as they are. SIGKILL
// and SIGSTOP cannot be caught.
void InstallQuitSignals(std::function<void()> onSignal);

// After the event loop has ended: SIGTERM, SIGINT and SIGHUP end the process as the other
// ending signals do (keying outputs to key-up first, then the default action), so a signal
// during the last clean-up ends it as usual.
void UninstallQuitSignals();

// With KESTRELON_REPORT_STARTUP set, once a quit signal came: writes on the standard error
// how long the quit has taken since, and how much of that the main thread spent waiting for a
// processor ("kestrelon: quit took 140 ms, 20 ms of it waiting for a processor"). A wait
// under way when the signal came counts whole, so the second may exceed the first.
void ReportQuitTime();
