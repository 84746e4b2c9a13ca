#include "engine/elementclock.h"
#include "tests/common/testsupport.h"
#include "tests/devices/manualtimerbackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int Patience = 20000;

// Every output call in order, as text: "SETDTR", "CLRRTS", "OUT 37A=0C", "CW on".
struct Log {
    std::mutex mutex;
    std::vector<std::string> entries;
    void add(std::string entry)
    {
        std::lock_guard lock(mutex);
        entries.push_back(std::move(entry));
    }
    std::vector<std::string> take()
    {
        std::lock_guard lock(mutex);
        return std::exchange(entries, {});
    }
    size_t size()
    {
        std::lock_guard lock(mutex);
        return entries.size();
    }
};

struct FakeSerial : SerialKeyingLines {
    Log &log;
    explicit FakeSerial(Log &l) : log(l) {}
    // Set to hold a switch until released (for the thread tests).
    std::function<void()> onEscape;
    bool Escape(LineFunction function) override
    {
        static const char *names[] = {"", "", "", "SETRTS", "CLRRTS", "SETDTR", "CLRDTR"};
        log.add(names[function]);
        if (onEscape)
            onEscape();
        return true;
    }
    void Invalidate() override { log.add("INVALIDATE"); }
};

struct FakePort : ParallelPortIo {
    Log &log;
    explicit FakePort(Log &l) : log(l) {}
    std::uint8_t Inport(std::uint16_t) override { return 0; }
    void Outport(std::uint16_t address, std::uint8_t value) override
    {
        char text[32];
        std::snprintf(text, sizeof text, "OUT %03X=%02X", address, value);
        log.add(text);
    }
};

struct FakeLamps : KeyingLamps {
    Log &log;
    std::atomic<int> cw{-1}; // -1 never switched
    explicit FakeLamps(Log &l) : log(l) {}
    void SetPTTLamp(bool on) override { log.add(on ? "PTT on" : "PTT off"); }
    void SetCWLamp(bool on) override
    {
        cw = on ? 1 : 0;
        log.add(on ? "CW on" : "CW off");
    }
};

KeyingConfig serialDtr()
{
    KeyingConfig config;
    config.SerialPortInUse = true;
    config.CWLines = LineDTR;
    return config;
}

CWElementTable table(std::initializer_list<std::int32_t> entries)
{
    CWElementTable t{};
    std::copy(entries.begin(), entries.end(), t.begin());
    return t;
}

// The clock with recording outputs on a backend fired by hand.
struct Rig {
    Log log;
    FakeSerial serial{log};
    FakePort port{log};
    FakeLamps lamps{log};
    ManualTimerBackend backend;
    ElementClock clock{&serial, &port, &lamps, &backend};

    explicit Rig(KeyingConfig config = serialDtr()) { clock.SetConfig(config); }

    // The output calls of one step, then the length the clock was armed for ("-" when not).
    std::string step(const std::function<void()> &action)
    {
        const size_t before = backend.created.size();
        action();
        std::string text;
        for (const auto &entry : log.take())
            if (entry.rfind("CW ", 0) != 0)
                text += entry + " ";
        if (backend.created.size() == before || backend.pending().empty())
            return text + "-";
        const auto &armed = backend.created.back();
        const auto from = backend.created.size() == 1 ? backend.start() : backend.created[backend.created.size() - 2].deadline;
        return text + std::to_string((armed.deadline - from) / 1ms);
    }
    std::string fire(int lateMs = 0)
    {
        return step([&] { backend.fireNext(lateMs); });
    }
    // A whole character: its first element, then every expiry until the clock stops.
    std::vector<std::string> run(const CWElementTable &t, int lateMs = 0)
    {
        std::vector<std::string> trace{step([&] { clock.KeyFirstElement(t); })};
        while (!backend.pending().empty())
            trace.push_back(fire(lateMs));
        return trace;
    }
};

} // namespace

