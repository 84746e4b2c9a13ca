// The gauge of how crowded the processors are, read from a file in /proc/loadavg's format.

#include "platform/runqueue.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(RunQueueGauge, ReadsTheTasksReadyToRunFromALoadLine)
{
    EXPECT_EQ(RunQueueGauge::runnable("0.61 0.50 0.42 3/512 4321\n"), 3);
    EXPECT_EQ(RunQueueGauge::runnable("17.02 12.9 8.00 26/1830 99"), 26);
    EXPECT_EQ(RunQueueGauge::runnable("0.61 0.50 0.42"), -1);
    EXPECT_EQ(RunQueueGauge::runnable("0.61 0.50 0.42 /512 4321"), -1);
    EXPECT_EQ(RunQueueGauge::runnable("0.61 0.50 0.42 x3/512 4321"), -1);
    EXPECT_EQ(RunQueueGauge::runnable(""), -1);
}

// Per core, the reader's own thread left out, averaged over the last Window readings; a line
// it cannot read counts for nothing.
TEST(RunQueueGauge, AveragesTheWaitingTasksPerCoreOverItsWindow)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("loadavg")).toStdString();
    auto write = [&](const char *line) { std::ofstream(path, std::ios::trunc) << line; };
    RunQueueGauge gauge(path, 8);
    EXPECT_LT(gauge(), 0.0); // no file yet

    write("16.0 16.0 16.0 17/900 1234\n");
    EXPECT_DOUBLE_EQ(gauge(), 2.0);
    write("1.0 1.0 1.0 1/900 1234\n");
    EXPECT_DOUBLE_EQ(gauge(), 1.0);
    write("garbage\n");
    EXPECT_DOUBLE_EQ(gauge(), 1.0);
    write("0.5 0.5 0.5 1/900 1234\n");
    for (std::size_t i = 0; i < RunQueueGauge::Window; ++i)
        gauge();
    EXPECT_DOUBLE_EQ(gauge(), 0.0); // the crowd has left the window
}

} // namespace
