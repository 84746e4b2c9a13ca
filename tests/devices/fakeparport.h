#pragma once

// A parallel port for tests: what the kernel would show under /proc, /sys and /dev (a tree in
// a temporary folder), and a ppdev device that records every call with its time and acts as
// the kernel does on a claim (the control register goes to 0x0C).

#include "platform/ppdev.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

struct FakeParportState {
    using Clock = std::chrono::steady_clock;
    std::mutex m;
    std::uint8_t control = 0x04; // as the printer driver left it
    bool claimed = false;
    int openError = 0;
    int claimError = 0;
    // "open <path>", "claim", "read", "write 0D", "release", "close", with their times.
    std::vector<std::pair<Clock::time_point, std::string>> calls;

    void add(std::string call) { calls.emplace_back(Clock::now(), std::move(call)); }
    std::string log()
    {
        std::lock_guard g(m);
        std::string text;
        for (const auto &[when, what] : calls)
            text += (text.empty() ? "" : " ") + what;
        return text;
    }
    void clear()
    {
        std::lock_guard g(m);
        calls.clear();
    }
    // The control values written, in order.
    std::vector<int> writes()
    {
        std::lock_guard g(m);
        std::vector<int> values;
        for (const auto &[when, what] : calls)
            if (what.rfind("write ", 0) == 0)
                values.push_back(std::stoi(what.substr(6), nullptr, 16));
        return values;
    }
};

class FakeParport final : public ppdev::Device {
public:
    explicit FakeParport(std::shared_ptr<FakeParportState> state) : s(std::move(state)) {}
    int open(const std::string &path) override
    {
        std::lock_guard g(s->m);
        s->add("open " + path);
        // A real descriptor, so the port can be registered for the release at a fatal signal.
        if (s->openError == 0)
            fd_ = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        return s->openError;
    }
    int claim() override
    {
        std::lock_guard g(s->m);
        s->add("claim");
        if (s->claimError)
            return s->claimError;
        s->claimed = true;
        s->control = 0x0C; // the kernel's initial state for a claimed PC port
        return 0;
    }
    int readControl(std::uint8_t &value) override
    {
        std::lock_guard g(s->m);
        s->add("read");
        value = s->control & 0x0F;
        return s->claimed ? 0 : 5;
    }
    int writeControl(std::uint8_t value) override
    {
        std::lock_guard g(s->m);
        char text[16];
        std::snprintf(text, sizeof text, "write %02X", value);
        s->add(text);
        if (!s->claimed)
            return 5;
        s->control = value & 0x0F;
        return 0;
    }
    int release() override
    {
        std::lock_guard g(s->m);
        s->add("release");
        s->claimed = false;
        return 0;
    }
    void close() override
    {
        std::lock_guard g(s->m);
        if (fd_ >= 0) {
            s->add("close");
            ::close(fd_);
        }
        fd_ = -1;
    }
    int handle() const override { return fd_; }

private:
    std::shared_ptr<FakeParportState> s;
    int fd_ = -1;
};

// /proc/sys/dev/parport, /sys/class/ppdev and /dev under `root`, with the given ports
// (number, base address as base-addr shows it); `reachable` adds ppdev's entries and nodes.
inline ppdev::Roots MakeParportTree(const std::filesystem::path &root,
                                    const std::vector<std::pair<int, std::string>> &ports, bool reachable = true)
{
    namespace fs = std::filesystem;
    ppdev::Roots roots{(root / "proc").string(), (root / "ppdev").string(), (root / "dev").string()};
    fs::create_directories(root / "proc" / "default");
    fs::create_directories(root / "dev");
    for (const auto &[number, baseAddr] : ports) {
        const std::string name = "parport" + std::to_string(number);
        fs::create_directories(root / "proc" / name);
        std::ofstream(root / "proc" / name / "base-addr") << baseAddr;
        if (reachable) {
            fs::create_directories(root / "ppdev" / name);
            std::ofstream(root / "dev" / name) << "";
        }
    }
    return roots;
}
