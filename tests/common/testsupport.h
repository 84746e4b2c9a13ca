#pragma once

#include <QString>

class QWidget;
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

// Processes events until the condition holds or the time-out passes; returns the condition.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 5000);

// Presses a control as a screen reader does, through the accessibility bus (its Press, else its
// Toggle), and waits until a button so pressed is up again; false when it offers neither.
bool pressAccessibly(QWidget *control);

// How long all threads of this process together have waited for a processor so far, in ms:
// subtracted from a time measured by the wall clock, what is left is the time a chain of
// steps across those threads took of its own on a crowded machine (never less).
long long processRunDelayMs();

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

// An outside program or file that a test needs: a program looked for on the PATH, or an
// absolute path (a glob pattern), with the Debian package that the set-up installs it from.
struct Tool {
    const char *name;
    const char *package;
};

// "" when every tool is there; else which are missing and their packages, for the skip.
std::string missingTools(std::initializer_list<Tool> tools);

// Whether a missing tool fails the test instead of skipping it: set KESTRELON_REQUIRE_TOOLS=1
// where the set-up has installed everything (CI), so that a test never skips there unseen.
bool toolsRequired();

// Skips the test (fails it where tools are required) unless every tool given is there.
#define SKIP_WITHOUT_TOOLS(...)                                                                   \
    do {                                                                                           \
        if (const std::string missing_ = testsupport::missingTools({__VA_ARGS__}); !missing_.empty()) { \
            if (testsupport::toolsRequired())                                                      \
                FAIL() << missing_ << " (KESTRELON_REQUIRE_TOOLS is set)";                         \
            GTEST_SKIP() << missing_;                                                              \
        }                                                                                          \
    } while (false)

// PulseAudio's plugin for ALSA, through which the sound library reaches a sound server.
inline constexpr Tool PulsePlugin{"/usr/lib/*/alsa-lib/libasound_module_pcm_pulse.so", "libasound2-plugins"};

// A sound server that takes connections and never answers, as a frozen one does: a socket in
// `folder` that listens and is never read, reached by the sound library through PulseAudio's
// plugin for ALSA. Whoever connects waits until close(), which turns them away.
class SilentSoundServer {
public:
    explicit SilentSoundServer(const QString &folder);
    ~SilentSoundServer();
    SilentSoundServer(const SilentSoundServer &) = delete;
    SilentSoundServer &operator=(const SilentSoundServer &) = delete;

    // False when the socket could not be made. Clients reach it through PulsePlugin.
    bool usable() const { return m_socket >= 0; }
    // The ALSA configuration (an .asoundrc) whose default devices go to it.
    QByteArray alsaConfiguration() const;
    void close();

private:
    QByteArray m_path;
    int m_socket = -1;
};

} // namespace testsupport
