#include "platform/serialports.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace serialports {

namespace {

bool isRealPort(const fs::path &entry)
{
    std::error_code ec;
    if (!fs::exists(entry / "device", ec))
        return false;
    // Serial-core ports carry a "type"; 0 (PORT_UNKNOWN) marks a slot with no UART behind it.
    // Other drivers (USB serial, ACM) have no such attribute and are real by their device.
    std::ifstream type(entry / "type");
    if (!type)
        return true;
    long value = -1;
    type >> value;
    return !type.fail() && value != 0;
}

} // namespace

std::vector<std::string> ListSerialPorts(const std::string &sysfsRoot)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(sysfsRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (isRealPort(it->path()))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> KernelConsoles(const std::string &consolesFile)
{
    std::vector<std::string> names;
    std::ifstream file(consolesFile);
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string name;
        if (fields >> name)
            names.push_back(name);
    }
    return names;
}

bool IsSerialPortName(const std::string &name, const std::string &sysfsRoot)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos
        || name.find('\0') != std::string::npos)
        return false;
    const auto names = ListSerialPorts(sysfsRoot);
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace serialports
