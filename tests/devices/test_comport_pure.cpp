// The component's pure parts: option objects, the INI store and load, the event masks, the
// error texts, the port list and the termios mapping.

#include "engine/devices/comport.h"
#include "engine/devices/comthread.h"
#include "platform/serialdevice_linux.h"
#include "platform/serialports.h"
#include "tests/devices/fakeserialdevice.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(ComPortOptions, AssigningFlowControlResetsTheFlagsFirst)
{
    TComFlowControl fc;
    fc.SetFlowControl(fcSoftware);
    EXPECT_TRUE(fc.XonXoffIn() && fc.XonXoffOut());
    fc.SetFlowControl(fcHardware);
    EXPECT_FALSE(fc.XonXoffIn());
    EXPECT_FALSE(fc.XonXoffOut());
    EXPECT_EQ(fc.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(fc.OutCTSFlow());
    fc.SetFlowControl(fcCustom); // changes nothing
    EXPECT_EQ(fc.FlowControl(), fcHardware);
    fc.SetFlowControl(fcNone);
    EXPECT_EQ(fc.ControlRTS(), rtsDisable);
    EXPECT_FALSE(fc.OutCTSFlow());
}

TEST(ComPortOptions, OddBufferSizesAreLoweredByOne)
{
    const std::pair<int, int> sizes[] = {{1025, 1024}, {1024, 1024}, {7, 6}, {1, 0}, {0, 0}, {-3, -3}};
    for (auto [given, kept] : sizes) {
        TComBuffer b;
        b.SetInputSize(given);
        b.SetOutputSize(given);
        EXPECT_EQ(b.InputSize(), kept) << given;
        EXPECT_EQ(b.OutputSize(), kept) << given;
    }
}

TEST(ComPortOptions, AssigningAnOptionObjectCopiesAllItsFields)
{
    TComPort port(nullptr, std::make_unique<FakeSerialDevice>());
    TComTimeouts t;
    t.SetReadInterval(5);
    t.SetReadTotalMultiplier(6);
    t.SetReadTotalConstant(7);
    t.SetWriteTotalMultiplier(8);
    t.SetWriteTotalConstant(9);
    port.SetTimeouts(t);
    EXPECT_EQ(port.Timeouts().ReadInterval(), 5);
    EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 6);
    EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 7);
    EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 8);
    EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 9);
    EXPECT_EQ(port.Timeouts().ComPort, &port);

    TComParity p;
    p.SetBits(prMark);
    p.SetCheck(true);
    p.SetReplaceChar(42);
    port.SetParity(p);
    EXPECT_EQ(port.Parity().Bits(), prMark);
    EXPECT_TRUE(port.Parity().Check());
    EXPECT_EQ(port.Parity().ReplaceChar(), 42);
}

