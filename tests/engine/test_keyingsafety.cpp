// The table of keying outputs that go to key-up however the program ends: an entry keeps a
// descriptor of its own, and releasing reaches the port through it alone.

#include "engine/keyingsafety.h"
#include "platform/serialports.h"
#include "tests/common/uartlock.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

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
