#include "modules.h"
#include "platform/portaudiosession.h"
#include "shell/startup.h"
#include "shell/unixsignals.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Started with a standard stream closed (`2>&-`, as some launchers do), the next file opened
// would take its number, and whatever is written to the stream would land there: the sound
// library's complaints in the display server's connection, freezing the window. Each closed
// one is given /dev/null first, before any library's own start-up code runs (the program's
// pre-initialisers run before every shared library's initialisers).
void fillClosedStandardStreams(int, char **, char **)
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

[[gnu::used, gnu::section(".preinit_array")]] void (*fillStreams)(int, char **, char **) = fillClosedStandardStreams;

} // namespace

int main(int argc, char **argv)
{
    RegisterProgramModules();
    const int result = RunMainBlock(argc, argv);
    // A sound call still under way (a server that does not answer, the sound library still
    // starting) holds the standard error, and may hold locks of the sound libraries that their
    // own ends at exit would wait for: what it holds is written out, and the process ends
    // without those ends. The settings are written by now.
    if (!PortAudioSession::idle()) {
        PortAudioSession::releaseStandardError();
        ReportQuitTime();
        std::fflush(nullptr);
        ::_exit(result);
    }
    ReportQuitTime();
    return result;
}