TEST(ComPortSettings, IniStoreAndLoadRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("port.ini");
    TComPort a(nullptr, std::make_unique<FakeSerialDevice>());
    a.setObjectName("ComPortKeyer");
    a.SetStoredProps((1u << spBasic) | (1u << spFlowControl) | (1u << spBuffer)
                     | (1u << spTimeouts) | (1u << spParity) | (1u << spOthers));
    a.SetPort("ttyUSB3");
    a.SetBaudRate(brCustom);
    a.SetCustomBaudRate(31250);
    a.SetStopBits(sbTwoStopBits);
    a.SetDataBits(dbSeven);
    a.Parity().SetBits(prEven);
    a.Parity().SetCheck(true);
    a.Parity().SetReplace(true);
    a.Parity().SetReplaceChar(13);
    a.SetEventChar('Z');
    a.SetDiscardNull(true);
    a.Buffer().SetInputSize(4096);
    a.Buffer().SetOutputSize(2048);
    a.Timeouts().SetReadInterval(11);
    a.Timeouts().SetReadTotalConstant(12);
    a.Timeouts().SetReadTotalMultiplier(13);
    a.Timeouts().SetWriteTotalConstant(14);
    a.Timeouts().SetWriteTotalMultiplier(15);
    a.FlowControl().SetControlDTR(dtrEnable);
    a.FlowControl().SetControlRTS(rtsToggle);
    a.FlowControl().SetDSRSensitivity(true);
    a.FlowControl().SetOutDSRFlow(true);
    a.FlowControl().SetTxContinueOnXoff(true);
    a.FlowControl().SetXonXoffIn(true);
    a.FlowControl().SetXonChar(1);
    a.FlowControl().SetXoffChar(' ');
    {
        QSettings ini(path, QSettings::IniFormat);
        a.StoreComIniFile(ini);
    }
    {
        QSettings ini(path, QSettings::IniFormat);
        EXPECT_EQ(ini.value("ComPortKeyer/BaudRate").toString(), "Custom");
        EXPECT_EQ(ini.value("ComPortKeyer/Parity.ReplaceChar").toString(), "#13");
        EXPECT_EQ(ini.value("ComPortKeyer/FlowControl").toString(), "Custom");
    }

    TComPort b(nullptr, std::make_unique<FakeSerialDevice>());
    b.setObjectName("ComPortKeyer");
    b.SetStoredProps(a.StoredProps());
    {
        QSettings ini(path, QSettings::IniFormat);
        b.LoadComIniFile(ini);
    }
    EXPECT_EQ(b.Port(), "ttyUSB3");
    EXPECT_EQ(b.BaudRate(), brCustom);
    EXPECT_EQ(b.CustomBaudRate(), 31250);
    EXPECT_EQ(b.StopBits(), sbTwoStopBits);
    EXPECT_EQ(b.DataBits(), dbSeven);
    EXPECT_EQ(b.Parity().Bits(), prEven);
    EXPECT_TRUE(b.Parity().Check());
    EXPECT_TRUE(b.Parity().Replace());
    EXPECT_EQ(b.Parity().ReplaceChar(), 13);
    EXPECT_EQ(b.EventChar(), 'Z');
    EXPECT_TRUE(b.DiscardNull());
    EXPECT_EQ(b.Buffer().InputSize(), 4096);
    EXPECT_EQ(b.Buffer().OutputSize(), 2048);
    EXPECT_EQ(b.Timeouts().ReadInterval(), 11);
    EXPECT_EQ(b.Timeouts().ReadTotalConstant(), 12);
    EXPECT_EQ(b.Timeouts().ReadTotalMultiplier(), 13);
    EXPECT_EQ(b.Timeouts().WriteTotalConstant(), 14);
    EXPECT_EQ(b.Timeouts().WriteTotalMultiplier(), 15);
    EXPECT_EQ(b.FlowControl().ControlDTR(), dtrEnable);
    EXPECT_EQ(b.FlowControl().ControlRTS(), rtsToggle);
    EXPECT_TRUE(b.FlowControl().DSRSensitivity());
    EXPECT_TRUE(b.FlowControl().OutDSRFlow());
    EXPECT_TRUE(b.FlowControl().TxContinueOnXoff());
    EXPECT_TRUE(b.FlowControl().XonXoffIn());
    EXPECT_FALSE(b.FlowControl().XonXoffOut());
    EXPECT_EQ(b.FlowControl().XonChar(), 1);
    EXPECT_EQ(b.FlowControl().XoffChar(), ' ');
}

TEST(ComPortSettings, OnlyTheChosenGroupsAreStored)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("port.ini");
    TComPort a(nullptr, std::make_unique<FakeSerialDevice>());
    a.SetPort("ttyS0");
    {
        QSettings ini(path, QSettings::IniFormat);
        a.StoreComIniFile(ini); // the basic group only, as constructed
    }
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup("ComPort");
    EXPECT_EQ(ini.childKeys(), (QStringList{"BaudRate", "DataBits", "FlowControl", "Parity", "Port", "StopBits"}));
    EXPECT_EQ(ini.value("FlowControl").toString(), "None");
    EXPECT_EQ(ini.value("StopBits").toString(), "1");
}

