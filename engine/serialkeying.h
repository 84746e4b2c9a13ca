#pragma once

// Keying a transmitter through the two output lines of one serial port, DTR and RTS: which
// line carries PTT and which is keyed per element, the keying port itself (ComPortKeyer),
// and the line operations every transmission goes through (RaisePTT, ReleaseKeyingLines).
//
// Threads: everything here runs on the user-interface thread, except that the element clock
// switches the CW lines from its timer thread through `Lines()`. Both roads go through the
// one guard of ComPortKeyingLines, and the handle copy is invalidated before the port is
// closed, so no switch ever lands on a descriptor being closed or reused.

#include "engine/devices/comport.h"
#include "engine/keyinglines.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class ElementClock;

// ComPortName while no port is in use: four blanks.
inline const std::string NoComPortName = "    ";

// DTR and RTS of the keying port, switched through a copy of the port's handle (ComHandle).
// One guard serialises every switch against Invalidate(), which the keying code calls before
// it closes the port: once Invalidate() has returned, no call reaches the old descriptor.
class ComPortKeyingLines final : public SerialKeyingLines {
public:
    explicit ComPortKeyingLines(TCustomComPort &port) : port_(port) {}

    bool Escape(LineFunction function) override;
    void Invalidate() override;

    // After a successful open: ComHandle := the port's handle, and the port joins the
    // outputs that go to key-up however the program ends (keyingsafety.h) until Invalidate.
    void Attach();
    // ComHandle; -1 (the invalid handle) while no port is open.
    int Handle() const;
    ~ComPortKeyingLines() override { Invalidate(); }

private:
    void leaveSafety();

    TCustomComPort &port_;
    mutable std::mutex mutex_;
    int handle_ = -1;
    int safetyEntry_ = -1;
};

// The transmit delay: the five choices of 50 to 250 ms. An index outside them (no choice at
// all) gives the default 100 ms, never a zero-length timer.
constexpr int TXDelayDefaultIndex = 1;
constexpr int TXDelayMsForIndex(int index)
{
    return index >= 0 && index <= 4 ? index * 50 + 50 : TXDelayDefaultIndex * 50 + 50;
}
// A stored delay read back: the nearest choice, index round(ms / 50 - 1) with halves to even,
// held to the five choices (140 gives 150 ms, 30 gives 50 ms, 300 gives 250 ms). 0 or less,
// like a value that is no number, gives the default.
constexpr int TXDelayIndexForMs(long long ms)
{
    if (ms <= 0)
        return TXDelayDefaultIndex;
    if (ms > 1000)
        return 4;
    const long long x = ms - 50; // 50 x (ms / 50 - 1)
    long long q = x / 50;
    long long r = x % 50;
    if (r < 0) { // floor, not truncation
        --q;
        r += 50;
    }
    if (r > 25 || (r == 25 && q % 2 != 0))
        ++q;
    return static_cast<int>(q < 0 ? 0 : q > 4 ? 4 : q);
}

// The keying globals and the line operations on them. The main window owns one instance for
// the whole run.
class SerialKeying {
public:
    // Without a device the port uses the Linux tty layer.
    explicit SerialKeying(std::unique_ptr<serialdev::SerialDevice> device = nullptr);
    ~SerialKeying();
    SerialKeying(const SerialKeying &) = delete;
    SerialKeying &operator=(const SerialKeying &) = delete;

    // ---- The keying globals ---------------------------------------------------------------
    std::string ComPortName = NoComPortName; // the port's name as listed (ttyS0, ttyUSB0 ...)
    std::uint8_t PTTLines = 0;   // LineDTR | LineRTS: lines that carry PTT
    std::uint8_t CWLines = 0;    // lines keyed per element
    std::uint8_t PowerLines = 3; // lines that feed the keyer
    std::uint8_t PTTOn = 0;      // PTT is raised
    std::uint8_t KeyerPowerOn = 0; // the keyer supply lines are up
    // A CW line has been raised by the element clock (the clock's own flag once attached).
    std::uint8_t CWLineDown() const { return cwLineDown_->load(); }
    void SetCWLineDown(std::uint8_t value) { cwLineDown_->store(value); }
    // ComHandle: the open port's handle, -1 when none.
    int ComHandle() const { return lines_.Handle(); }

    TComPort ComPortKeyer;

    bool PortInUse() const { return ComPortName != NoComPortName; }
    // A line that feeds the keyer while the supply is on: no keying operation switches it.
    bool PoweredLine(std::uint8_t line) const { return KeyerPowerOn == 1 && (PowerLines & line) != 0; }

