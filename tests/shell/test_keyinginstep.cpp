// The element clock keyed in step with the sound: a character's keying waits for its sound,
// an early report of the one before does not cut that one's keying, and a start whose sound
// was cut never keys.

#include "engine/elementclock.h"
#include "shell/soundengine.h"
#include "tests/devices/manualtimerbackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Every line switch, with the time it happened, in ms from the backend's start.
struct TimedSerial : SerialKeyingLines {
    ManualTimerBackend &backend;
    std::vector<std::string> log;
    explicit TimedSerial(ManualTimerBackend &b) : backend(b) {}
    bool Escape(LineFunction function) override
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(backend.now() - backend.start());
        log.push_back((function == SETDTR ? "down@" : "up@") + std::to_string(ms.count()));
        return true;
    }
    void Invalidate() override {}
};

CWElementTable table(std::initializer_list<std::int32_t> entries)
{
    CWElementTable t{};
    std::copy(entries.begin(), entries.end(), t.begin());
    return t;
}

TEST(KeyingInStep, EachCharacterIsKeyedWhenItsSoundLeavesTheOutput)
{
    ManualTimerBackend backend;
    TimedSerial serial(backend);
    ElementClock clock(&serial, nullptr, nullptr, &backend);
    KeyingConfig config;
    config.SerialPortInUse = true;
    config.CWLines = LineDTR;
    clock.SetConfig(config);
    KeyingInStep keying(clock, &backend);
    const CWElementTable i = table({0, 40, -40, 40, 0}), t = table({0, 120, 0});

    // Nothing before the sound: at once when it is due now.
    keying.KeyFirstElement(i, 0ms);
    EXPECT_EQ(serial.log, std::vector<std::string>({"down@0"}));
    keying.Stop(0ms);
    serial.log.clear();

    keying.KeyFirstElement(i, 30ms);
    EXPECT_TRUE(serial.log.empty());
    // The report of "i" comes while it still sounds; "t" follows it at 230 ms.
    ASSERT_TRUE(backend.fireNext());
    keying.Stop(200ms);
    keying.KeyFirstElement(t, 200ms);
    EXPECT_EQ(keying.Waiting(), 2u);
    while (backend.now() < backend.start() + 1s && backend.fireNext()) {
    }
    EXPECT_EQ(serial.log, std::vector<std::string>({"down@30", "up@70", "down@110", "up@150", "down@230", "up@350"}));
    EXPECT_EQ(keying.Waiting(), 0u);

    // The output was silenced: the start waiting for a sound that will not come is dropped.
    serial.log.clear();
    keying.KeyFirstElement(t, 300ms);
    keying.Stop(10ms);
    while (backend.fireNext()) {
    }
    EXPECT_TRUE(serial.log.empty());

    keying.KeyFirstElement(t, 50ms);
    keying.Cancel();
    keying.KeyFirstElement(t, 0ms);
    while (backend.fireNext()) {
    }
    EXPECT_TRUE(serial.log.empty());
    EXPECT_EQ(keying.Waiting(), 0u);
}

} // namespace