TEST(ComEventMasks, MapBothWays)
{
    EXPECT_EQ(ComEventsToMask(ComEvents({evCTS, evDSR, evRLSD})), 0x0038u);
    EXPECT_EQ(ComEventsToMask(AllComEvents), 0x05FFu);
    EXPECT_EQ(MaskToComEvents(0x0400), ComEvents({evRx80Full}));
    for (unsigned e = 0; e < 10; ++e) {
        const TComEvents one = static_cast<TComEvents>(1u << e);
        EXPECT_EQ(MaskToComEvents(ComEventsToMask(one)), one);
    }
    EXPECT_EQ(ModemChangesToComEvents(serialdev::LineCD | serialdev::LineRI),
              ComEvents({evRLSD, evRing}));
}

TEST(SerialLineChanges, LevelsAndCountersOfWatchedLinesBreaksAndErrorsAreReported)
{
    using namespace serialdev;
    const unsigned cts = LineCTS, dsr = LineDSR, cd = LineCD, ri = LineRI;
    const Counters none;
    // A level that moved, on a watched line and on one that is not.
    EXPECT_EQ(ModemChanges(cts | dsr, 0, none, cts | cd, none), cts);
    EXPECT_EQ(ModemChanges(cts, cts, none, 0, none), cts);
    // A pulse shorter than one look: the level is back, only its counter moved.
    const struct {
        std::uint32_t Counters::*counter;
        unsigned line;
    } pulses[] = {{&Counters::cts, cts}, {&Counters::dsr, dsr}, {&Counters::dcd, cd}, {&Counters::rng, ri}};
    for (const auto &pulse : pulses) {
        Counters after;
        after.*pulse.counter = 2;
        EXPECT_EQ(ModemChanges(InputLines, 0, none, 0, after), pulse.line) << pulse.line;
        EXPECT_EQ(ModemChanges(InputLines & ~pulse.line, 0, none, 0, after), 0u) << pulse.line;
    }
    // Breaks and line errors are told whatever lines are watched; received bytes are not.
    Counters broken;
    broken.brk = 1;
    EXPECT_EQ(ModemChanges(0, 0, none, 0, broken), unsigned(SeenBreak));
    for (std::uint32_t Counters::*error : {&Counters::frame, &Counters::parity, &Counters::overrun, &Counters::bufOverrun}) {
        Counters after;
        after.*error = 1;
        EXPECT_EQ(ModemChanges(cts, 0, none, 0, after), unsigned(SeenLineError));
    }
    Counters received;
    received.rx = 10;
    EXPECT_EQ(ModemChanges(InputLines, dsr, none, dsr, received), 0u);
}

TEST(ComPortErrors, MessagesWithAndWithoutTheSystemError)
{
    const EComPort e = EComPortCreateWin(1, 2);
    EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
    EXPECT_EQ(e.Code, 1);
    EXPECT_EQ(e.WinCode, 2);
    const EComPort f = EComPortCreate(23);
    EXPECT_STREQ(f.what(), "Registry error");
    EXPECT_EQ(f.WinCode, -1);
    EXPECT_EQ(ComErrorMessage(14), "Cannot set property while connected");
    EXPECT_EQ(ComErrorMessage(0), "");
}

namespace {

void makePort(const fs::path &root, const std::string &name, const char *type, bool device = true)
{
    fs::create_directories(root / name);
    if (device)
        fs::create_directories(root / name / "device");
    if (type)
        std::ofstream(root / name / "type") << type << "\n";
}

} // namespace

