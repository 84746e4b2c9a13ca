// A crash while the sound libraries' chatter is kept off the terminal: the report of the crash
// (an assertion, a sanitizer's) still reaches the real standard error before the process ends.

#include "platform/stderrcapture.h"
#include "shell/unixsignals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

TEST(FatalSignalDeathTest, GivesTheStandardErrorBackWithWhatWasCaptured)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            InstallQuitSignals([] {});
            StderrCapture capture; // a sound device being opened
            std::fputs("ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM default\n", stderr);
            std::fputs("soundengine.cpp:88: open: Assertion `stream' failed.\n", stderr);
            std::fflush(stderr);
            std::abort();
        },
        testing::KilledBySignal(SIGABRT), "Unknown PCM default\nsoundengine.cpp:88: open: Assertion `stream' failed.");
}

} // namespace