TEST(ElementClock, KSendsDownUpDownUpDownUpWithTheTableLengths)
{
    // "-.-" at 20 wpm.
    Rig rig;
    const auto k = table({0, 170, -57, 57, -57, 170, 0});
    const auto trace = rig.run(k, 3); // every expiry 3 ms late
    EXPECT_EQ(trace, (std::vector<std::string>{"SETDTR 170", "CLRDTR 57", "SETDTR 57", "CLRDTR 57",
                                               "SETDTR 170", "CLRDTR -"}));
    // Each length counts from the scheduled expiry, so the lateness does not add up.
    ASSERT_EQ(rig.backend.created.size(), 5u);
    EXPECT_EQ(rig.backend.created.back().deadline, rig.backend.start() + 511ms);
    EXPECT_EQ(rig.clock.CWLineDown.load(), 0);
    EXPECT_EQ(rig.lamps.cw.load(), 0);
    EXPECT_EQ(rig.clock.CWElementIndex(), 6); // the end mark's index, unchanged
}

TEST(ElementClock, LampAndLineFlagFollowTheElements)
{
    Rig rig;
    rig.clock.KeyFirstElement(table({0, 30, -10, 30, 0}));
    EXPECT_EQ(rig.clock.CWLineDown.load(), 1);
    EXPECT_EQ(rig.lamps.cw.load(), 1);
    rig.backend.fireNext();
    EXPECT_EQ(rig.lamps.cw.load(), 0);
    EXPECT_EQ(rig.clock.CWLineDown.load(), 1); // left as it is during a gap
    rig.backend.fireNext();
    EXPECT_EQ(rig.lamps.cw.load(), 1);
    rig.backend.fireNext();
    EXPECT_EQ(rig.lamps.cw.load(), 0);
    EXPECT_EQ(rig.clock.CWLineDown.load(), 0);
}

TEST(ElementClock, EntryOneZeroKeysNothingAndLeavesTheTimerOff)
{
    Rig rig;
    rig.clock.KeyFirstElement(table({0, 0, 0}));
    EXPECT_TRUE(rig.log.take().empty());
    EXPECT_TRUE(rig.backend.created.empty());
    EXPECT_FALSE(rig.clock.MMTimerCW().Enabled());
}

TEST(ElementClock, OneElementGoesDownAndUpWithoutReArming)
{
    Rig rig;
    EXPECT_EQ(rig.step([&] { rig.clock.KeyFirstElement(table({0, 94, 0})); }), "SETDTR 94");
    EXPECT_EQ(rig.fire(), "CLRDTR -");
    EXPECT_EQ(rig.backend.created.size(), 1u);
    EXPECT_EQ(rig.clock.CWElementIndex(), 2);
    EXPECT_EQ(rig.clock.CWLineDown.load(), 0);
}

TEST(ElementClock, KeysOnlyBeaconTextWhenTheBeaconAsksForIt)
{
    KeyingConfig config = serialDtr();
    config.HeldForBeacon = true; // "Key TX only when beacon is played", no beacon sending
    Rig rig(config);
    rig.clock.KeyFirstElement(table({0, 50, 0}));
    EXPECT_TRUE(rig.log.take().empty());
    EXPECT_TRUE(rig.backend.created.empty());

    config.HeldForBeacon = false; // the beacon's own text
    rig.clock.SetConfig(config);
    EXPECT_EQ(rig.step([&] { rig.clock.KeyFirstElement(table({0, 50, 0})); }), "SETDTR 50");
}

TEST(ElementClock, ALineThatPowersTheKeyerIsNeverSwitched)
{
    KeyingConfig config = serialDtr();
    config.CWLines = LineDTR | LineRTS;
    config.PowerLines = LineDTR;
    config.KeyerPowerOn = true;
    Rig rig(config);
    EXPECT_EQ(rig.run(table({0, 40, -20, 40, 0})), (std::vector<std::string>{"SETRTS 40", "CLRRTS 20", "SETRTS 40", "CLRRTS -"}));

    // With the supply off the same line is keyed again.
    config.KeyerPowerOn = false;
    rig.clock.SetConfig(config);
    EXPECT_EQ(rig.step([&] { rig.clock.KeyFirstElement(table({0, 40, 0})); }), "SETDTR SETRTS 40");
}

TEST(ElementClock, ADisabledCWBoxKeepsItsLineFromBeingRaisedButKeyUpLowersIt)
{
    KeyingConfig config = serialDtr();
    config.CWLines = LineDTR | LineRTS;
    config.CWDTREnabled = false;
    Rig rig(config);
    EXPECT_EQ(rig.run(table({0, 40, -20, 40, 0})), (std::vector<std::string>{"SETRTS 40", "CLRDTR CLRRTS 20", "SETRTS 40", "CLRDTR CLRRTS -"}));
}

