#pragma once

// Keeps the sound libraries' probing off the terminal. Opening PortAudio makes ALSA try every
// device its configuration names and JACK look for a server; both print each miss on the
// standard error, some ninety lines at every start. While a capture is alive, whatever the
// process writes to the standard error (file descriptor 2, every thread) goes into a file
// instead; at its end the program's own lines (those starting with "kestrelon: ") are passed
// on, and the rest is dropped, unless the capture was told that the work failed: then
// everything captured reaches the standard error, in order, as the explanation of the failure.
//
// Captures nest: an inner one shares the outermost, and a failure marked in it is replayed when
// the outermost ends. Keep them short: every thread's standard error waits in the file meanwhile.

class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // The work under the capture failed: what was captured is shown when it ends.
    void failed();
};
