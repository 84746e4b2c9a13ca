#include "platform/stderrcapture.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

// Set by a sanitizer's runtime when the program is built with one; called just before the
// runtime ends the process after its report.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

// How the program's own messages start.
constexpr std::string_view OwnPrefix = "kestrelon: ";

// Also read by the ending roads, in a signal handler, without the lock: plain globals that
// need no construction.
std::atomic<int> capturedTerminal{-1}; // the real standard error, while captured
std::atomic<int> captureFile{-1};      // where the standard error goes meanwhile

struct Capture {
    std::mutex mutex;
    int depth = 0;
    std::string reason;     // what the work under the capture failed on
    std::string lastReason; // the reason said last
};

Capture &capture()
{
    static Capture c;
    return c;
}

void writeAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Hands what the file holds to `take`, a piece at a time; allocates nothing itself, so the
// ending roads may use it in a signal handler.
template <typename Take>
void readPieces(int fd, Take take)
{
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        take(std::string_view(buffer, static_cast<std::size_t>(n)));
        at += n;
    }
}

std::string readAll(int fd)
{
    std::string text;
    readPieces(fd, [&text](std::string_view piece) { text += piece; });
    return text;
}

// Everything but the chatter, and the empty line that ALSA puts after a message that already
// ended its line.
std::string withoutChatter(std::string_view text)
{
    std::string kept;
    bool afterChatter = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        const std::string_view bare = line.substr(0, line.size() - (line.ends_with('\n') ? 1 : 0));
        const bool chatter = IsSoundLibraryChatter(bare) || (afterChatter && bare.empty());
        if (!chatter)
            kept += line;
        afterChatter = chatter;
        text.remove_prefix(line.size());
    }
    return kept;
}

void installDeathCallback()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (__sanitizer_set_death_callback)
            __sanitizer_set_death_callback([] { RestoreStandardErrorNow(); });
    });
}

} // namespace

bool IsSoundLibraryChatter(std::string_view line)
{
    static constexpr std::string_view Prefixes[] = {
        "ALSA lib ",                                        // every complaint of ALSA's library
        "Cannot connect to server socket",                  // JACK's client, no server
        "Cannot connect to server request channel",
        "jack server is not running or cannot be started",
        "JackShmReadWritePtr::",
        "Cannot open device /dev/dsp",                      // OSS emulation, missing
    };
    for (const std::string_view prefix : Prefixes)
        if (line.starts_with(prefix))
            return true;
    // PortAudio's own checks: "Expression '...' failed in 'src/hostapi/alsa/...', line: 924".
    return line.starts_with("Expression '") && line.find("' failed in 'src/") != std::string_view::npos;
}

StderrCapture::StderrCapture()
{
    Capture &c = capture();
    std::lock_guard lock(c.mutex);
    if (c.depth++ > 0)
        return;
    c.reason.clear();
    installDeathCallback();
    std::fflush(stderr);
    // Without a capture the chatter shows, as it would anyway; nothing else changes.
    const int file = ::memfd_create("stderr-capture", MFD_CLOEXEC);
    if (file < 0)
        return;
    const int terminal = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (terminal < 0 || ::dup2(file, STDERR_FILENO) < 0) {
        if (terminal >= 0)
            ::close(terminal);
        ::close(file);
        return;
    }
    capturedTerminal = terminal;
    captureFile = file;
}

StderrCapture::~StderrCapture()
{
    Capture &c = capture();
    std::lock_guard lock(c.mutex);
    if (--c.depth > 0)
        return;
    std::string said;
    if (!c.reason.empty() && c.reason != c.lastReason)
        said = std::string(OwnPrefix) + c.reason + "\n";
    if (!c.reason.empty())
        c.lastReason = c.reason;
    const int file = captureFile.exchange(-1);
    if (file >= 0) {
        std::fflush(stderr);
        const int terminal = capturedTerminal.exchange(-1);
        ::dup2(terminal, STDERR_FILENO);
        ::close(terminal);
        said = withoutChatter(readAll(file)) + said;
        ::close(file);
    }
    writeAll(STDERR_FILENO, said);
}

void StderrCapture::failed(const std::string &reason)
{
    Capture &c = capture();
    std::lock_guard lock(c.mutex);
    if (!reason.empty())
        c.reason = reason;
}

void RestoreStandardErrorNow() noexcept
{
    const int file = captureFile.exchange(-1);
    if (file < 0)
        return;
    const int terminal = capturedTerminal.exchange(-1);
    ::dup2(terminal, STDERR_FILENO);
    readPieces(file, [](std::string_view piece) { writeAll(STDERR_FILENO, piece); });
}
