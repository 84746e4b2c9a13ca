// The real program on an X server: its main window's title is the chosen language's.

#include "tests/common/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

// Starts the program under a private X server with `arguments`, waits for its main window,
// lists the server's window titles, ends the program with SIGTERM and returns the list.
QString windowTitlesOfProgram(const QString &home, const QString &arguments)
{
    const QString program = testsupport::programPath();
    const QString script = QStringLiteral(
        "\"$KPROGRAM\" %1 >/dev/null 2>&1 & pid=$!\n"
        "for i in $(seq 900); do\n"
        "  if xwininfo -root -tree | grep -q '\"KESTRELON 5.2.9 - '; then break; fi\n"
        "  sleep 0.1\n"
        "done\n"
        "xwininfo -root -tree\n"
        "kill -TERM $pid; wait $pid\n").arg(arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("KPROGRAM"), program);
    QProcess run;
    // xvfb-run starts its X server as a child of its own: the whole group goes on a time-out,
    // or a left-over server would hold whatever its parents held open.
    run.setChildProcessModifier([] { ::setpgid(0, 0); });
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(home);
    run.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral("-s"),
                                           QStringLiteral("-screen 0 1024x768x24"), QStringLiteral("bash"),
                                           QStringLiteral("-c"), script});
    // Bounds for a hang only: a loaded machine may take tens of seconds to start the X server
    // and the program.
    if (!run.waitForFinished(180000)) {
        ::kill(-static_cast<pid_t>(run.processId()), SIGKILL);
        run.waitForFinished(5000);
    }
    return QString::fromUtf8(run.readAllStandardOutput());
}

class LanguageWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_TOOLS({"xvfb-run", "xvfb"}, {"xauth", "xauth"}, {"xwininfo", "x11-utils"});
        ASSERT_TRUE(home.isValid());
    }

    QString iniPath() const { return home.path() + QStringLiteral("/config/kestrelon/kestrelon.ini"); }

    QTemporaryDir home;
};

TEST_F(LanguageWindow, SpanishFromTheCommandLine)
{
    const QString titles = windowTitlesOfProgram(home.path(), QStringLiteral("/S"));
    EXPECT_TRUE(titles.contains(QStringLiteral("\"KESTRELON 5.2.9 - EL PROFESOR Y ENTRENADOR DE CÓDIGO MORSE\"")))
        << qPrintable(titles);
    QFile ini(iniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\r\nLANGUAGE=S\r\n"));
}

TEST_F(LanguageWindow, HungarianFromTheSettingsFile)
{
    QDir().mkpath(home.path() + QStringLiteral("/config/kestrelon"));
    {
        QFile ini(iniPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[KESTRELON 5.2.9]\r\nLANGUAGE=M\r\n");
    }
    const QString titles = windowTitlesOfProgram(home.path(), QString());
    EXPECT_TRUE(titles.contains(QStringLiteral("\"KESTRELON 5.2.9 - MORZE-KÓD TANITÓ ÉS EDZÖ\""))) << qPrintable(titles);
    QFile ini(iniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("\r\nLANGUAGE=M\r\n"));
}

} // namespace
