#pragma once

// The serial ports of this machine, as the kernel lists them under /sys/class/tty.

#include <string>
#include <vector>

namespace serialports {

constexpr const char *kSysfsTtyRoot = "/sys/class/tty";

// Names (ttyS0, ttyUSB0, ttyACM0, ...) of the entries that have a device behind them, without
// the phantom serial-core ports whose "type" attribute reads 0; sorted as text, so "ttyUSB10"
// comes before "ttyUSB2".
std::vector<std::string> ListSerialPorts(const std::string &sysfsRoot = kSysfsTtyRoot);

// The kernel's consoles, as it lists them (one line each, the device's name first, as in
// "ttyS0 -W- (EC p a) 4:64"). A port that is a console keeps its modem lines as they are
// when the program holding it is killed: the kernel never drops them.
constexpr const char *kConsolesFile = "/proc/consoles";
std::vector<std::string> KernelConsoles(const std::string &consolesFile = kConsolesFile);

// Whether a name may be handed to open(): a bare name (no path separator, not "." or "..")
// that is one of the listed ports.
bool IsSerialPortName(const std::string &name, const std::string &sysfsRoot = kSysfsTtyRoot);

} // namespace serialports
