#include "engine/devices/parallelport.h"

#include "engine/keyingsafety.h"

#include <cerrno>
#include <cstring>

TParallelPortAccess::TParallelPortAccess(ppdev::Roots roots, DeviceFactory makeDevice)
    : roots_(std::move(roots)), makeDevice_(std::move(makeDevice))
{
    if (!makeDevice_)
        makeDevice_ = [] { return ppdev::MakeLinuxDevice(); };
}

TParallelPortAccess::~TParallelPortAccess()
{
    std::lock_guard lock(mutex_);
    releaseLocked();
}

void TParallelPortAccess::EnablePorts(std::uint16_t first, std::uint16_t)
{
    std::lock_guard lock(mutex_);
    if (enabled_ == first && enabled_ != 0) {
        lastError_ = 0;
        return;
    }
    releaseLocked();
    enabled_ = 0;
    number_ = ppdev::PortNumberOf(first, roots_);
    if (number_ < 0) {
        // No kernel driver owns it: whatever is there is nobody's to write.
        lastError_ = ENODEV;
        return;
    }
    enabled_ = first;
    lastError_ = 0;
}

void TParallelPortAccess::DisablePorts(std::uint16_t first, std::uint16_t)
{
    std::lock_guard lock(mutex_);
    if (first == 0 || first != enabled_)
        return;
    releaseLocked();
    enabled_ = 0;
    number_ = -1;
    lastError_ = 0;
}

bool TParallelPortAccess::claimLocked()
{
    if (device_)
        return true;
    if (enabled_ == 0 || number_ < 0) {
        lastError_ = ENODEV;
        return false;
    }
    auto device = makeDevice_();
    const std::string path = roots_.dev + "/parport" + std::to_string(number_);
    int error = device->open(path);
    if (error == 0) {
        error = device->claim();
        if (error != 0)
            device->close();
    }
    if (error != 0) {
        lastError_ = error;
        return false;
    }
    device_ = std::move(device);
    // From now on a signal that ends the program puts the pin at key-up too.
    safetyEntry_ = keyingsafety::RegisterParallelPort(device_->handle(), keyUp_);
    return true;
}

void TParallelPortAccess::releaseLocked()
{
    if (!device_)
        return;
    // Before the close, so that the close is the port's last one.
    keyingsafety::Unregister(safetyEntry_);
    safetyEntry_ = -1;
    device_->release();
    device_->close();
    device_.reset();
}

std::uint8_t TParallelPortAccess::Inport(std::uint16_t address)
{
    std::lock_guard lock(mutex_);
    if (enabled_ == 0 || address != enabled_ + 2) {
        lastError_ = EINVAL;
        return 0;
    }
    if (!claimLocked())
        return 0;
    std::uint8_t value = 0;
    lastError_ = device_->readControl(value);
    return value;
}

void TParallelPortAccess::Outport(std::uint16_t address, std::uint8_t value)
{
    std::lock_guard lock(mutex_);
    if (enabled_ == 0 || address != enabled_ + 2) {
        lastError_ = EINVAL;
        return;
    }
    if (!claimLocked())
        return;
    lastError_ = device_->writeControl(value & 0x0F);
}

std::uint16_t TParallelPortAccess::GetLPTPortAddress(int n) const
{
    for (const ppdev::Port &port : ppdev::ListPorts(roots_)) {
        if (port.number == n - 1)
            return port.base;
    }
    return 0;
}

int TParallelPortAccess::GetLastState(std::string &text) const
{
    std::lock_guard lock(mutex_);
    text = lastError_ == 0 ? std::string() : std::string(std::strerror(lastError_));
    return lastError_;
}

void TParallelPortAccess::SetKeyUpControl(std::uint8_t value)
{
    std::lock_guard lock(mutex_);
    keyUp_ = value & 0x0F;
    keyingsafety::SetParallelKeyUp(safetyEntry_, keyUp_);
}

bool TParallelPortAccess::OwnedByDriver(std::uint16_t base) const
{
    return ppdev::PortNumberOf(base, roots_) >= 0;
}

std::uint16_t TParallelPortAccess::EnabledAddress() const
{
    std::lock_guard lock(mutex_);
    return enabled_;
}

int TParallelPortAccess::SafetyEntry() const
{
    std::lock_guard lock(mutex_);
    return safetyEntry_;
}

bool TParallelPortAccess::Claimed() const
{
    std::lock_guard lock(mutex_);
    return device_ != nullptr;
}

// ---- The clock's road ----------------------------------------------------------------------

namespace {

class ClockPort final : public ParallelPortIo {
public:
    std::uint8_t Inport(std::uint16_t address) override
    {
        std::lock_guard lock(mutex);
        return active ? active->Inport(address) : 0;
    }
    void Outport(std::uint16_t address, std::uint8_t value) override
    {
        std::lock_guard lock(mutex);
        if (active)
            active->Outport(address, value);
    }

    std::mutex mutex;
    TParallelPortAccess *active = nullptr;
};

ClockPort &clockPort()
{
    static ClockPort port;
    return port;
}

} // namespace

ParallelPortIo &ClockParallelPort()
{
    return clockPort();
}

void ActivateParallelPort(TParallelPortAccess *access)
{
    std::lock_guard lock(clockPort().mutex);
    clockPort().active = access;
}
