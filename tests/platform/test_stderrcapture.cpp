// The sound libraries' chatter on the standard error is kept off the terminal while devices
// are opened; the program's own lines pass, and everything shows when the opening failed.

#include "platform/stderrcapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace {

void probe(bool fails)
{
    StderrCapture outer;
    std::fputs("ALSA lib confmisc.c:855:(parse_card) cannot find card '0'\n", stderr);
    {
        StderrCapture inner; // shares the outer one; its failure shows when the outer ends
        std::thread([] { std::fputs("kestrelon: from another thread\n", stderr); }).join();
        if (fails)
            inner.failed();
    }
    std::fputs("jack server is not running or cannot be started\n", stderr);
}

TEST(StderrCapture, KeepsChatterOffTheTerminalUnlessTheOpeningFailed)
{
    // GoogleTest's capture stands in for the terminal.
    testing::internal::CaptureStderr();
    probe(true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ALSA lib confmisc.c:855:(parse_card) cannot find card '0'\n"
              "kestrelon: from another thread\n"
              "jack server is not running or cannot be started\n");
    testing::internal::CaptureStderr();
    probe(false);
    std::fputs("after\n", stderr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "kestrelon: from another thread\nafter\n");
}

} // namespace
