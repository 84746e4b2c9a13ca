#pragma once

// Helpers of the shell's GUI tests: answering the message box from inside a caller's wait.

#include <QString>

#include <functional>

namespace shelltest {

// While the caller waits, runs `act` once the message box is on screen (checked every few
// milliseconds); `act` sees the box as the user would. The helper ends itself after acting,
// after `timeoutMs`, or at the end of the test, whichever comes first.
void whenDialogShown(std::function<void()> act, int timeoutMs = 5000);

// The text the message box shows.
QString dialogText();

// Creates the 21 windows once per test program, with quitting made harmless (the
// application's termination only counted).
void ensureWindows();
extern int terminations;

} // namespace shelltest
