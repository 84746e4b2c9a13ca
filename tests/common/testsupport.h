#pragma once

#include <QString>

class QWidget;
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Processes events until the condition holds or the time-out passes; returns the condition.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 5000);

// Presses a control as a screen reader does, through the accessibility bus (its Press, else its
// Toggle), and waits until a button so pressed is up again; false when it offers neither.
bool pressAccessibly(QWidget *control);

// The source folder and the built program, as ctest passes them.
QString sourceDir();
QString programPath();

// Every test of a program starts as it would in a process of its own (ctest runs one test per
// process; the programs must also pass whole, in any order): before and after each test the
// working folder and the folder variables are put back, the configuration and data folders
// emptied, and calls still queued by the test before dropped. The shared main installs it.
void installFreshStartForEachTest();

// Adds a step to that reset, for what a folder's test support shares between tests (the
// shell's windows). Steps run after the reset before a test and before it after the test.
// Meant for the initialiser of a namespace-scope constant; returns true.
bool addFreshStartStep(std::function<void()> step);

// Inputs that a file reader with a size limit must refuse at once: a FIFO that nobody writes
// (a plain open waits for a writer for ever), /dev/zero (never ends) and a regular file of
// limit + 1 bytes (lines of "cq"), the first and the last made in folder.
std::vector<std::string> inputsThatNeverEnd(const QString &folder, std::size_t limit);

// A sound server that takes connections and never answers, as a frozen one does: a socket in
// `folder` that listens and is never read, reached by the sound library through PulseAudio's
// plugin for ALSA. Whoever connects waits until close(), which turns them away.
class SilentSoundServer {
public:
    explicit SilentSoundServer(const QString &folder);
    ~SilentSoundServer();
    SilentSoundServer(const SilentSoundServer &) = delete;
    SilentSoundServer &operator=(const SilentSoundServer &) = delete;

    // False without the plugin, or when the socket could not be made.
    bool usable() const { return m_socket >= 0; }
    // The ALSA configuration (an .asoundrc) whose default devices go to it.
    QByteArray alsaConfiguration() const;
    void close();

private:
    QByteArray m_path;
    int m_socket = -1;
};

} // namespace testsupport
