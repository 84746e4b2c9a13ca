// The real program, started as a user would start it, ended by the signals a desktop sends.

#include "tests/common/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {

struct SignalCase {
    int signal;
    const char *name;
};

void PrintTo(const SignalCase &c, std::ostream *os)
{
    *os << c.name;
}

QString programUnderTest()
{
    return testsupport::programPath();
}

class ProgramSignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(ProgramSignal, QuitsCleanlyWithTheDataFolderCreated)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("KESTRELON_REPORT_STARTUP"), QStringLiteral("1"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home.path());
    program.start(programUnderTest(), {});
    ASSERT_TRUE(program.waitForStarted(5000)) << qPrintable(programUnderTest());

    // Up and showing its window.
    QByteArray errors;
    ASSERT_TRUE(testsupport::waitFor([&] {
        program.waitForReadyRead(10);
        errors += program.readAllStandardError();
        return errors.contains("first window shown");
    }, 10000)) << errors.constData();

    ::kill(program.processId(), GetParam().signal);
    ASSERT_TRUE(program.waitForFinished(2000)) << GetParam().name << " did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(QDir(home.filePath(QStringLiteral("data/kestrelon"))).exists());
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("KESTRELON_REPORT_STARTUP"), QStringLiteral("1"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(programUnderTest(), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    QByteArray errors;
    ASSERT_TRUE(testsupport::waitFor([&] {
        program.waitForReadyRead(10);
        errors += program.readAllStandardError();
        return errors.contains("quit signals ready");
    }, 10000)) << errors.constData();

    ::kill(program.processId(), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(5000)) << "the start-up message held the program";
    errors += program.readAllStandardError();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(errors.contains("Can't open the sound card !")) << errors.constData();
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignal,
                         ::testing::Values(SignalCase{SIGTERM, "SIGTERM"}, SignalCase{SIGINT, "SIGINT"},
                                           SignalCase{SIGHUP, "SIGHUP"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
