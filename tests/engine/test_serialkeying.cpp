// The serial keying lines on a scripted port: roles, PTT, release, the keyer supply, the
// transmit delay mapping, and the handle copy that a close invalidates.

#include "engine/elementclock.h"
#include "engine/serialkeying.h"
#include "tests/devices/fakeserialdevice.h"
#include "tests/devices/manualtimerbackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct RecordingLamps : KeyingLamps {
    int ptt = -1, cw = -1; // -1: never switched
    void SetPTTLamp(bool on) override { ptt = on; }
    void SetCWLamp(bool on) override { cw = on; }
};

// The keying lines on a fake port; `calls()` gives the line switches as text, in order,
// from the moment of the last `clear()`.
struct Rig {
    FakeSerialDevice *device;
    SerialKeying keying;
    RecordingLamps lamps;

    Rig() : device(new FakeSerialDevice), keying(std::unique_ptr<serialdev::SerialDevice>(device))
    {
        keying.SetLamps(&lamps);
    }

    void open(const std::string &name = "ttyS0")
    {
        keying.ComPortName = name;
        ASSERT_TRUE(keying.OpenKeyingComPort());
        clear();
    }
    void clear()
    {
        std::lock_guard g(device->m);
        device->lineCalls.clear();
    }
    std::string calls()
    {
        std::lock_guard g(device->m);
        std::string text;
        for (auto [set, clr] : device->lineCalls) {
            if (!text.empty())
                text += ' ';
            if (set & serialdev::LineDTR) text += "+DTR";
            if (set & serialdev::LineRTS) text += "+RTS";
            if (clr & serialdev::LineDTR) text += "-DTR";
            if (clr & serialdev::LineRTS) text += "-RTS";
        }
        return text;
    }
};

TEST(SerialKeyingRoles, ALineTakenByOneRoleLeavesTheOther)
{
    Rig rig;
    rig.keying.PTTLines = LineDTR;
    // CW on DTR while PTT has DTR: the PTT box must be unchecked, the bit moves.
    EXPECT_TRUE(rig.keying.SetRoleLine(true, LineDTR, true));
    EXPECT_EQ(rig.keying.PTTLines, 0);
    EXPECT_EQ(rig.keying.CWLines, LineDTR);
    // RTS to PTT takes nothing from CW; unchecking clears only this role's bit.
    EXPECT_FALSE(rig.keying.SetRoleLine(false, LineRTS, true));
    EXPECT_EQ(rig.keying.PTTLines, LineRTS);
    EXPECT_FALSE(rig.keying.SetRoleLine(true, LineDTR, false));
    EXPECT_EQ(rig.keying.CWLines, 0);
    EXPECT_EQ(rig.keying.PTTLines, LineRTS);
}

TEST(SerialKeyingRoles, ARoleChangeDropsTheKeyedLinesButNotTheSupply)
{
    Rig rig;
    rig.open();
    rig.keying.PTTLines = LineRTS;
    rig.keying.CWLines = LineDTR;
    rig.keying.PTTOn = 1;
    rig.keying.SetCWLineDown(1);
    rig.keying.RoleChangeDropLines();
    EXPECT_EQ(rig.calls(), "-DTR -RTS");
    EXPECT_EQ(rig.keying.PTTOn, 0);
    EXPECT_EQ(rig.keying.CWLineDown(), 0);
    EXPECT_EQ(rig.lamps.ptt, 0);
    EXPECT_EQ(rig.lamps.cw, 0);

    rig.clear();
    rig.keying.KeyerPowerOn = 1;
    rig.keying.PowerLines = LineDTR;
    rig.keying.RoleChangeDropLines();
    EXPECT_EQ(rig.calls(), "-RTS");
}