    // What the operations read from the window (each defaults to the design state).
    std::function<bool(std::uint8_t line)> PTTBoxEnabled; // CheckBoxPTTDTR / CheckBoxPTTRTS enabled
    std::function<bool(std::uint8_t line)> CWBoxEnabled;  // CheckBoxCWDTR / CheckBoxCWRTS enabled
    // The beacon's "Key TX only when beacon is played" is checked and no beacon is sending
    // (read on the user-interface thread). RaisePTT asks it and hands its answer to the
    // attached element clock, which keys no character while held: the clock starts
    // characters on its own thread, where this cannot be asked. The answer is handed on
    // again at the end of every transmission and with every PublishToClock (the beacon mode
    // publishes when its box or its sending changes).
    std::function<bool()> HeldForBeacon;

    // The lamps of the "On air" box (may be null).
    void SetLamps(KeyingLamps *lamps) { lamps_ = lamps; }
    // The element clock that keys the CW lines: it gets the lines' state (and the beacon's
    // hold) at every change and shares its CWLineDown flag. Null detaches it.
    void AttachClock(ElementClock *clock);
    ElementClock *AttachedClock() const { return clock_; }
    // What the element clock switches the lines through.
    SerialKeyingLines &Lines() { return lines_; }

    // ---- Operations -----------------------------------------------------------------------
    // PTT up for a transmission: unless held for the beacon, with a port in use and PTT not
    // yet up, raises each PTT line whose role box is enabled and that does not feed the
    // keyer. True when PTT went up in this call: the lamp is lit and the caller starts the
    // transmit delay. A PTT already up starts no new delay.
    bool RaisePTT();
    // End of a transmission: with a port in use, DTR and then RTS down except a line that
    // feeds the keyer, whatever the roles; lamps off; PTTOn and CWLineDown cleared.
    void ReleaseKeyingLines();

    // Opens ComPortName on ComPortKeyer (nothing when no port is named or it is open already);
    // on success ComHandle is the port's handle. On failure ComPortName is four blanks, the
    // handle invalid, LastOpenError the system's reason (errno), and false is returned; the
    // caller reports it.
    bool OpenKeyingComPort();
    int LastOpenError = 0;
    // Leaves the port in use: DTR then RTS down (supply lines included), the handle copy
    // invalidated, the port closed (errors ignored), flags cleared, lamps off. ComPortName
    // is kept; the caller names the next port.
    void CloseKeyingComPort();
    // Quit: the same, and no port in use afterwards.
    void ReleaseForQuit();

    // First step of every role check box: with a port in use, each line that carries PTT or
    // CW and does not feed the keyer goes down; lamps off; PTTOn and CWLineDown cleared.
    void RoleChangeDropLines();
    // Second step: `line` (LineDTR or LineRTS) joins (checked) or leaves the role. Joining
    // takes the line from the other role; true when the other role's box must be unchecked.
    bool SetRoleLine(bool cwRole, std::uint8_t line, bool checked);

    // The keyer supply on: with a port in use and supply lines chosen, raises them and sets
    // KeyerPowerOn; false (nothing raised, KeyerPowerOn 0) otherwise.
    bool RaiseKeyerSupply();
    // The keyer supply off: KeyerPowerOn 0 and, with a port in use, DTR and RTS down, lamps
    // off, PTTOn and CWLineDown cleared.
    void DropKeyerSupply();

    // Hands the lines' state to the element clock (after any change of roles, port or supply).
    void PublishToClock();

private:
    void escape(LineFunction function) { lines_.Escape(function); } // results are ignored
    void lampsOff();
    // Lowers DTR and then RTS where their bit is in `lines`, switches both lamps off and
    // clears PTTOn and CWLineDown.
    void dropLines(std::uint8_t lines);
    bool ptTBoxEnabled(std::uint8_t line) const { return !PTTBoxEnabled || PTTBoxEnabled(line); }
    bool cwBoxEnabled(std::uint8_t line) const { return !CWBoxEnabled || CWBoxEnabled(line); }
    bool heldForBeacon() const { return HeldForBeacon && HeldForBeacon(); }

    ComPortKeyingLines lines_{ComPortKeyer};
    KeyingLamps *lamps_ = nullptr;
    ElementClock *clock_ = nullptr;
    std::atomic<std::uint8_t> ownCWLineDown_{0};
    std::atomic<std::uint8_t> *cwLineDown_ = &ownCWLineDown_;
};

// The program's keying lines while the main window exists (null otherwise): what the two
// line operations of every transmission act on. Set with Activate.
extern SerialKeying *ActiveSerialKeying;
// Makes `keying` (or none) the program's keying lines, also behind ClockSerialLines().
void Activate(SerialKeying *keying);

// The serial lines for the element clock, valid for the whole process: they reach the active
// keying port's guarded lines, and nothing while there is none. The clock may be created
// before the keying lines and outlive them.
SerialKeyingLines &ClockSerialLines();
