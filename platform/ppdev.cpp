#include "platform/ppdev.h"

#include <linux/ppdev.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ppdev {

namespace {

// "parport12" -> 12; anything else (the "default" entry) -> -1.
int portNumber(const std::string &name)
{
    constexpr std::string_view prefix = "parport";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    int number = -1;
    const char *first = name.data() + prefix.size();
    const char *last = name.data() + name.size();
    const auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last && number >= 0 ? number : -1;
}

// base-addr holds the base and the extended base in decimal: "888\t1912".
long baseAddress(const fs::path &entry)
{
    std::ifstream file(entry / "base-addr");
    long base = -1;
    file >> base;
    return file.fail() ? -1 : base;
}

class LinuxDevice final : public Device {
public:
    ~LinuxDevice() override { close(); }

    int open(const std::string &path) override
    {
        close();
        fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return fd_ >= 0 ? 0 : errno;
    }
    int claim() override { return call(PPCLAIM, nullptr); }
    int readControl(std::uint8_t &value) override
    {
        unsigned char control = 0;
        const int error = call(PPRCONTROL, &control);
        value = control;
        return error;
    }
    int writeControl(std::uint8_t value) override
    {
        // Bit 5 would turn the data lines round; only the four pins are ever written.
        unsigned char control = value & 0x0F;
        return call(PPWCONTROL, &control);
    }
    int release() override { return call(PPRELEASE, nullptr); }
    void close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    int handle() const override { return fd_; }

private:
    int call(unsigned long request, void *argument)
    {
        if (fd_ < 0)
            return EBADF;
        return ::ioctl(fd_, request, argument) == 0 ? 0 : errno;
    }

    int fd_ = -1;
};

} // namespace

std::vector<Port> ListPorts(const Roots &roots)
{
    std::vector<Port> ports;
    std::error_code ec;
    for (fs::directory_iterator it(roots.proc, ec), end; !ec && it != end; it.increment(ec)) {
        const int number = portNumber(it->path().filename().string());
        if (number < 0)
            continue;
        const long base = baseAddress(it->path());
        if (base <= 0 || base > 0xFFFF)
            continue;
        ports.push_back({number, static_cast<std::uint16_t>(base)});
    }
    std::sort(ports.begin(), ports.end(), [](const Port &a, const Port &b) { return a.number < b.number; });
    return ports;
}

int PortNumberOf(std::uint16_t base, const Roots &roots)
{
    if (base == 0)
        return -1;
    for (const Port &port : ListPorts(roots)) {
        if (port.base == base)
            return port.number;
    }
    return -1;
}

bool DriverReady(const Roots &roots)
{
    const std::vector<Port> ports = ListPorts(roots);
    // No port at all needs no driver: choosing one then only finds no address.
    if (ports.empty())
        return true;
    std::error_code ec;
    for (const Port &port : ports) {
        const std::string name = "parport" + std::to_string(port.number);
        if (fs::exists(fs::path(roots.ppdevClass) / name, ec)
            && ::access((fs::path(roots.dev) / name).c_str(), R_OK | W_OK) == 0)
            return true;
    }
    return false;
}

std::unique_ptr<Device> MakeLinuxDevice()
{
    return std::make_unique<LinuxDevice>();
}

} // namespace ppdev
