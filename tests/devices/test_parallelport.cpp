// The parallel ports as the kernel shows them (a made-up /proc, /sys and /dev), and access to a
// port's control register through a recording ppdev device: only ports a parport driver owns,
// claimed at the first read or write and not before.

#include "engine/devices/parallelport.h"
#include "tests/devices/fakeparport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

std::filesystem::path folder(const QTemporaryDir &dir)
{
    return dir.path().toStdString();
}

TEST(ParallelPorts, TheKernelsPortsWithARealAddressInNumberOrder)
{
    QTemporaryDir dir;
    // parport2 is a USB adapter (no I/O address); an out-of-range one and junk are left out.
    const ppdev::Roots roots = MakeParportTree(
        folder(dir), {{3, "53264\t0\n"}, {0, "888\t1912\n"}, {2, "0\t0\n"}, {1, "632\t1656\n"}, {4, "70000\t0"}, {5, "x"}});
    const auto ports = ppdev::ListPorts(roots);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].number, 0);
    EXPECT_EQ(ports[0].base, 0x378);
    EXPECT_EQ(ports[1].base, 0x278);
    EXPECT_EQ(ports[2].number, 3);
    EXPECT_EQ(ports[2].base, 0xD010);
    EXPECT_EQ(ppdev::PortNumberOf(0x278, roots), 1);
    EXPECT_EQ(ppdev::PortNumberOf(0x3BC, roots), -1);
    EXPECT_EQ(ppdev::PortNumberOf(0, roots), -1);

    TParallelPortAccess access(roots);
    EXPECT_EQ(access.GetLPTPortAddress(1), 0x378);
    EXPECT_EQ(access.GetLPTPortAddress(2), 0x278);
    EXPECT_EQ(access.GetLPTPortAddress(3), 0);
    EXPECT_EQ(access.GetLPTPortAddress(0), 0);
}

TEST(ParallelPorts, TheDriverIsMissingOnlyWhenAPortCannotBeReached)
{
    QTemporaryDir none, unreached, reached;
    EXPECT_TRUE(ppdev::DriverReady(MakeParportTree(folder(none), {})));
    EXPECT_FALSE(ppdev::DriverReady(MakeParportTree(folder(unreached), {{0, "888\t1912"}}, false)));
    EXPECT_TRUE(ppdev::DriverReady(MakeParportTree(folder(reached), {{0, "888\t1912"}})));
    // No /proc entry at all (no parport driver): nothing to list.
    EXPECT_TRUE(ppdev::ListPorts(ppdev::Roots{folder(none).string() + "/missing", "", ""}).empty());
}

class ParallelAccess : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ppdev::Roots roots = MakeParportTree(folder(dir), {{0, "888\t1912"}, {1, "632\t1656"}});
    std::shared_ptr<FakeParportState> state = std::make_shared<FakeParportState>();
    TParallelPortAccess access{roots, [this] { return std::make_unique<FakeParport>(state); }};

    int lastState()
    {
        std::string text;
        return access.GetLastState(text);
    }
};

// (Claiming at the first use, and giving a port back, are seen from the port panel's tests.)
TEST_F(ParallelAccess, OnlyTheControlRegisterOfAPortADriverOwnsIsWritten)
{
    access.EnablePorts(0x3BC, 0x3BC);
    EXPECT_EQ(lastState(), ENODEV);
    access.Outport(0x3BE, 0x01);
    EXPECT_EQ(access.Inport(0x3BE), 0);
    EXPECT_EQ(state->log(), "");

    access.EnablePorts(0x378, 0x378);
    access.Outport(0x37A, 0xF5);
    EXPECT_EQ(state->writes(), std::vector<int>{0x05}); // the four pins only
    // The data register, or another port's control register, is not this one.
    access.Outport(0x378, 0x01);
    EXPECT_EQ(lastState(), EINVAL);
    EXPECT_EQ(access.Inport(0x27A), 0);
    EXPECT_EQ(state->writes(), std::vector<int>{0x05});
}

TEST_F(ParallelAccess, AClaimRefusedWritesNothingAndIsTriedAgainAtTheNextUse)
{
    state->claimError = EBUSY;
    access.EnablePorts(0x378, 0x378);
    access.Outport(0x37A, 0x01);
    std::string why;
    EXPECT_EQ(access.GetLastState(why), EBUSY);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(state->log(), "open " + roots.dev + "/parport0 claim close");
    state->claimError = 0;
    access.Outport(0x37A, 0x01);
    EXPECT_EQ(state->writes(), std::vector<int>{0x01});
}

// The kernel's interface itself, as far as a machine without a parallel port allows.
TEST(ParallelPorts, TheLinuxDeviceReportsWhatTheKernelSays)
{
    auto device = ppdev::MakeLinuxDevice();
    EXPECT_EQ(device->open("/nonexistent/parport0"), ENOENT);
    std::uint8_t value = 0;
    EXPECT_EQ(device->readControl(value), EBADF);
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/parport0";
    std::ofstream(file) << "";
    ASSERT_EQ(device->open(file), 0);
    EXPECT_GE(device->handle(), 0);
    EXPECT_EQ(device->claim(), ENOTTY); // a file is no port
    device->close();
    EXPECT_EQ(device->handle(), -1);
}

} // namespace
