// A thread's wait for a processor, as the kernel's scheduler statistics give it.

#include "platform/rundelay.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(RunDelay, IsTheSecondFigureOfTheStatisticsAndNothingElse)
{
    QTemporaryDir folder;
    const auto file = [&](const char *name, const char *text) {
        const std::string path = folder.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(path) << text;
        return path;
    };
    EXPECT_EQ(RunDelayNs(file("stat", "44365908 78147727 49\n").c_str()), 78147727);
    EXPECT_EQ(RunDelayNs(file("two", "44365908 78147727\n").c_str()), 78147727);
    for (const char *text : {"", "44365908\n", "44365908 \n", "1 x2 3\n"})
        EXPECT_EQ(RunDelayNs(file("bad", text).c_str()), -1) << '"' << text << '"';
    EXPECT_EQ(RunDelayNs(folder.filePath(QStringLiteral("none")).toStdString().c_str()), -1);
}

} // namespace