TEST(SerialPortList, ListsRealPortsSortedAsText)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    makePort(root, "ttyS0", "4");
    makePort(root, "ttyS1", "0");           // a phantom serial-core slot
    makePort(root, "tty0", nullptr, false); // a virtual console
    makePort(root, "console", nullptr, false);
    makePort(root, "ttyUSB0", nullptr);
    makePort(root, "ttyUSB10", nullptr);
    makePort(root, "ttyUSB2", nullptr);
    makePort(root, "ttyACM0", nullptr);
    EXPECT_EQ(serialports::ListSerialPorts(root.string()),
              (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyUSB0", "ttyUSB10", "ttyUSB2"}));
    EXPECT_TRUE(serialports::IsSerialPortName("ttyUSB10", root.string()));
    for (const char *bad : {"ttyS1", "tty0", "", ".", "..", "../ttyS0", "ttyS0/..", "null"})
        EXPECT_FALSE(serialports::IsSerialPortName(bad, root.string())) << bad;
    EXPECT_TRUE(serialports::ListSerialPorts((root / "missing").string()).empty());
}

TEST(SerialPortList, AnUnlistedNameNeverReachesOpen)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    makePort(root, "ttyS0", "4");
    // /dev/null exists and would open; it is not a listed port.
    serialdev::LinuxSerialDevice device("/dev", root.string());
    EXPECT_EQ(device.open("null"), ENOENT);
    EXPECT_EQ(device.open("../dev/null"), ENOENT);
    EXPECT_FALSE(device.isOpen());

    // A listed name whose node is no terminal is refused after all.
    makePort(root, "ttyNULL", nullptr);
    const fs::path dev = root / "dev";
    fs::create_directories(dev);
    fs::create_symlink("/dev/null", dev / "ttyNULL");
    serialdev::LinuxSerialDevice listed(dev.string(), root.string());
    EXPECT_EQ(listed.open("ttyNULL"), ENOTTY);
    EXPECT_FALSE(listed.isOpen());
    EXPECT_EQ(listed.handle(), -1);
}

TEST(SerialTermios, SettingsMapToTermios)
{
    using serialdev::Settings;
    termios tio{};
    int custom = -1;

    Settings s7e1;
    s7e1.dataBits = 7;
    s7e1.parity = serialdev::Parity::Even;
    s7e1.parityCheck = true;
    s7e1.baudRate = 19200;
    ASSERT_EQ(serialdev::BuildTermios(s7e1, tio, custom), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_TRUE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS));
    EXPECT_TRUE(tio.c_iflag & INPCK);
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B19200));
    EXPECT_EQ(custom, 0);
    for (tcflag_t always : {tcflag_t(CLOCAL), tcflag_t(CREAD), tcflag_t(HUPCL)})
        EXPECT_TRUE(tio.c_cflag & always);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));

    Settings mark;
    mark.parity = serialdev::Parity::Mark;
    mark.stopBits = serialdev::StopBits::Two;
    mark.rtsCtsFlow = true;
    mark.xonXoffOut = true;
    mark.xonChar = 1;
    mark.xoffChar = 2;
    ASSERT_EQ(serialdev::BuildTermios(mark, tio, custom), 0);
    EXPECT_EQ(tio.c_cflag & (PARENB | CMSPAR | PARODD), tcflag_t(PARENB | CMSPAR | PARODD));
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    EXPECT_TRUE(tio.c_iflag & IXON);
    EXPECT_FALSE(tio.c_iflag & IXOFF);
    EXPECT_EQ(tio.c_cc[VSTART], 1);
    EXPECT_EQ(tio.c_cc[VSTOP], 2);

    Settings space;
    space.parity = serialdev::Parity::Space;
    ASSERT_EQ(serialdev::BuildTermios(space, tio, custom), 0);
    EXPECT_EQ(tio.c_cflag & (PARENB | CMSPAR | PARODD), tcflag_t(PARENB | CMSPAR));

    // Rates without a B-constant go through termios2.
    for (int rate : {14400, 56000, 128000, 256000, 31250}) {
        Settings s;
        s.baudRate = rate;
        ASSERT_EQ(serialdev::BuildTermios(s, tio, custom), 0);
        EXPECT_EQ(custom, rate);
    }

    Settings oneAndHalf;
    oneAndHalf.stopBits = serialdev::StopBits::OneAndHalf;
    EXPECT_EQ(serialdev::BuildTermios(oneAndHalf, tio, custom), EINVAL);
    oneAndHalf.dataBits = 5;
    ASSERT_EQ(serialdev::BuildTermios(oneAndHalf, tio, custom), 0);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS5));

    Settings zero;
    zero.baudRate = 0;
    EXPECT_EQ(serialdev::BuildTermios(zero, tio, custom), EINVAL);
}