TEST(SerialKeyingPTT, RaisesOnlyTheLinesItMay)
{
    struct Case {
        const char *what;
        bool port;
        std::uint8_t ptt;
        std::uint8_t alreadyOn;
        std::uint8_t powerOn, power;
        bool dtrBoxEnabled;
        bool beaconHold;
        const char *calls;
        bool raised;
    } cases[] = {
        {"both PTT lines", true, 3, 0, 0, 3, true, false, "+DTR +RTS", true},
        {"DTR only", true, 1, 0, 0, 3, true, false, "+DTR", true},
        {"a supply line is left alone", true, 3, 0, 1, 1, true, false, "+RTS", true},
        {"every PTT line feeds the keyer", true, 1, 0, 1, 3, true, false, "", false},
        {"a disabled role box holds its line", true, 3, 0, 0, 3, false, false, "+RTS", true},
        {"no PTT line", true, 0, 0, 0, 3, true, false, "", false},
        {"no port", false, 3, 0, 0, 3, true, false, "", false},
        {"PTT already up starts no new delay", true, 3, 1, 0, 3, true, false, "", false},
        {"held for the beacon", true, 3, 0, 0, 3, true, true, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        if (c.port)
            rig.open();
        rig.keying.PTTLines = c.ptt;
        rig.keying.PTTOn = c.alreadyOn;
        rig.keying.KeyerPowerOn = c.powerOn;
        rig.keying.PowerLines = c.power;
        rig.keying.PTTBoxEnabled = [&](std::uint8_t line) { return line != LineDTR || c.dtrBoxEnabled; };
        rig.keying.HeldForBeacon = [&] { return c.beaconHold; };
        EXPECT_EQ(rig.keying.RaisePTT(), c.raised);
        EXPECT_EQ(rig.calls(), c.calls);
        EXPECT_EQ(rig.lamps.ptt, c.raised ? 1 : -1);
        EXPECT_EQ(rig.keying.PTTOn, (c.raised || c.alreadyOn) ? 1 : 0);
    }
}

TEST(SerialKeyingRelease, LowersDTRThenRTSWhateverTheRolesExceptASupplyLine)
{
    Rig rig;
    rig.open();
    rig.keying.PTTLines = LineRTS; // no role on DTR: it is lowered all the same
    ASSERT_TRUE(rig.keying.RaisePTT());
    rig.keying.SetCWLineDown(1);
    rig.clear();
    rig.keying.ReleaseKeyingLines();
    EXPECT_EQ(rig.calls(), "-DTR -RTS");
    EXPECT_EQ(rig.keying.PTTOn, 0);
    EXPECT_EQ(rig.keying.CWLineDown(), 0);
    EXPECT_EQ(rig.lamps.ptt, 0);
    EXPECT_EQ(rig.lamps.cw, 0);

    rig.clear();
    rig.keying.KeyerPowerOn = 1;
    rig.keying.PowerLines = LineRTS;
    rig.keying.ReleaseKeyingLines();
    EXPECT_EQ(rig.calls(), "-DTR");

    // Without a port nothing happens at all.
    Rig none;
    none.keying.PTTOn = 1;
    none.keying.ReleaseKeyingLines();
    EXPECT_EQ(none.calls(), "");
    EXPECT_EQ(none.keying.PTTOn, 1);
    EXPECT_EQ(none.lamps.ptt, -1);
}

TEST(SerialKeyingPort, ThePortInUseIsNotOpenedAgain)
{
    Rig rig;
    rig.open("ttyUSB0");
    EXPECT_EQ(rig.device->opens.load(), 1);
    EXPECT_TRUE(rig.keying.OpenKeyingComPort());
    EXPECT_EQ(rig.device->opens.load(), 1);
    EXPECT_TRUE(rig.keying.ComPortKeyer.Connected());
    EXPECT_EQ(rig.keying.ComHandle(), 1000);
}

TEST(SerialKeyingPort, AFailedOpenLeavesNoPortAndAnInvalidHandle)
{
    Rig rig;
    rig.device->openError = EBUSY;
    rig.keying.ComPortName = "ttyUSB0";
    EXPECT_FALSE(rig.keying.OpenKeyingComPort());
    EXPECT_EQ(rig.keying.ComPortName, NoComPortName);
    EXPECT_EQ(rig.keying.ComHandle(), -1);
    EXPECT_FALSE(rig.keying.ComPortKeyer.Connected());
    EXPECT_FALSE(rig.keying.RaisePTT());
}

TEST(SerialKeyingPort, CloseLowersBothLinesAndInvalidatesTheHandleCopyFirst)
{
    Rig rig;
    rig.open();
    rig.keying.PTTLines = LineDTR;
    rig.keying.KeyerPowerOn = 1; // supply lines included
    rig.keying.PowerLines = LineDTR;
    SerialKeyingLines &lines = rig.keying.Lines();
    rig.keying.CloseKeyingComPort();
    EXPECT_EQ(rig.calls(), "-DTR -RTS");
    EXPECT_EQ(rig.keying.ComHandle(), -1);
    EXPECT_EQ(rig.keying.KeyerPowerOn, 0);
    EXPECT_FALSE(rig.keying.ComPortKeyer.Connected());

    // The same port open again, by anyone: a late key-up through the old copy reaches nothing
    // until the keying code has taken the new handle.
    rig.keying.ComPortKeyer.Open();
    ASSERT_EQ(rig.keying.ComPortKeyer.Handle(), 1000);
    rig.clear();
    EXPECT_FALSE(lines.Escape(CLRDTR));
    EXPECT_EQ(rig.calls(), "");
    EXPECT_TRUE(rig.keying.OpenKeyingComPort()); // takes the handle of the open port
    EXPECT_EQ(rig.device->opens.load(), 2);
    EXPECT_TRUE(lines.Escape(CLRDTR));
    EXPECT_EQ(rig.calls(), "-DTR");
}

TEST(SerialKeyingPort, SwitchesFromTheClockThreadNeverLandOnAClosedPort)
{
    Rig rig;
    Activate(&rig.keying);
    rig.open();
    std::atomic<bool> stop{false};
    std::atomic<long> attempts{0};
    std::thread clock([&] {
        while (!stop) {
            ClockSerialLines().Escape(SETDTR);
            ClockSerialLines().Escape(CLRDTR);
            ++attempts;
        }
    });
    int whileClosed = 0;
    size_t whileOpen = 0;
    for (int i = 0; i < 200; ++i) {
        rig.keying.CloseKeyingComPort();
        rig.clear();
        const long before = attempts;
        while (attempts < before + 3)
            std::this_thread::yield();
        {
            std::lock_guard g(rig.device->m);
            whileClosed += static_cast<int>(rig.device->lineCalls.size());
        }
        rig.keying.ComPortName = "ttyS0";
        if (!rig.keying.OpenKeyingComPort()) {
            ADD_FAILURE() << "the port did not open again"; // the clock thread still ends below
            break;
        }
        const long opened = attempts;
        while (attempts < opened + 3)
            std::this_thread::yield();
        std::lock_guard g(rig.device->m);
        whileOpen += rig.device->lineCalls.size();
    }
    stop = true;
    clock.join();
    Activate(nullptr);
    EXPECT_EQ(whileClosed, 0);
    EXPECT_GT(whileOpen, 0u);
    EXPECT_FALSE(ClockSerialLines().Escape(SETDTR)); // no keying lines at all: nothing
}

TEST(SerialKeyingSupply, RaisedOnlyWithAPortAndSupplyLines)
{
    Rig rig;
    EXPECT_FALSE(rig.keying.RaiseKeyerSupply());
    EXPECT_EQ(rig.keying.KeyerPowerOn, 0);

    rig.open();
    rig.keying.PowerLines = 0;
    EXPECT_FALSE(rig.keying.RaiseKeyerSupply());
    rig.keying.PowerLines = 3;
    EXPECT_TRUE(rig.keying.RaiseKeyerSupply());
    EXPECT_EQ(rig.keying.KeyerPowerOn, 1);
    EXPECT_EQ(rig.calls(), "+DTR +RTS");

    // PTT on a supply line is never raised while the supply is on.
    rig.clear();
    rig.keying.PTTLines = LineDTR;
    EXPECT_FALSE(rig.keying.RaisePTT());
    EXPECT_EQ(rig.calls(), "");

    rig.keying.DropKeyerSupply();
    EXPECT_EQ(rig.keying.KeyerPowerOn, 0);
    EXPECT_EQ(rig.calls(), "-DTR -RTS");
}

TEST(SerialKeyingDelay, AStoredDelayComesBackAsTheNearestOfTheFive)
{
    // Halves go to the even index: 125 ms is 1.5 and 175 ms is 2.5, both index 2.
    const struct {
        long long ms;
        int index;
    } reads[] = {{50, 0},  {100, 1}, {150, 2}, {200, 3},  {250, 4}, {140, 2},         {30, 0},
                 {74, 0},  {75, 0},  {76, 1},  {125, 2},  {175, 2}, {225, 4},         {1, 0},
                 {300, 4}, {0, 1},   {-50, 1}, {100000, 4}, {-2147483648LL, 1}, {2147483647LL, 4}};
    for (const auto &r : reads) {
        SCOPED_TRACE(r.ms);
        EXPECT_EQ(TXDelayIndexForMs(r.ms), r.index);
    }
    const struct {
        int index;
        int ms;
    } intervals[] = {{0, 50}, {1, 100}, {2, 150}, {3, 200}, {4, 250}, {-1, 100}, {5, 100}};
    for (const auto &i : intervals) {
        SCOPED_TRACE(i.index);
        EXPECT_EQ(TXDelayMsForIndex(i.index), i.ms);
    }
}

TEST(SerialKeyingClock, TheClockKeysTheCWLineAndSharesItsFlag)
{
    Rig rig;
    ManualTimerBackend backend;
    ElementClock clock{&ClockSerialLines(), nullptr, &rig.lamps, &backend};
    Activate(&rig.keying);
    rig.keying.AttachClock(&clock);
    rig.open();
    rig.keying.SetRoleLine(true, LineRTS, true);
    rig.keying.SetRoleLine(false, LineDTR, true);
    ASSERT_TRUE(clock.Config().SerialPortInUse);
    ASSERT_EQ(clock.Config().CWLines, LineRTS);

    ASSERT_TRUE(rig.keying.RaisePTT());
    CWElementTable e{};
    e[1] = 94;
    clock.KeyFirstElement(e);
    EXPECT_EQ(rig.keying.CWLineDown(), 1);
    backend.fireNext();
    EXPECT_EQ(rig.calls(), "+DTR +RTS -RTS");
    EXPECT_EQ(rig.keying.CWLineDown(), 0);

    // The supply on RTS: the clock no longer touches it.
    rig.clear();
    rig.keying.PowerLines = LineRTS;
    ASSERT_TRUE(rig.keying.RaiseKeyerSupply());
    EXPECT_TRUE(clock.Config().KeyerPowerOn);
    clock.KeyFirstElement(e);
    backend.fireNext();
    EXPECT_EQ(rig.calls(), "+RTS");

    rig.keying.AttachClock(nullptr);
    Activate(nullptr);
}

TEST(SerialKeyingClock, TheClockKnowsOfTheSupplyBeforeItsLineGoesUp)
{
    // A step of a character already sounding must never lower a line that has just become
    // the keyer's supply: the clock has to see the supply on before the line is raised.
    Rig rig;
    ManualTimerBackend backend;
    ElementClock clock{&ClockSerialLines(), nullptr, &rig.lamps, &backend};
    Activate(&rig.keying);
    rig.keying.AttachClock(&clock);
    rig.open();
    rig.keying.SetRoleLine(true, LineRTS, true);
    rig.keying.PowerLines = LineRTS;
    int supplyKnownAtRaise = -1;
    rig.device->beforeSetLines = [&](unsigned set, unsigned) {
        if (set & serialdev::LineRTS)
            supplyKnownAtRaise = clock.Config().KeyerPowerOn;
    };
    ASSERT_TRUE(rig.keying.RaiseKeyerSupply());
    rig.device->beforeSetLines = nullptr;
    EXPECT_EQ(supplyKnownAtRaise, 1);
    rig.keying.AttachClock(nullptr);
    Activate(nullptr);
}

TEST(SerialKeyingClock, TheBeaconHoldsPTTAndTheCWLinesAlike)
{
    // "Key TX only when beacon is played": ordinary text keys neither PTT nor the CW line,
    // the beacon's own text keys both; the clock goes by the answer RaisePTT got, also when
    // it starts the character on another thread.
    Rig rig;
    ManualTimerBackend backend;
    ElementClock clock{&ClockSerialLines(), nullptr, &rig.lamps, &backend};
    Activate(&rig.keying);
    rig.keying.AttachClock(&clock);
    rig.open();
    rig.keying.SetRoleLine(false, LineRTS, true);
    rig.keying.SetRoleLine(true, LineDTR, true);
    bool keyOnlyBeacon = true, beaconSending = false;
    rig.keying.HeldForBeacon = [&] { return keyOnlyBeacon && !beaconSending; };
    CWElementTable e{};
    e[1] = 94;

    EXPECT_FALSE(rig.keying.RaisePTT());
    std::thread([&] { clock.KeyFirstElement(e); }).join();
    EXPECT_EQ(rig.calls(), "");
    EXPECT_TRUE(backend.created.empty());

    beaconSending = true;
    EXPECT_TRUE(rig.keying.RaisePTT());
    std::thread([&] { clock.KeyFirstElement(e); }).join();
    backend.fireNext();
    EXPECT_EQ(rig.calls(), "+RTS +DTR -DTR");

    // The beacon's text has ended: the hold is back for the straight key too.
    beaconSending = false;
    rig.keying.ReleaseKeyingLines();
    EXPECT_TRUE(clock.Config().HeldForBeacon);

    // A clock detached from the lines is no longer held by them.
    rig.keying.AttachClock(nullptr);
    EXPECT_FALSE(clock.Config().HeldForBeacon);
    Activate(nullptr);
}

} // namespace
