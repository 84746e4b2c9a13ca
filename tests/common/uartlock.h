#pragma once

// Tests that open this machine's UART themselves, beside the program: the lock every user of
// the device takes first, so that the open (which raises DTR and RTS) never lands on a port
// another test program, of this run or of another, is keying.

#include "platform/serialdevice_linux.h"

#include <chrono>
#include <string>
#include <thread>

namespace testsupport {

// The device's lock, waited for up to `timeoutMs`: the descriptor that holds it (close it to
// release), -1 when the system has no lock file for it, -2 when another holder kept it.
inline int WaitForSerialLock(const std::string &devicePath, int timeoutMs = 30000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int lock = serialdev::LockSerialDevice(devicePath);
        if (lock != -2 || std::chrono::steady_clock::now() > end)
            return lock;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace testsupport