TEST(ElementClock, NoSerialPortNoRaiseButKeyUpStillTriesTheLines)
{
    KeyingConfig config = serialDtr();
    config.SerialPortInUse = false;
    Rig rig(config);
    EXPECT_EQ(rig.step([&] { rig.clock.KeyFirstElement(table({0, 40, 0})); }), "40");
    EXPECT_EQ(rig.clock.CWLineDown.load(), 0);
    EXPECT_EQ(rig.lamps.cw.load(), -1); // nothing raised: the lamp stays as it was
    EXPECT_EQ(rig.fire(), "CLRDTR -");
}

TEST(ElementClock, NoPinChosenWritesNothingWhileTheLampFollows)
{
    KeyingConfig config; // no serial port
    config.ParallelPortInUse = true;
    config.LptBase = 0x378;
    config.PinIndex = -1;
    Rig rig(config);
    rig.clock.KeyFirstElement(table({0, 40, -20, 40, 0}));
    std::vector<int> lamp{rig.lamps.cw.load()};
    while (!rig.backend.pending().empty()) {
        rig.backend.fireNext();
        lamp.push_back(rig.lamps.cw.load());
    }
    EXPECT_EQ(lamp, (std::vector<int>{1, 0, 1, 0}));
    for (const auto &entry : rig.log.take())
        EXPECT_EQ(entry.rfind("OUT", 0), std::string::npos) << entry;
}

// Pins 1, 14, 16, 17 are bits 0..3 of the control register at base + 2.
TEST(ElementClock, PinLevelsChangeOnlyTheChosenBitOfTheShadow)
{
    struct Cell {
        int pin;
        bool negative;
        bool setWhenDown; // the bit while the key is down
    };
    const Cell cells[] = {
        {0, true, true},  {0, false, false}, {1, true, true},  {1, false, false},
        {2, true, false}, {2, false, true},  {3, true, true},  {3, false, false},
    };
    for (const Cell &cell : cells) {
        for (std::uint16_t shadow : {0x00, 0x0F, 0xC5}) {
            KeyingConfig config;
            config.ParallelPortInUse = true;
            config.LptBase = 0x278;
            config.LptControl = shadow;
            config.PinIndex = static_cast<std::int8_t>(cell.pin);
            config.NegativeLogic = cell.negative ? (1u << cell.pin) : (0x0F & ~(1u << cell.pin));
            Rig rig(config);
            rig.clock.KeyFirstElement(table({0, 40, 0}));
            rig.backend.fireNext();
            const int bit = 1 << cell.pin;
            const int down = cell.setWhenDown ? (shadow | bit) : (shadow & ~bit);
            const int up = cell.setWhenDown ? (shadow & ~bit) : (shadow | bit);
            char expectDown[32], expectUp[32];
            std::snprintf(expectDown, sizeof expectDown, "OUT 27A=%02X", down);
            std::snprintf(expectUp, sizeof expectUp, "OUT 27A=%02X", up);
            EXPECT_EQ(rig.log.take(), (std::vector<std::string>{expectDown, "CW on", "CW off", expectUp, "CW off"}))
                << "pin index " << cell.pin << (cell.negative ? " negative" : " positive") << " shadow " << shadow;
            EXPECT_EQ(rig.clock.Config().LptControl, shadow);
        }
    }
    // Any other pin index writes nothing.
    EXPECT_FALSE(LptKeyLevel(0x0F, 4, false, true).has_value());
    EXPECT_FALSE(LptKeyLevel(0x0F, -1, true, false).has_value());
}

TEST(ElementClock, AnExpiryAfterStopChangesNothing)
{
    Rig rig;
    rig.clock.KeyFirstElement(table({0, 50, -20, 50, 0}));
    const auto event = rig.backend.created.back();
    rig.clock.Stop();
    rig.log.take();
    rig.backend.fireLate(event.id, event.deadline); // dispatched before the stop
    EXPECT_TRUE(rig.log.take().empty());
    EXPECT_EQ(rig.backend.created.size(), 1u);
    EXPECT_EQ(rig.clock.CWElementIndex(), 2);
}

