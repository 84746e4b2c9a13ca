#pragma once

// The keying outputs as the element clock and the keying operations reach them: the
// keying port's DTR and RTS, the parallel port's control register, and the lamps of the
// "On air" box. Small interfaces, so that tests put recording fakes in their place.

#include <atomic>
#include <cstdint>
#include <optional>

// Line codes of the keying port's output lines.
enum LineFunction : int { SETRTS = 3, CLRRTS = 4, SETDTR = 5, CLRDTR = 6 };

// Bits of PTTLines, CWLines and PowerLines.
constexpr std::uint8_t LineDTR = 1;
constexpr std::uint8_t LineRTS = 2;

// DTR and RTS of the open keying port. Called from the user-interface thread and from the
// timer thread (by the element clock, with its lock held: so never call into the clock
// while holding whatever guards these lines). Once Invalidate() has returned, no call
// reaches the old handle any more (a late key-up then simply fails, as on a closed port),
// even if the system hands the same descriptor number to something else.
class SerialKeyingLines {
public:
    virtual ~SerialKeyingLines() = default;
    // Switches one line; false when it failed or no port is open.
    virtual bool Escape(LineFunction function) = 0;
    virtual void Invalidate() = 0;
};

// I/O of the parallel port's registers (the control register is at base + 2).
class ParallelPortIo {
public:
    virtual ~ParallelPortIo() = default;
    virtual std::uint8_t Inport(std::uint16_t address) = 0;
    virtual void Outport(std::uint16_t address, std::uint8_t value) = 0;
};

// The PTT and CW lamps. May be called from the timer thread: an implementation only
// records the state and posts the change to the user-interface thread, without waiting.
class KeyingLamps {
public:
    virtual ~KeyingLamps() = default;
    virtual void SetPTTLamp(bool on) = 0;
    virtual void SetCWLamp(bool on) = 0;
};

// Pins 1, 14, 16, 17 of the parallel port are bits 0 to 3 of the control register. The
// pin is driven inverted from its bit on pins 1, 14, 17 and not on pin 16, so a checked
// "Neg. logic" box puts every pin electrically low while the key is down.
//
// The register value for a key-down or key-up write: the idle shadow with only the
// chosen pin's bit changed. pinIndex is the chosen pin (0..3); any other value gives no
// write at all.
constexpr std::optional<std::uint16_t> LptKeyLevel(std::uint16_t control, int pinIndex,
                                                   bool negativeLogic, bool keyDown)
{
    if (pinIndex < 0 || pinIndex > 3)
        return std::nullopt;
    const auto bit = static_cast<std::uint16_t>(1u << pinIndex);
    bool set = keyDown == negativeLogic;
    if (pinIndex == 2)
        set = !set;
    return static_cast<std::uint16_t>(set ? (control | bit) : (control & ~bit));
}

// What the element clock reads at every step, kept up to date by the user-interface
// thread (the single writer: it loads, changes and stores the whole snapshot). Widgets are
// never read from the timer thread.
struct KeyingConfig {
    std::uint16_t LptBase = 0;    // parallel port base address; 0 = none
    std::uint16_t LptControl = 0; // idle shadow of the control register
    std::int8_t PinIndex = -1;    // RadioGroupPin.ItemIndex
    std::uint8_t CWLines : 2 = 0;        // lines keyed per element (LineDTR, LineRTS)
    std::uint8_t PowerLines : 2 = 3;     // lines that feed the keyer
    std::uint8_t NegativeLogic : 4 = 0b1011; // "Neg. logic" of pins 1, 14, 16, 17 (bits 0..3)
    bool SerialPortInUse : 1 = false;  // ComPortName is not four blanks
    bool KeyerPowerOn : 1 = false;     // the keyer supply lines are up
    bool CWDTREnabled : 1 = true;      // CheckBoxCWDTR.Enabled (its own flag)
    bool CWRTSEnabled : 1 = true;      // CheckBoxCWRTS.Enabled
    bool ParallelPortInUse : 1 = false; // RadioGroupLPT.ItemIndex > 0 or CheckBoxLPTx checked
    // The beacon's "Key TX only when beacon is played" holds the transmitter: the answer
    // RaisePTT gave, handed on by the keying lines.
    bool HeldForBeacon : 1 = false;

    // A line that powers the keyer is never switched by a keying operation.
    bool PoweredLine(std::uint8_t line) const { return KeyerPowerOn && (PowerLines & line) != 0; }
    bool PinNegativeLogic() const { return PinIndex >= 0 && PinIndex <= 3 && ((NegativeLogic >> PinIndex) & 1) != 0; }
};

static_assert(sizeof(KeyingConfig) == 8);
static_assert(std::atomic<KeyingConfig>::is_always_lock_free);
