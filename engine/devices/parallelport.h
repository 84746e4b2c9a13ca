#pragma once

// Access to a parallel port's control register, in place of the port-I/O library the program
// was designed against (EnablePorts, DisablePorts, Inport, Outport, GetLPTPortAddress,
// GetLastState), through the kernel's ppdev interface.
//
// Only a port that a kernel parport driver owns is ever reached: an address is looked up
// among them when it is enabled, and refused when none has it. Enabling only records the
// port; it is claimed (taken from the printer driver, which resets its control register) at
// the first read or write, so the caller's next write, the pin's idle level, follows at once.
// While claimed, the port's key-up value is also known to the release that runs when a
// signal ends the program.
//
// Threads: the element clock writes from its timer thread; every call takes one small lock.

#include "engine/keyinglines.h"
#include "platform/ppdev.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class TParallelPortAccess final : public ParallelPortIo {
public:
    using DeviceFactory = std::function<std::unique_ptr<ppdev::Device>()>;

    // Without a factory the port is reached through /dev/parportN.
    explicit TParallelPortAccess(ppdev::Roots roots = {}, DeviceFactory makeDevice = nullptr);
    // Releases a claimed port (its register keeps what was written last).
    ~TParallelPortAccess() override;
    TParallelPortAccess(const TParallelPortAccess &) = delete;
    TParallelPortAccess &operator=(const TParallelPortAccess &) = delete;

    // The program passes the base address as both. A port enabled before is released first.
    void EnablePorts(std::uint16_t first, std::uint16_t last);
    void DisablePorts(std::uint16_t first, std::uint16_t last);
    // Only the enabled port's control register (base + 2) is served; anything else reads 0,
    // writes nothing and is an error for GetLastState.
    std::uint8_t Inport(std::uint16_t address) override;
    void Outport(std::uint16_t address, std::uint8_t value) override;
    // The base address of LPTn (parport n-1), or 0.
    std::uint16_t GetLPTPortAddress(int n) const;
    // 0 when the last call succeeded, else its errno; `text` says why.
    int GetLastState(std::string &text) const;

    // The control value that puts the keying pin at key-up (given whenever pin, polarity or
    // the idle shadow change).
    void SetKeyUpControl(std::uint8_t value);

    // True when a parport driver owns this base address.
    bool OwnedByDriver(std::uint16_t base) const;
    // False only when the kernel has a parallel port that this user cannot reach through
    // ppdev (module not loaded, or no permission on /dev/parportN).
    bool DriverReady() const { return ppdev::DriverReady(roots_); }
    std::uint16_t EnabledAddress() const;
    bool Claimed() const;
    // The claimed port's entry among the outputs a fatal signal puts at key-up; -1 when none.
    int SafetyEntry() const;

private:
    bool claimLocked();
    void releaseLocked();

    const ppdev::Roots roots_;
    DeviceFactory makeDevice_;
    mutable std::mutex mutex_;
    std::uint16_t enabled_ = 0;
    int number_ = -1; // parportN of the enabled address
    std::unique_ptr<ppdev::Device> device_; // set while claimed
    int lastError_ = 0;
    std::uint8_t keyUp_ = 0;
    int safetyEntry_ = -1;
};

// The parallel port for the element clock, valid for the whole process: it reaches the active
// access object, and nothing while there is none. The clock may be created before the port
// panel and outlive it.
ParallelPortIo &ClockParallelPort();
// Makes `access` (or none) the one the clock reaches. Once it has returned, no call of the
// clock reaches the one before.
void ActivateParallelPort(TParallelPortAccess *access);
