// The stream side of the sound output on a device that takes blocks in real time.

#include "tests/common/testsupport.h"
#include "tests/platform/clockeddevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using Tags = std::vector<AudioOutput::Tag>;

// A device unplugged while buffers are out: within a second the output gives it up, says so
// once, and hands every buffer back, in order, after saying so; it opens again afterwards.
TEST(StreamOutput, ADeviceThatStopsTakingSoundIsGivenUpWithinASecond)
{
    ClockedOutput out(256);
    out.setStartGrace(std::chrono::milliseconds(0));
    std::vector<std::string> events;
    int failures = 0;
    out.setFailureHandler([&](int error) {
        ++failures;
        EXPECT_EQ(error, paDeviceUnavailable);
        EXPECT_FALSE(out.isOpen());
        events.push_back("failed");
    });
    out.setDoneHandler([&](AudioOutput::Tag tag) { events.push_back(std::to_string(tag)); });
    ASSERT_EQ(out.open(-1), 0);
    const std::vector<std::int16_t> second(2 * AudioOutput::SampleRate, 1000);
    for (AudioOutput::Tag tag = 1; tag <= 3; ++tag)
        ASSERT_EQ(out.write(tag, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.stall();
    const auto stalled = std::chrono::steady_clock::now();
    ASSERT_TRUE(testsupport::waitFor([&] { return events.size() == 4; }, 5000));
    // A generous bound for a loaded machine; the output itself gives up after half a second.
    EXPECT_LT(std::chrono::steady_clock::now() - stalled, std::chrono::milliseconds(1000 + 1500));
    EXPECT_EQ(events, (std::vector<std::string>{"failed", "1", "2", "3"}));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(out.startDelay(), 0.0);
    EXPECT_NE(out.write(4, second.data(), second.size()), 0);

    events.clear();
    ASSERT_EQ(out.open(-1), 0);
    ASSERT_EQ(out.write(5, second.data(), 2 * 100), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return events.size() == 1; }));
    EXPECT_EQ(events, std::vector<std::string>{"5"});
    EXPECT_EQ(failures, 1);
}

} // namespace
