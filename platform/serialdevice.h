#pragma once

// The small interface through which the serial port component reaches a device: the Linux
// tty layer in the program, a scripted fake in the tests. Every call that can fail returns 0
// or an errno value; none throws.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace serialdev {

// Modem-line bits; the same values as the kernel's TIOCM_* bits.
enum : unsigned {
    LineDTR = 0x002,
    LineRTS = 0x004,
    LineCTS = 0x020,
    LineCD = 0x040,
    LineRI = 0x080,
    LineDSR = 0x100,
    LineOut2 = 0x4000,
    LineLoop = 0x8000,
    InputLines = LineCTS | LineDSR | LineCD | LineRI,
};

// Further things a wait can watch for and report beside the input lines that changed: a
// break or a line error (frame, parity, overrun) counted by the driver, bytes received, and
// the output drained after a write.
enum : unsigned {
    SeenBreak = 1u << 20,
    SeenLineError = 1u << 21,
    SeenRxChar = 1u << 22,
    SeenTxEmpty = 1u << 23,
    WatchableEvents = InputLines | SeenBreak | SeenLineError | SeenRxChar | SeenTxEmpty,
};

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

// What the device is asked to apply; only what the tty layer can really do.
struct Settings {
    int baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool parityCheck = false;
    bool rtsCtsFlow = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    unsigned char xonChar = 17;
    unsigned char xoffChar = 19;
};

// Interrupt counters of the line driver; they let a watcher see a line that toggled twice.
struct Counters {
    std::uint32_t cts = 0, dsr = 0, dcd = 0, rng = 0;
    std::uint32_t frame = 0, parity = 0, overrun = 0, brk = 0, bufOverrun = 0;
    std::uint32_t rx = 0; // bytes received
};

enum class WaitResult {
    Changed,     // `changed` holds the input lines (and Seen* bits) that changed
    Interrupted, // cancelWait() was called
    Failed,      // the device can no longer be watched; `error` holds errno
};

struct WaitOutcome {
    WaitResult result = WaitResult::Interrupted;
    unsigned changed = 0;
    int error = 0;
    // When the change happened, where the device knows it; otherwise the watcher takes the
    // moment the wait came back.
    std::optional<std::chrono::steady_clock::time_point> seen;
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual int open(const std::string &name) = 0;
    virtual int close() = 0;
    virtual bool isOpen() const = 0;
    // The descriptor, or -1 while closed (fakes may give any other number while open).
    virtual int handle() const = 0;

    virtual int applySettings(const Settings &settings) = 0;
    virtual int modemLines(unsigned &lines) = 0;
    virtual int setLines(unsigned set, unsigned clear) = 0;
    virtual int counters(Counters &counters) = 0;
    virtual int flush(bool input, bool output) = 0;
    virtual int inputCount(int &count) = 0;

    // Non-blocking transfers: as much as can be done now (possibly 0 bytes).
    virtual int read(void *buffer, int count, int &done) = 0;
    virtual int write(const void *buffer, int count, int &done) = 0;
    // Waits until a transfer can make progress: 0, ETIMEDOUT, or an error. timeoutMs < 0 waits
    // without limit.
    virtual int waitReady(bool forWrite, int timeoutMs) = 0;

    // Watching the port. startWatch takes the reference state against which the next wait
    // compares, for the lines and events of `mask` (WatchableEvents; 0 ends the watch);
    // waitModemChange blocks until one of them is seen (a masked line differs from the state
    // last reported, a break or line error was counted, bytes arrived, the output drained after
    // a write), and may be called from one thread at a time; cancelWait, from any thread, makes
    // the current or next wait return Interrupted.
    virtual int startWatch(unsigned mask) = 0;
    virtual WaitOutcome waitModemChange() = 0;
    virtual void cancelWait() = 0;
};

} // namespace serialdev
