// The table of keying outputs that go to key-up however the program ends: its entries keep
// descriptors of their own, and releasing reaches a port through them alone.

#include "engine/keyingsafety.h"
#include "platform/serialports.h"
#include "tests/common/uartlock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

int openDescriptors()
{
    int n = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

TEST(KeyingSafety, AFullTableRefusesAndNoKeptDescriptorOutlivesItsEntry)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int before = openDescriptors();
    EXPECT_EQ(keyingsafety::RegisterSerialPort(-1), -1);
    std::vector<int> entries;
    for (int i = 0; i <= keyingsafety::EntryCount; ++i) {
        const int entry = keyingsafety::RegisterSerialPort(pipeEnds[0]);
        if (entry < 0)
            break;
        entries.push_back(entry);
    }
    ASSERT_FALSE(entries.empty());
    EXPECT_LE(entries.size(), std::size_t(keyingsafety::EntryCount));
    EXPECT_EQ(openDescriptors(), before + int(entries.size()));
    // Releasing goes over descriptors that are no ports without harm.
    keyingsafety::ReleaseAllNow();
    for (int entry : entries)
        keyingsafety::Unregister(entry);
    keyingsafety::Unregister(entries.front()); // twice: nothing
    EXPECT_EQ(openDescriptors(), before);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

// The port's owner has closed its own descriptor (as a port being closed has, for an instant)
// while another holder keeps the device open: the lines stay up until the kept descriptor
// lowers them.
TEST(KeyingSafetyUart, ReleasingLowersTheLinesThroughTheKeptDescriptor)
{
    if (!serialports::IsSerialPortName("ttyS0"))
        GTEST_SKIP() << "no UART at /dev/ttyS0";
    // What this test holds goes back however it ends.
    struct Held {
        int lock = -1, watch = -1, port = -1, entry = -1;
        ~Held()
        {
            keyingsafety::Unregister(entry);
            for (int fd : {port, watch, lock})
                if (fd >= 0)
                    ::close(fd);
        }
    } held;
    held.lock = testsupport::WaitForSerialLock("/dev/ttyS0");
    if (held.lock == -2)
        GTEST_SKIP() << "ttyS0 stayed in use by another program";
    held.watch = ::open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (held.watch < 0)
        GTEST_SKIP() << "/dev/ttyS0 cannot be opened";
    held.port = ::open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(held.port, 0);
    int both = TIOCM_DTR | TIOCM_RTS;
    ASSERT_EQ(::ioctl(held.port, TIOCMBIS, &both), 0);
    held.entry = keyingsafety::RegisterSerialPort(held.port);
    ASSERT_GE(held.entry, 0);
    ::close(held.port);
    held.port = -1;
    auto lines = [&] {
        int bits = 0;
        EXPECT_EQ(::ioctl(held.watch, TIOCMGET, &bits), 0);
        return bits & (TIOCM_DTR | TIOCM_RTS);
    };
    EXPECT_EQ(lines(), TIOCM_DTR | TIOCM_RTS);
    keyingsafety::ReleaseAllNow();
    EXPECT_EQ(lines(), 0);
}

} // namespace