TEST(ElementClock, ALateStepOfThePreviousCharacterDoesNotLandOnTheNext)
{
    Rig rig;
    rig.clock.KeyFirstElement(table({0, 50, -20, 50, 0}));
    const auto previous = rig.backend.created.back();
    rig.clock.KeyFirstElement(table({0, 90, 0})); // the next character, without a stop between
    rig.log.take();
    rig.backend.fireLate(previous.id, previous.deadline);
    EXPECT_TRUE(rig.log.take().empty());
    EXPECT_EQ(rig.fire(), "CLRDTR -"); // the next character's own step: its end mark
}

TEST(ElementClock, StepWaitingForTheLockWhileTheNextCharacterStartsIsDropped)
{
    // The previous character's expiry has passed the timer's own check and waits for the
    // clock's lock while KeyFirstElement for the next character is switching the lines.
    Rig rig;
    rig.clock.KeyFirstElement(table({0, 50, -20, 50, 0}));
    const auto previous = rig.backend.created.back();
    rig.log.take();
    // Its deadline has come: the next character starts then, whichever thread the machine
    // lets run first.
    rig.backend.advance(std::chrono::duration_cast<std::chrono::milliseconds>(previous.deadline - rig.backend.now()));

    std::mutex mutex;
    std::condition_variable changed;
    bool switching = false, release = false;
    std::atomic<bool> holdOnce{true};
    // Left in place while it runs: clearing a std::function that another thread is inside
    // would free the call under its feet.
    rig.serial.onEscape = [&] {
        if (!holdOnce.exchange(false))
            return;
        std::unique_lock lock(mutex);
        switching = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::milliseconds(Patience), [&] { return release; });
    };
    std::thread ui([&] { rig.clock.KeyFirstElement(table({0, 90, 0})); });
    {
        // Not an ASSERT: returning with the thread running would end the whole test program.
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, std::chrono::milliseconds(Patience), [&] { return switching; }));
    }
    // KeyFirstElement has killed the old event already; its expiry was dispatched before.
    std::thread timer([&] { rig.backend.fireLate(previous.id, previous.deadline); });
    std::this_thread::sleep_for(20ms);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    ui.join();
    timer.join();
    EXPECT_EQ(rig.log.take(), (std::vector<std::string>{"SETDTR", "CW on"}));
    ASSERT_EQ(rig.backend.pending().size(), 1u);
    EXPECT_EQ(rig.backend.pending()[0].deadline - rig.backend.now(), 90ms);
    EXPECT_EQ(rig.clock.CWElementIndex(), 2);
}

TEST(ElementClock, AnIndexPastTheLastEntryIsTheEndMark)
{
    // Fifteen elements and no end mark where it belongs (entry 30 is a gap).
    CWElementTable full{};
    for (int i = 1; i < CWElementTableSize; ++i)
        full[i] = i % 2 ? 20 : -10;
    Rig rig;
    rig.clock.KeyFirstElement(full);
    int steps = 0;
    while (!rig.backend.pending().empty() && steps < 100) {
        rig.backend.fireNext();
        ++steps;
    }
    EXPECT_EQ(steps, 30); // entries 2..30, then the end
    EXPECT_EQ(rig.backend.created.size(), 30u);
    EXPECT_EQ(rig.clock.CWLineDown.load(), 0);
    EXPECT_EQ(rig.log.take().back(), "CW off");
}

TEST(ElementClock, StraightKeyKeysDownWithoutArming)
{
    KeyingConfig config = serialDtr();
    config.ParallelPortInUse = true;
    config.LptBase = 0x378;
    config.PinIndex = 3;
    Rig rig(config);
    rig.clock.ManualKeyDown = 1;
    rig.clock.KeyFirstElement();
    EXPECT_EQ(rig.log.take(), (std::vector<std::string>{"SETDTR", "CW on", "OUT 37A=08", "CW on"}));
    EXPECT_TRUE(rig.backend.created.empty());
    EXPECT_EQ(rig.clock.MMTimerCW().Interval(), 10);
}

