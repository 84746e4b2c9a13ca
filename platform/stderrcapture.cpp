#include "platform/stderrcapture.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace {

// How the program's own messages start.
constexpr std::string_view OwnPrefix = "kestrelon: ";

struct Capture {
    std::mutex mutex;
    int depth = 0;
    int terminal = -1; // the real standard error, while captured
    int file = -1;     // where the standard error goes meanwhile
    bool failed = false;
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

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

std::string ownLines(std::string_view text)
{
    std::string own;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with(OwnPrefix))
            own += line;
        text.remove_prefix(line.size());
    }
    return own;
}

} // namespace

StderrCapture::StderrCapture()
{
    Capture &c = capture();
    std::lock_guard lock(c.mutex);
    if (c.depth++ > 0)
        return;
    c.failed = false;
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
    c.terminal = terminal;
    c.file = file;
}

StderrCapture::~StderrCapture()
{
    Capture &c = capture();
    std::lock_guard lock(c.mutex);
    if (--c.depth > 0 || c.file < 0)
        return;
    std::fflush(stderr);
    ::dup2(c.terminal, STDERR_FILENO);
    ::close(c.terminal);
    const std::string text = readAll(c.file);
    ::close(c.file);
    c.terminal = c.file = -1;
    writeAll(STDERR_FILENO, c.failed ? text : ownLines(text));
}

void StderrCapture::failed()
{
    Capture &c = capture();
    std::lock_guard lock(c.mutex);
    c.failed = true;
}
