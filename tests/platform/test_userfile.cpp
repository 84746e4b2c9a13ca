// The one reader of the files a user names: what it reads, what it refuses and why, and that
// nothing it is given makes it wait or read without end.

#include "tests/common/testsupport.h"

#include "platform/serialdevice_linux.h"
#include "platform/userfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

namespace {

using userfile::ReadStatus;
using userfile::ReadUserFile;

TEST(UserFile, ARegularFileIsReadWholeUpToItsLimitAndNotAByteBeyond)
{
    QTemporaryDir folder;
    const std::string bytes("cq\0de\xff\r\n", 8);
    const std::string path = folder.filePath(QStringLiteral("eight.txt")).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_EQ(ReadUserFile(path, 8).bytes, bytes);
    EXPECT_EQ(ReadUserFile(path, 7).status, ReadStatus::TooLarge);
    EXPECT_TRUE(userfile::OpensForReading(path)) << "whatever its size";
    // A file whose size says 0 and that holds more (as /proc's do) is cut off all the same.
    EXPECT_EQ(ReadUserFile("/proc/self/status", 16).status, ReadStatus::TooLarge);
    EXPECT_EQ(ReadUserFile("/proc/self/status", 1 << 20).bytes.rfind("Name:", 0), 0u);
}

TEST(UserFile, WhatIsNoFileIsRefusedAtOnceAndSaysWhy)
{
    QTemporaryDir folder;
    const std::vector<std::string> endless = testsupport::inputsThatNeverEnd(folder.path(), 64);
    const ReadStatus expected[] = {ReadStatus::NotAFile, ReadStatus::NotAFile, ReadStatus::TooLarge};
    for (std::size_t i = 0; i < endless.size(); ++i) {
        const userfile::ReadResult read = ReadUserFile(endless[i], 64);
        EXPECT_EQ(read.status, expected[i]) << endless[i];
        EXPECT_TRUE(read.bytes.empty()) << endless[i];
        EXPECT_NE(read.error.find(endless[i]), std::string::npos) << read.error;
    }
    EXPECT_FALSE(userfile::OpensForReading(endless[0]));
    EXPECT_EQ(ReadUserFile(folder.path().toStdString(), 64).status, ReadStatus::NotAFile);
    // A file where a folder should be is no missing file: a writer there would fail too.
    const userfile::ReadResult below = ReadUserFile(endless[2] + "/below.txt", 64);
    EXPECT_EQ(below.status, ReadStatus::Unreadable);
    EXPECT_EQ(below.errorNumber, ENOTDIR);
    EXPECT_EQ(ReadUserFile(folder.path().toStdString() + "/none.txt", 64).status, ReadStatus::Missing);
}

// Whether the thread `tid` of this process sleeps (in the call it was about to make).
bool sleeping(pid_t tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] == 'S';
}

