// The real program, started as a user would start it, ended by the signals a desktop sends.

#include "tests/shell/shelltestsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

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
    EXPECT_TRUE(program.waitForCleanExit(2000)) << GetParam().name << " did not end the program cleanly";
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

    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForCleanExit(5000)) << "the start-up message held the program";
    EXPECT_TRUE(program.errors().contains("Can't open the sound card !")) << program.errors().constData();
    // It ended by its quit, not merely by ending its main loop.
    EXPECT_TRUE(QFile::exists(program.settingsFile()));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignal,
                         ::testing::Values(SignalCase{SIGTERM, "SIGTERM"}, SignalCase{SIGINT, "SIGINT"},
                                           SignalCase{SIGHUP, "SIGHUP"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
