#pragma once

// The kernel's parallel ports: which ports its parport driver owns (with their base
// addresses), whether the ppdev interface lets this user at them, and one port's control
// register through /dev/parportN. Behind a small interface, so tests use a fake device and a
// fake /proc and /sys tree.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ppdev {

// Where the kernel shows its parallel ports; tests point these at a tree of their own.
struct Roots {
    std::string proc = "/proc/sys/dev/parport"; // parportN/base-addr
    std::string ppdevClass = "/sys/class/ppdev"; // parportN once ppdev is loaded
    std::string dev = "/dev";                    // parportN device nodes
};

struct Port {
    int number;         // N of parportN
    std::uint16_t base; // I/O base address
};

// The ports the parport driver owns, by number: those whose base address is a real I/O
// address (USB adapters show 0 and are left out, as is anything above 0xFFFF).
std::vector<Port> ListPorts(const Roots &roots = Roots{});

// The port whose base address is `base`, or -1 when no parport driver owns that address.
int PortNumberOf(std::uint16_t base, const Roots &roots = Roots{});

// True when ppdev is loaded and this user may read and write at least one port's device
// (group lp on most systems).
bool DriverReady(const Roots &roots = Roots{});

// One /dev/parportN. Every call returns 0 or an errno value.
class Device {
public:
    virtual ~Device() = default;
    virtual int open(const std::string &path) = 0;
    // Claims the port from the other drivers (lp). The kernel then sets the control
    // register to its own initial state (0x0C on a PC port) until the caller writes.
    virtual int claim() = 0;
    virtual int readControl(std::uint8_t &value) = 0;
    // Bits 0 to 3 only: the pins 1, 14, 16 and 17.
    virtual int writeControl(std::uint8_t value) = 0;
    virtual int release() = 0;
    virtual void close() = 0;
    // The descriptor, or -1 while closed.
    virtual int handle() const = 0;
};

std::unique_ptr<Device> MakeLinuxDevice();

} // namespace ppdev
