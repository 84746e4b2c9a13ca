#pragma once

#include <functional>

// SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C in the terminal, the terminal closing) run
// `onSignal` on the user-interface thread: the handler only writes to a self-pipe, which a
// socket notifier reads. Installed once; later calls replace the action.
void InstallQuitSignals(std::function<void()> onSignal);

// Gives the three signals their default action back (after the event loop has ended, so a
// signal during the last clean-up ends the process as usual).
void UninstallQuitSignals();
