#include "shell/settingsstorage.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <vector>

using namespace settings;

namespace {

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const std::string &path, const std::string &bytes, mode_t mode)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    ::chmod(path.c_str(), mode);
}

std::set<std::string> entries(const std::string &folder)
{
    std::set<std::string> names;
    if (DIR *d = ::opendir(folder.c_str())) {
        while (dirent *e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.insert(e->d_name);
        ::closedir(d);
    }
    return names;
}

mode_t modeOf(const std::string &path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

struct Folder {
    QTemporaryDir dir;
    std::string path = dir.path().toStdString();
    std::string ini = path + "/kestrelon.ini";
    ~Folder() { ::chmod(path.c_str(), 0700); }
};

const std::string OldFile = "[KESTRELON 5.2.9]\r\nSPEED=20\r\n";
const std::string NewFile = "[KESTRELON 5.2.9]\r\nSPEED=30\r\nLEVEL=-3\r\n";

} // namespace

TEST(SettingsStorage, WritesANewFileReadOnlyAndLeavesNoTemporaryFile)
{
    Folder f;
    std::string error;
    ASSERT_TRUE(WriteFileSafely(f.ini, NewFile, &error)) << error;
    EXPECT_EQ(slurp(f.ini), NewFile);
    EXPECT_EQ(modeOf(f.ini), 0444u);
    EXPECT_EQ(entries(f.path), std::set<std::string>{"kestrelon.ini"});
}

TEST(SettingsStorage, ReplacesAReadOnlyOldFile)
{
    Folder f;
    put(f.ini, OldFile, 0444);
    ASSERT_TRUE(WriteFileSafely(f.ini, NewFile));
    EXPECT_EQ(slurp(f.ini), NewFile);
    EXPECT_EQ(modeOf(f.ini), 0444u);
    EXPECT_EQ(entries(f.path), std::set<std::string>{"kestrelon.ini"});
}

TEST(SettingsStorage, AFolderThatCannotBeWrittenLeavesTheOldFile)
{
    Folder f;
    put(f.ini, OldFile, 0444);
    ::chmod(f.path.c_str(), 0555);
    // Root writes anywhere, so the attempt runs as an ordinary user in a child process.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        std::string error;
        bool written = WriteFileSafely(f.ini, NewFile, &error);
        ::_exit(written ? 1 : (error.empty() ? 2 : 0));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written, 2: no error text, 3: could not drop root";
    EXPECT_EQ(slurp(f.ini), OldFile);
    EXPECT_EQ(entries(f.path), std::set<std::string>{"kestrelon.ini"});
}

TEST(SettingsStorage, AFullDiskLeavesTheOldFileAndRemovesTheTemporaryFile)
{
    Folder f;
    put(f.ini, OldFile, 0444);
    // The file-size limit makes write() fail with EFBIG, as a full disk fails with ENOSPC.
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit {};
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit small = oldLimit;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    bool written = WriteFileSafely(f.ini, std::string(5000, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(slurp(f.ini), OldFile);
    EXPECT_EQ(entries(f.path), std::set<std::string>{"kestrelon.ini"});
}

TEST(SettingsStorage, AFailedRenameLeavesTheTargetAndRemovesTheTemporaryFile)
{
    Folder f;
    // A non-empty folder in place of the file cannot be replaced by a file.
    ASSERT_EQ(::mkdir(f.ini.c_str(), 0755), 0);
    put(f.ini + "/keep", OldFile, 0644);
    std::string error;
    EXPECT_FALSE(WriteFileSafely(f.ini, NewFile, &error));
    EXPECT_NE(error.find("cannot rename"), std::string::npos) << error;
    EXPECT_EQ(slurp(f.ini + "/keep"), OldFile);
    EXPECT_EQ(entries(f.path), std::set<std::string>{"kestrelon.ini"});
}

TEST(SettingsStorage, NoFolderMeansNoTemporaryFileAndAReport)
{
    Folder f;
    std::string error;
    EXPECT_FALSE(WriteFileSafely(f.path + "/missing/kestrelon.ini", NewFile, &error));
    EXPECT_FALSE(error.empty());
}

TEST(SettingsStorage, ReadingTellsMissingFromUnreadable)
{
    Folder f;
    EXPECT_EQ(ReadWholeFile(f.ini).status, ReadStatus::Missing);

    put(f.ini, std::string("A=\0\xff\r\n", 6), 0444);
    ReadResult read = ReadWholeFile(f.ini);
    EXPECT_EQ(read.status, ReadStatus::Read);
    EXPECT_EQ(read.bytes, std::string("A=\0\xff\r\n", 6));

    std::string folderInstead = f.path + "/folder.ini";
    ::mkdir(folderInstead.c_str(), 0755);
    read = ReadWholeFile(folderInstead);
    EXPECT_EQ(read.status, ReadStatus::Unreadable);
    EXPECT_FALSE(read.error.empty());
}

TEST(SettingsStorage, OnlyARegularFileUpToItsLimitIsReadAndNothingElseBlocksOrFloods)
{
    Folder f;
    const std::string fifo = f.path + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string zero = f.path + "/zero.ini";
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    const std::string big = f.path + "/big.ini";
    put(big, std::string(MaxFileBytes + 1, 'x'), 0644);
    const std::string full = f.path + "/full.ini";
    put(full, std::string(MaxFileBytes, 'x'), 0644);

    // A FIFO with no writer would block a plain open for ever; /dev/zero never ends.
    for (const std::string &path : {fifo, zero, big}) {
        ReadResult read = ReadWholeFile(path);
        EXPECT_EQ(read.status, ReadStatus::Unreadable) << path;
        EXPECT_TRUE(read.bytes.empty()) << path;
        EXPECT_FALSE(read.error.empty()) << path;
    }
    EXPECT_EQ(ReadWholeFile(full).bytes.size(), MaxFileBytes);
    // A link to a regular file is read through.
    ASSERT_EQ(::symlink(full.c_str(), (f.path + "/link.ini").c_str()), 0);
    EXPECT_EQ(ReadWholeFile(f.path + "/link.ini").status, ReadStatus::Read);
}

TEST(SettingsStorage, ALinkStaysAndTheFileItNamesIsWrittenBesideItself)
{
    // Link texts from "home/"; "@" stands for the test's folder. A dangling link's file is made.
    const std::vector<std::vector<std::string>> setups = {
        {"@/dots/kestrelon.ini"}, {"../dots/kestrelon.ini"}, {"chain.ini", "../dots/kestrelon.ini"}};
    for (const bool dangling : {false, true}) {
        for (const auto &links : setups) {
            Folder f;
            ::mkdir((f.path + "/home").c_str(), 0755);
            ::mkdir((f.path + "/dots").c_str(), 0755);
            if (!dangling)
                put(f.path + "/dots/kestrelon.ini", OldFile, 0444);
            const char *names[] = {"kestrelon.ini", "chain.ini"};
            for (std::size_t i = 0; i < links.size(); ++i) {
                const std::string text = links[i][0] == '@' ? f.path + links[i].substr(1) : links[i];
                ::symlink(text.c_str(), (f.path + "/home/" + names[i]).c_str());
            }
            std::string error;
            EXPECT_TRUE(WriteFileSafely(f.path + "/home/kestrelon.ini", NewFile, &error)) << links[0] << error;
            struct stat st {};
            EXPECT_TRUE(::lstat((f.path + "/home/kestrelon.ini").c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << links[0];
            EXPECT_EQ(slurp(f.path + "/dots/kestrelon.ini"), NewFile) << links[0];
            EXPECT_EQ(entries(f.path + "/dots"), std::set<std::string>{"kestrelon.ini"}) << links[0];
        }
    }
    // Links that lead back to themselves are refused, and stay.
    Folder f;
    ::symlink("b.ini", (f.path + "/a.ini").c_str());
    ::symlink("a.ini", (f.path + "/b.ini").c_str());
    EXPECT_FALSE(WriteFileSafely(f.path + "/a.ini", NewFile));
    EXPECT_EQ(entries(f.path), (std::set<std::string>{"a.ini", "b.ini"}));
}

TEST(SettingsStorage, AChainOfLinksIsReadAndWrittenAsFarAsTheSystemFollowsItAndNoFurther)
{
    for (const int links : {40, 41}) {
        Folder f;
        put(f.path + "/file.ini", OldFile, 0444);
        std::string previous = "file.ini";
        for (int i = 1; i <= links; ++i) {
            const std::string name = "link" + std::to_string(i) + ".ini";
            ASSERT_EQ(::symlink(previous.c_str(), (f.path + "/" + name).c_str()), 0);
            previous = name;
        }
        const std::string start = f.path + "/" + previous;
        const bool read = ReadWholeFile(start).status == ReadStatus::Read;
        std::string error;
        const bool written = WriteFileSafely(start, NewFile, &error);
        // What start-up read, the quit writes back; what it could not reach, the quit leaves.
        EXPECT_EQ(read, links == 40) << links;
        EXPECT_EQ(written, read) << links << " links: " << error;
        EXPECT_EQ(slurp(f.path + "/file.ini"), read ? NewFile : OldFile) << links;
    }
}

TEST(SettingsStorage, AFifoOrADeviceWhereTheFileShouldBeIsNeverReplaced)
{
    Folder f;
    const std::string fifo = f.path + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // A node of the null device of our own, reached through a link (never the system's own
    // /dev/null, which a faulty writer would replace); where no node can be made, the FIFO alone.
    std::vector<std::string> paths{fifo};
    const std::string node = f.path + "/null";
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        ASSERT_EQ(::symlink("null", (f.path + "/device.ini").c_str()), 0);
        paths.push_back(f.path + "/device.ini");
    }
    for (const std::string &path : paths) {
        std::string error;
        EXPECT_FALSE(WriteFileSafely(path, NewFile, &error)) << path;
        EXPECT_NE(error.find("cannot replace"), std::string::npos) << error;
    }
    struct stat st {};
    EXPECT_TRUE(::stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(paths.size() == 1 || (::stat(node.c_str(), &st) == 0 && S_ISCHR(st.st_mode)));
    EXPECT_EQ(entries(f.path).size(), paths.size() == 1 ? 1u : 3u);
}
