#pragma once

// Keying a transmitter through one of the four output pins of a parallel port's control
// register: the port (LPT1 to LPT3 as the kernel knows them, or a base address typed in), the
// idle shadow of the register, the pin's idle level, and the discovery of the ports at start.
// Widgets stay with the port panel; this holds the keying globals and the steps on them.
//
// Changes to a port that is in use never leave a pin keyed: before the pin or the port
// changes, the pin in use goes to its key-up level, and a new shadow never takes over an old
// pin's key-down bit.

#include "engine/devices/parallelport.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// A pin choice: RadioGroupPin's index (0..3 = pins 1, 14, 16, 17; anything else none) and
// its "Neg. logic" box.
struct LptPin {
    int index = -1;
    bool negativeLogic = false;
    bool chosen() const { return index >= 0 && index <= 3; }
};

// "[0378h]" for 0x378, and back (nothing for any other form).
std::string BracketedLptAddress(std::uint16_t address);
std::optional<std::uint16_t> ParseBracketedLptAddress(const std::string &text);
// Four hexadecimal digits ("0378") and back; the parse takes any hexadecimal text.
std::string Hex4(std::uint16_t address);
std::optional<std::uint16_t> ParseHexAddress(const std::string &text);

class ParallelKeying {
public:
    // Without an access object the kernel's own ports are used.
    explicit ParallelKeying(std::unique_ptr<TParallelPortAccess> access = nullptr);

    TParallelPortAccess &Access() { return *access_; }

    // ---- The keying globals ---------------------------------------------------------------
    std::uint16_t LptBase = 0;    // base address in use; 0 = none
    std::uint16_t LptControl = 0; // idle shadow of the control register
    std::array<std::uint16_t, 4> LptAddresses{};         // [1..3]: LPT1..LPT3, 0 = not found
    std::array<std::uint16_t, 4> DetectedLptAddresses{}; // [1..3]
    std::array<std::string, 4> DetectedLptTexts{"", "0000", "0000", "0000"};
    std::array<std::string, 4> DetectedLptNames{};
    std::uint16_t LptCustomAddress = 0;
    int LptIndex = 0;
    std::uint16_t LptEnabledAddress = 0;
    std::uint8_t PortDriverNeeded = 1;
    std::uint8_t PortDriverInstalled = 1;

    bool DriverMissing() const { return PortDriverNeeded == 1 && PortDriverInstalled == 0; }

    // ---- Steps -----------------------------------------------------------------------------
    // Start-up: the driver check and the ports the kernel's driver owns into LPT1..LPT3.
    void DetectLptPorts();
    // The step of every handler that changes the address: access for LptBase (recorded only;
    // the port is claimed when first read or written).
    void EnableAccess();
    // NONE: access for the enabled address given back; no base.
    void DisableAccess();
    // The pin's idle level: the shadow read from the port, the pin's bit (and a pin that was
    // chosen before) at key-up, written back. False when the port reported a failure.
    bool ApplyIdleLevel(LptPin pin, LptPin previous = {});
    // The pin to its key-up level from the shadow, at LptBase (quit; a pin about to change).
    void WriteKeyUp(LptPin pin);
    // Before the port changes: a claimed port's pin goes to key-up first.
    void LeavePort(LptPin pin);
    // The register value that holds the pin at key-up now.
    std::uint8_t KeyUpControl(LptPin pin) const;

    // "LPT1 : 0378 / " for each port found, or " NONE".
    std::string DetectedPortsList() const;

private:
    std::unique_ptr<TParallelPortAccess> access_;
};
