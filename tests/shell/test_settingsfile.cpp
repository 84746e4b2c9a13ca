#include "shell/settingsfile.h"
#include "shell/settingskeys.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

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

} // namespace

TEST(SettingsFile, LivesInTheConfigurationFolder)
{
    ConfigHome home;
    EXPECT_EQ(SettingsFilePath(), home.ini());
}

TEST(SettingsFile, WithNoFileTheHeaderIsWrittenAndAUsersLinesSurviveARun)
{
    ConfigHome home;
    ReadSettingsFile();
    ASSERT_TRUE(WriteSettingsFile());
    // No module has bound keys in this test program, so only the header stands.
    EXPECT_EQ(slurp(home.ini()), "[KESTRELON 5.2.9]\r\n");

    const std::string users = "[KESTRELON 5.2.9]\r\nSPEED=20\r\nMSG=CQ\r\nMSG=\r\nMDPINT=bfl\r\nUNKNOWN=1\r\n";
    ::chmod(home.ini().toLocal8Bit().constData(), 0600);
    std::ofstream(home.ini().toStdString(), std::ios::binary | std::ios::trunc) << users;
    ReadSettingsFile();
    ASSERT_TRUE(WriteSettingsFile());
    EXPECT_EQ(slurp(home.ini()), users);
}

TEST(SettingsFile, AFileThatCannotBeReadIsNotOverwrittenAtExit)
{
    ConfigHome home;
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
        ReadSettingsFile();
        ::_exit(WriteSettingsFile() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written over the unreadable file, 3: could not drop root";
    ::chmod(home.ini().toLocal8Bit().constData(), 0600);
    EXPECT_EQ(slurp(home.ini()), users);
    EXPECT_EQ(QDir(home.dir.path() + "/kestrelon").entryList(QDir::Files | QDir::Hidden).size(), 1);
}
