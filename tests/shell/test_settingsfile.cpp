#include "shell/settingsfile.h"
#include "shell/settingskeys.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace {

std::string slurp(const QString &path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Points the configuration folder at a fresh temporary folder for one test.
struct ConfigHome {
    QTemporaryDir dir;
    QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    ConfigHome() { qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit()); }
    ~ConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", saved);
        ::chmod((dir.path() + "/kestrelon/kestrelon.ini").toLocal8Bit().constData(), 0600);
    }
    QString ini() const { return dir.path() + "/kestrelon/kestrelon.ini"; }
};

// Runs a test on an empty registry (the windows of this test program may have bound their
// keys) and puts the program's registry back afterwards.
struct FreshRegistry {
    SettingsRegistry saved = Settings();
    FreshRegistry() { Settings().clear(); }
    ~FreshRegistry() { Settings() = saved; }
};

} // namespace

TEST(SettingsFile, LivesInTheConfigurationFolder)
{
    ConfigHome home;
    EXPECT_EQ(SettingsFilePath(), home.ini());
}

TEST(SettingsFile, AFailedWriteTellsTheUserOnceAndKeepsTheOldFile)
{
    ConfigHome home;
    FreshRegistry fresh;
    QDir().mkpath(home.dir.path() + "/kestrelon");
    const std::string users = "[KESTRELON 5.2.9]\r\nFUTURE=" + std::string(200, 'x') + "\r\n";
    std::ofstream(home.ini().toStdString(), std::ios::binary) << users;
    int reports = 0;
    SetSettingsFailureReporter([&] { ++reports; });
    ReadSettingsFile();
    // A disk that fills up: writes past 16 bytes fail.
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit {};
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit small = oldLimit;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool written = WriteSettingsFile();
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    SetSettingsFailureReporter(nullptr);
    EXPECT_FALSE(written);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(slurp(home.ini()), users);
    EXPECT_EQ(QDir(home.dir.path() + "/kestrelon").entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(SettingsFile, AFileThatCannotBeReadIsNotOverwrittenAtExit)
{
    ConfigHome home;
    FreshRegistry fresh;
    QDir().mkpath(home.dir.path() + "/kestrelon");
    const std::string users = "[KESTRELON 5.2.9]\r\nSPEED=20\r\n";
    std::ofstream(home.ini().toStdString(), std::ios::binary) << users;
    ::chmod(home.ini().toLocal8Bit().constData(), 0000);
    // The folder stays writable, so only the rule keeps the file: run as an ordinary user
    // (root reads anything) in a child process.
    ::chmod(home.dir.path().toLocal8Bit().constData(), 0777);
    ::chmod((home.dir.path() + "/kestrelon").toLocal8Bit().constData(), 0777);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        int reports = 0;
        SetSettingsFailureReporter([&] { ++reports; });
        ReadSettingsFile();
        bool written = WriteSettingsFile();
        ::_exit(written ? 1 : reports == 1 ? 0 : 2);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written over the unreadable file, 2: not told once, 3: could not drop root";
    ::chmod(home.ini().toLocal8Bit().constData(), 0600);
    EXPECT_EQ(slurp(home.ini()), users);
    EXPECT_EQ(QDir(home.dir.path() + "/kestrelon").entryList(QDir::Files | QDir::Hidden).size(), 1);
}