// A FIFO's writer waits in its open until a reader opens the FIFO: the reader is given the
// FIFO, and whether the writer woke tells whether the reader opened it.
TEST(UserFile, ADeviceOrAFifoIsNeverOpenedAtAll)
{
    QTemporaryDir folder;
    const std::string fifo = folder.filePath(QStringLiteral("words.txt")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<pid_t> writerTid{0};
    std::atomic<bool> woke{false};
    std::thread writer([&] {
        writerTid = static_cast<pid_t>(::syscall(SYS_gettid));
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
        woke = true;
        if (fd >= 0)
            ::close(fd);
    });
    ASSERT_TRUE(testsupport::waitFor([&] { return writerTid != 0 && sleeping(writerTid); }, 5000));

    const userfile::ReadResult read = ReadUserFile(fifo, 64);
    EXPECT_EQ(read.status, ReadStatus::NotAFile);
    EXPECT_EQ(read.errorNumber, EINVAL);
    EXPECT_FALSE(userfile::OpensForReading(fifo));
    EXPECT_EQ(ReadUserFile(fifo, 64, userfile::Beyond::KeepPrefix).status, ReadStatus::NotAFile);
    EXPECT_EQ(userfile::WritableTarget(fifo), EINVAL);
    // Any open would have let the writer through at once.
    testsupport::waitFor([] { return false; }, 200);
    EXPECT_FALSE(woke) << "the FIFO was opened";

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    writer.join();
    ::close(reader);
}

// A word list that names the serial port keys nothing: the port's DTR and RTS stay down.
TEST(UserFileUart, ASerialPortNamedAsAFileKeepsItsLinesDown)
{
    if (!serialports::IsSerialPortName("ttyS0"))
        GTEST_SKIP() << "no ttyS0 on this machine";
    serialdev::LinuxSerialDevice port;
    // Held (and locked) meanwhile, its lines lowered: any other open of it raises them again.
    int error = 0;
    testsupport::waitFor([&] { return (error = port.open("ttyS0")) != EBUSY; }, 30000);
    if (error != 0)
        GTEST_SKIP() << "ttyS0 cannot be opened: " << error;
    unsigned lines = ~0u;
    ASSERT_EQ(port.modemLines(lines), 0);
    ASSERT_EQ(lines & (serialdev::LineDTR | serialdev::LineRTS), 0u);

    EXPECT_EQ(ReadUserFile("/dev/ttyS0", 1 << 20).status, ReadStatus::NotAFile);
    EXPECT_FALSE(userfile::OpensForReading("/dev/ttyS0"));
    ASSERT_EQ(port.modemLines(lines), 0);
    EXPECT_EQ(lines & (serialdev::LineDTR | serialdev::LineRTS), 0u) << "the port was opened";
    port.close();
}

TEST(UserFile, AFileOverTheLimitGivesItsFirstBytesToAReaderThatStopsByItself)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("lessons.txt")).toStdString();
    std::ofstream(path, std::ios::binary) << "abc\ndef\nghi\n";
    const userfile::ReadResult cut = ReadUserFile(path, 5, userfile::Beyond::KeepPrefix);
    EXPECT_EQ(cut.status, ReadStatus::TooLarge);
    EXPECT_EQ(cut.bytes, "abc\nd");
    EXPECT_EQ(ReadUserFile(path, 12, userfile::Beyond::KeepPrefix).bytes, "abc\ndef\nghi\n");
    EXPECT_EQ(ReadUserFile("/proc/self/status", 5, userfile::Beyond::KeepPrefix).bytes, "Name:");

    // Where a file may be written: nothing yet, or a regular file, links followed.
    EXPECT_EQ(userfile::WritableTarget(path), 0);
    EXPECT_EQ(userfile::WritableTarget(path + ".new"), 0);
    EXPECT_EQ(userfile::WritableTarget(folder.path().toStdString()), EISDIR);
    const std::string link = folder.filePath(QStringLiteral("zero.txt")).toStdString();
    ASSERT_EQ(::symlink("/dev/zero", link.c_str()), 0);
    EXPECT_EQ(userfile::WritableTarget(link), EINVAL);
}

// Word lists, texts and settings are often links into a folder of the user's own: the reader
// and the writers' check look at the file a link names, through any chain of links.
TEST(UserFile, ALinkIsTakenForTheFileItNames)
{
    QTemporaryDir folder;
    const auto at = [&](const char *name) { return folder.filePath(QString::fromLatin1(name)).toStdString(); };
    std::ofstream(at("words.txt"), std::ios::binary) << "cq de";
    ASSERT_EQ(::symlink("words.txt", at("link.txt").c_str()), 0);
    ASSERT_EQ(::symlink(at("link.txt").c_str(), at("chain.txt").c_str()), 0);
    ASSERT_EQ(::symlink(folder.path().toStdString().c_str(), at("folder").c_str()), 0);
    ASSERT_EQ(::symlink("none.txt", at("dangling.txt").c_str()), 0);
    ASSERT_EQ(::symlink("loop.txt", at("loop.txt").c_str()), 0);

    for (const char *link : {"link.txt", "chain.txt"}) {
        SCOPED_TRACE(link);
        EXPECT_EQ(ReadUserFile(at(link), 64).bytes, "cq de");
        EXPECT_TRUE(userfile::OpensForReading(at(link)));
        EXPECT_EQ(userfile::WritableTarget(at(link)), 0);
    }
    EXPECT_EQ(ReadUserFile(at("folder"), 64).status, ReadStatus::NotAFile);
    EXPECT_EQ(userfile::WritableTarget(at("folder")), EISDIR);
    // Nothing behind the link yet: written, the file is made where it points.
    EXPECT_EQ(ReadUserFile(at("dangling.txt"), 64).status, ReadStatus::Missing);
    EXPECT_EQ(userfile::WritableTarget(at("dangling.txt")), 0);
    EXPECT_EQ(ReadUserFile(at("loop.txt"), 64).errorNumber, ELOOP);
    EXPECT_EQ(userfile::WritableTarget(at("loop.txt")), ELOOP);
}

} // namespace
