#pragma once

#include <string>
#include <string_view>

// Keeps the sound libraries' probing off the terminal. Opening PortAudio makes ALSA try every
// device its configuration names and JACK look for a server; both print each miss on the
// standard error, some ninety lines at every start. While a capture is alive, whatever the
// process writes to the standard error (file descriptor 2, every thread) goes into a file
// instead; at its end those libraries' known complaints are dropped and everything else (the
// program's own lines, any other library's warning, an assertion's or a sanitizer's report)
// is passed on, in order.
//
// Captures nest: an inner one shares the outermost, and what it was told is said when the
// outermost ends. Keep them short: every thread's standard error waits in the file meanwhile.
// A process ended meanwhile by a fatal signal or a sanitizer gets its standard error back
// first, with everything captured so far (RestoreStandardErrorNow).

class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // The work under the capture failed; `reason` is the library's own account of it
    // ("PulseAudio: Unable to connect: Connection refused"), said on one line of the program's
    // own when the capture ends, and never twice in a row the same.
    void failed(const std::string &reason = {});
};

// One line of the sound libraries' probing (ALSA's, JACK's client's, PortAudio's own
// checks), without its line end.
bool IsSoundLibraryChatter(std::string_view line);

// Puts the real standard error back at once and writes on it everything captured so far,
// the sound libraries' lines included (they may tell what went wrong). For the roads that end
// the process: async-signal-safe, takes no lock, and does nothing while nothing is captured.
void RestoreStandardErrorNow() noexcept;
