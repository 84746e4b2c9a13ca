// The real program, started as a user would start it, ended by the signals a desktop sends.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using shelltest::ProgramRun;

struct SignalCase {
    int signal;
    const char *name;
};

void PrintTo(const SignalCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProgramSignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(ProgramSignal, QuitsCleanlyWithTheDataFolderCreated)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ProgramRun program(home.path());
    ASSERT_TRUE(program.start());
    // Up and showing its window.
    ASSERT_TRUE(program.waitForWindow()) << program.errors().constData();

    program.signal(GetParam().signal);
    EXPECT_TRUE(program.waitForQuit(2000)) << GetParam().name << " did not end the program cleanly\n"
                                           << program.errors().constData();
    EXPECT_TRUE(QDir(program.dataFolder()).exists());
}

// Without a sound card start-up stops at its message; a signal must still end the program,
// with the message kept on the standard error.
TEST(ProgramWithoutSoundCard, SIGTERMDuringTheStartUpMessageQuitsCleanly)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QFile asoundrc(home.filePath(QStringLiteral(".asoundrc")));
    ASSERT_TRUE(asoundrc.open(QIODevice::WriteOnly));
    asoundrc.write("pcm.!default { type hw; card 97 }\nctl.!default { type hw; card 97 }\n");
    asoundrc.close();
    ProgramRun program(home.path());
    program.setEnvironment(QStringLiteral("HOME"), home.path());
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.waitForQuitSignals()) << program.errors().constData();
    // The refusal may come a while after the window (the sound library starts beside it, and
    // a loaded machine takes its time): the signal comes while its message is up.
    testsupport::waitFor([&] { return program.errors().contains("Can't open the sound card !"); }, 30000);

    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForQuit(5000)) << "the start-up message held the program\n" << program.errors().constData();
    EXPECT_TRUE(program.errors().contains("Can't open the sound card !")) << program.errors().constData();
    // It ended by its quit, not merely by ending its main loop.
    EXPECT_TRUE(QFile::exists(program.settingsFile()));
}

// Whether the process has taken over `sig` (from then on it runs its quit).
bool catches(qint64 pid, int sig)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1u;
    return false;
}

std::string descriptorTarget(qint64 pid, int fd)
{
    char target[256] = {};
    const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    return n < 0 ? std::string("closed") : std::string(target, static_cast<std::size_t>(n));
}

// Started with its standard streams closed, what the program or a library writes to them
// must go nowhere, never into a file or connection that took their numbers; it still quits
// cleanly on a signal, writing its settings.
TEST(ProgramWithClosedStreams, TheyBecomeTheNullDeviceAndTheProgramQuitsCleanly)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ProgramRun program(home.path());
    program.closeStandardStreams();
    ASSERT_TRUE(program.start());
    const qint64 pid = program.processId();
    ASSERT_TRUE(testsupport::waitFor([pid] { return catches(pid, SIGTERM); }, 10000));
    for (int fd = 0; fd <= 2; ++fd)
        EXPECT_EQ(descriptorTarget(pid, fd), "/dev/null") << "descriptor " << fd;

    program.signal(SIGTERM);
    // Its report is not heard: only that it ends.
    EXPECT_TRUE(program.waitForCleanExit(ProgramRun::HangMs));
    EXPECT_TRUE(QFile::exists(program.settingsFile()));
}

// A sound device that stops taking sound and holds whoever waits on it, as a frozen sound
// server does: a quit signal still ends the program cleanly, its settings written. The device
// is ALSA's file output into a pipe that this test opens and never reads: once the pipe is
// full, the program's sound thread is stuck writing into it.
TEST(ProgramWithFrozenSound, SIGTERMEndsItCleanlyWhileTheSoundDeviceHangs)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray pipe = home.filePath(QStringLiteral("sound.pipe")).toLocal8Bit();
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    // A reader, so that the program's opening of the writing end does not wait.
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    QFile asoundrc(home.filePath(QStringLiteral(".asoundrc")));
    ASSERT_TRUE(asoundrc.open(QIODevice::WriteOnly));
    asoundrc.write("pcm.!default { type file; slave.pcm \"null\"; file \"" + pipe
                   + "\"; format \"raw\" }\n");
    asoundrc.close();
    ProgramRun program(home.path());
    program.setEnvironment(QStringLiteral("HOME"), home.path());
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.waitForQuitSignals()) << program.errors().constData();
    // The pipe fills at once: from then on the stream hangs.
    testsupport::waitFor([] { return false; }, 1000);

    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForQuit(10000)) << "the hanging sound device held the quit\n" << program.errors().constData();
    EXPECT_TRUE(QFile::exists(program.settingsFile()));
    ::close(reader);
}

// A sound server that takes the connection and never answers, as a frozen one does, holds the
// sound library's start for good: the window still shows, and a quit signal ends the program
// cleanly, its settings written or its failure to write them said.
TEST(ProgramWithFrozenSound, TheWindowShowsAndAQuitEndsItWhileTheSoundLibraryNeverStarts)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    SKIP_WITHOUT_TOOLS(testsupport::PulsePlugin);
    testsupport::SilentSoundServer server(home.path());
    ASSERT_TRUE(server.usable());
    QFile asoundrc(home.filePath(QStringLiteral(".asoundrc")));
    ASSERT_TRUE(asoundrc.open(QIODevice::WriteOnly));
    asoundrc.write(server.alsaConfiguration());
    asoundrc.close();
    ProgramRun program(home.path());
    program.setEnvironment(QStringLiteral("HOME"), home.path());
    ASSERT_TRUE(program.start());
    EXPECT_TRUE(program.waitForWindow()) << program.errors().constData();

    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForQuit(10000)) << "the sound library held the quit\n" << program.errors().constData();
    EXPECT_TRUE(QFile::exists(program.settingsFile()));

    // What the quit says on the standard error meanwhile is not kept back with the sound
    // library's chatter: a settings file that cannot be written.
    ASSERT_TRUE(QFile::remove(program.settingsFile()));
    ASSERT_TRUE(QDir().mkdir(program.settingsFile()));
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.waitForQuitSignals()) << program.errors().constData();
    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForQuit(10000)) << program.errors().constData();
    EXPECT_TRUE(program.errors().contains("Can't create kestrelon.ini !")) << program.errors().constData();
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignal,
                         ::testing::Values(SignalCase{SIGTERM, "SIGTERM"}, SignalCase{SIGINT, "SIGINT"},
                                           SignalCase{SIGHUP, "SIGHUP"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