TEST(ElementClock, StraightKeyUpReleasesWhatItsDownKeyedButNeverASupplyLine)
{
    KeyingConfig config = serialDtr();
    config.CWLines = LineDTR | LineRTS;
    config.KeyerPowerOn = true;
    config.PowerLines = LineRTS;
    config.ParallelPortInUse = true;
    config.LptBase = 0x378;
    config.PinIndex = 3;
    Rig rig(config);
    rig.clock.ManualKeyUp(); // no straight key down: nothing
    EXPECT_TRUE(rig.log.take().empty());
    rig.clock.ManualKeyDown = 1;
    rig.clock.KeyFirstElement();
    rig.log.take();
    rig.clock.ManualKeyUp();
    EXPECT_EQ(rig.log.take(), (std::vector<std::string>{"CLRDTR", "CW off", "OUT 37A=00"}));
    EXPECT_EQ(rig.clock.ManualKeyDown.load(), 0);
    EXPECT_EQ(rig.clock.CWLineDown.load(), 0);
    rig.clock.ManualKeyUp(); // a second key-up finds nothing to release
    EXPECT_TRUE(rig.log.take().empty());
}

TEST(ElementClock, AfterCloseNothingKeys)
{
    Rig rig;
    rig.clock.KeyFirstElement(table({0, 50, -20, 50, 0}));
    const auto event = rig.backend.created.back();
    rig.clock.Close();
    rig.log.take();
    rig.backend.fireLate(event.id, event.deadline);
    rig.clock.KeyFirstElement(table({0, 50, 0}));
    rig.clock.ManualKeyDown = 1;
    rig.clock.KeyFirstElement();
    EXPECT_TRUE(rig.log.take().empty());
}

// ---- On the real timer thread ----

struct ThreadRig {
    Log log;
    FakeSerial serial{log};
    FakeLamps lamps{log};
    ElementClock clock{&serial, nullptr, &lamps};
    ThreadRig() { clock.SetConfig(serialDtr()); }
    std::vector<std::string> lines()
    {
        std::vector<std::string> result;
        for (const auto &entry : log.take())
            if (entry.rfind("CW ", 0) != 0)
                result.push_back(entry);
        return result;
    }
};

TEST(ElementClockThread, RunsACharacterToItsEnd)
{
    ThreadRig rig;
    rig.clock.KeyFirstElement(table({0, 6, -2, 2, -2, 6, 0}));
    ASSERT_TRUE(testsupport::waitFor([&] { return rig.log.size() >= 12; }, Patience));
    rig.clock.Stop();
    EXPECT_EQ(rig.lines(), (std::vector<std::string>{"SETDTR", "CLRDTR", "SETDTR", "CLRDTR", "SETDTR", "CLRDTR"}));
    EXPECT_EQ(rig.clock.CWLineDown.load(), 0);
}

TEST(ElementClockThread, StopAndCloseWaitForARunningStepAndNothingKeysAfterClose)
{
    ThreadRig rig;
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false, release = false;
    // The first switch made on the timer thread is held, however soon it comes.
    const auto testThread = std::this_thread::get_id();
    std::atomic<bool> holdNext{true};
    rig.serial.onEscape = [&] {
        if (std::this_thread::get_id() == testThread || !holdNext.exchange(false))
            return;
        std::unique_lock lock(mutex);
        held = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::milliseconds(Patience), [&] { return release; });
    };
    rig.clock.KeyFirstElement(table({0, 3, -3, 3, -3, 3, -3, 3, 0}));
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::milliseconds(Patience), [&] { return held; }));
    }
    std::atomic<bool> closed{false};
    std::thread quit([&] {
        rig.clock.Close();
        closed = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(closed.load()); // still waiting for the step
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    quit.join();
    const size_t afterClose = rig.log.size();
    // The held step re-armed the clock before Close took over; its expiry, long past
    // once this later event has run, must key nothing.
    std::atomic<bool> marker{false};
    auto &service = platform::TimerService::instance();
    service.setEvent(service.now() + 30ms, 0, [&](auto, auto) { marker = true; });
    ASSERT_TRUE(testsupport::waitFor([&] { return marker.load(); }, Patience));
    EXPECT_EQ(rig.log.size(), afterClose);
    // Whatever ran before Close took over ran whole: down and up in turn.
    const auto lines = rig.lines();
    ASSERT_GE(lines.size(), 2u);
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], i % 2 ? "CLRDTR" : "SETDTR") << i;
}
