// The one reader of the files a user names: what it reads, what it refuses and why, and that
// nothing it is given makes it wait or read without end.

#include "tests/common/testsupport.h"

#include "platform/userfile.h"

#include <cerrno>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

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

} // namespace
