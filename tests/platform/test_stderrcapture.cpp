// The sound libraries' chatter on the standard error is kept off the terminal while devices
// are opened; everything else passes, and a failure is told in the library's words, once.

#include "platform/portaudiosession.h"
#include "platform/stderrcapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

void probe(const std::string &reason)
{
    StderrCapture outer;
    std::fputs("ALSA lib confmisc.c:855:(parse_card) cannot find card '0'\n", stderr);
    std::fputs("ALSA lib pulse.c:242:(pulse_connect) PulseAudio: Unable to connect: Connection refused\n\n", stderr);
    {
        StderrCapture inner; // shares the outer one; what it is told is said when the outer ends
        std::thread([] { std::fputs("kestrelon: from another thread\n", stderr); }).join();
        std::fputs("probe.cpp:12: probe: Assertion `ready' failed.\n", stderr);
        if (!reason.empty())
            inner.failed(reason);
    }
    std::fputs("Cannot connect to server socket err = No such file or directory\n"
               "Cannot connect to server request channel\n"
               "jack server is not running or cannot be started\n"
               "JackShmReadWritePtr::~JackShmReadWritePtr - Init not done for -1, skipping unlock\n"
               "Expression 'ret' failed in 'src/hostapi/alsa/pa_linux_alsa.c', line: 1736\n"
               "==4242==ERROR: AddressSanitizer: heap-use-after-free\n",
               stderr);
}

TEST(StderrCapture, DropsOnlyTheSoundLibrariesChatterAndPassesEverythingElseInOrder)
{
    // GoogleTest's capture stands in for the terminal.
    testing::internal::CaptureStderr();
    probe({});
    std::fputs("after\n", stderr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "kestrelon: from another thread\n"
              "probe.cpp:12: probe: Assertion `ready' failed.\n"
              "==4242==ERROR: AddressSanitizer: heap-use-after-free\n"
              "after\n");
}

TEST(StderrCapture, AFailureIsToldInTheLibrarysWordsOnceNotByItsChatter)
{
    const std::string reason = "no sound output: PulseAudio: Unable to connect: Connection refused";
    testing::internal::CaptureStderr();
    probe(reason);
    probe(reason); // tried again, failing the same way
    probe("no sound input: Invalid card index 97");
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown.find("ALSA lib"), std::string::npos) << shown;
    const std::string line = "kestrelon: " + reason + "\n";
    const std::size_t first = shown.find(line);
    ASSERT_NE(first, std::string::npos) << shown;
    EXPECT_EQ(shown.find(line, first + 1), std::string::npos) << "said twice:\n" << shown;
    EXPECT_NE(shown.find("kestrelon: no sound input: Invalid card index 97\n"), std::string::npos) << shown;
}

// Only the empty line that ALSA adds after its own message goes with it: the empty lines of
// anything else (a sanitizer's report, a message of the program's own in paragraphs) stay.
TEST(StderrCapture, AnEmptyLineIsDroppedOnlyAfterTheLibrariesChatter)
{
    testing::internal::CaptureStderr();
    {
        StderrCapture capture;
        std::fputs("\n"
                   "==4242==ERROR: AddressSanitizer: heap-use-after-free\n"
                   "\n"
                   "SUMMARY: AddressSanitizer: heap-use-after-free\n"
                   "ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM default\n"
                   "\n"
                   "kestrelon: after the chatter\n"
                   "\n",
                   stderr);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\n"
              "==4242==ERROR: AddressSanitizer: heap-use-after-free\n"
              "\n"
              "SUMMARY: AddressSanitizer: heap-use-after-free\n"
              "kestrelon: after the chatter\n"
              "\n");
}

} // namespace

// ---- The bound on a device call's capture ---------------------------------------------------

namespace {

// Whether the standard error goes into a capture right now.
bool capturing()
{
    char target[256] = {};
    const ssize_t n = ::readlink("/proc/self/fd/2", target, sizeof target - 1);
    return n > 0 && std::string(target, static_cast<std::size_t>(n)).find("stderr-capture") != std::string::npos;
}

} // namespace

// A call held by a frozen server waits without running: its capture ends at the bound, and
// the rest of the program's standard error flows again. A call that still runs (the library's
// start probing every device on a loaded machine) keeps its chatter hidden past the bound.
TEST(SessionCapture, EndsAtItsBoundWhileItsThreadWaitsButNotWhileItStillRuns)
{
    using namespace std::chrono;
    testing::internal::CaptureStderr();
    std::thread([] {
        PortAudioSession::Capture capture;
        const auto start = steady_clock::now();
        ASSERT_TRUE(capturing());
        // Well before the longest a running call's capture may last.
        while (capturing() && steady_clock::now() - start < PortAudioSession::CaptureLongest / 2)
            std::this_thread::sleep_for(100ms);
        EXPECT_FALSE(capturing()) << "a waiting call's capture never ended";
        EXPECT_GE(steady_clock::now() - start, PortAudioSession::CaptureBound);
        std::fputs("ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM after the bound\n", stderr);
    }).join();
    std::thread([] {
        PortAudioSession::Capture capture;
        const auto start = steady_clock::now();
        volatile std::uint64_t work = 0;
        while (steady_clock::now() - start < PortAudioSession::CaptureBound + 3 * PortAudioSession::CaptureLook)
            for (int i = 0; i < 100000; ++i)
                work = work + 1;
        EXPECT_TRUE(capturing()) << "a running call's capture ended at the bound";
        std::fputs("ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM while running\n", stderr);
    }).join();
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("after the bound"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("while running"), std::string::npos) << shown;
}
