#pragma once

// The Linux joystick interface (/dev/input/jsN): opening a device, what it says about itself,
// and the records it delivers. The records are read by whoever holds the descriptor; a test
// hands a pipe in its place and writes records into it.

#include <cstdint>
#include <string>

namespace joystickdev {

inline constexpr const char *kDeviceFolder = "/dev/input";

// The kernel's `struct js_event`, field for field.
struct Event {
    std::uint32_t time; // milliseconds, the kernel's own clock
    std::int16_t value; // axis position -32767..32767, or button 1/0
    std::uint8_t type;  // EventButton or EventAxis, with EventInit on the opening burst
    std::uint8_t number;
};
static_assert(sizeof(Event) == 8);

enum : std::uint8_t { EventButton = 0x01, EventAxis = 0x02, EventInit = 0x80 };

// What a device reports. Axes of the joystick interface always run -32767..32767.
struct Capabilities {
    int xMin = -32767, xMax = 32767;
    int yMin = -32767, yMax = 32767;
    int zMin = -32767, zMax = 32767;
    int periodMin = 10, periodMax = 1000; // no meaning here; what the system's range was
    int buttons = 2;
    int axes = 2;
    // The record numbers of the X, Y and Z (or throttle) axes; -1 when the device has none.
    int xAxis = 0, yAxis = 1, zAxis = -1;
    std::string name;
};

// Opens <folder>/js<id> read-only, non-blocking, close-on-exec: the descriptor, or -errno.
int OpenJoystick(int id, const std::string &folder = kDeviceFolder);

// Reads what an open device reports. False when the descriptor answers none of it (no
// joystick behind it: a pipe); the defaults then stay.
bool ReadCapabilities(int fd, Capabilities &caps);

// The capabilities of device `id` without keeping it open; false when it cannot be opened.
bool DeviceCapabilities(int id, Capabilities &caps, const std::string &folder = kDeviceFolder);

} // namespace joystickdev
