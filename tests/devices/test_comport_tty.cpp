// The component on real ttys: a pseudo-terminal (no modem lines), a port that does not exist,
// the French catalog, and the machine's UART in loopback mode where there is one.

#include "engine/devices/comport.h"
#include "platform/serialdevice_linux.h"
#include "platform/serialports.h"
#include "tests/common/testsupport.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testsupport::waitFor;

namespace {

// Waits without serving the user-interface thread's queue.
bool waitUnserved(const std::function<bool()> &condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

namespace {

// A pseudo-terminal made to look like a listed port: a fake sysfs entry and a /dev-like folder
// whose entry points at the slave.
struct PtyPort {
    QTemporaryDir dir;
    int master = -1;
    fs::path sys, dev;

    PtyPort()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        const fs::path root = dir.path().toStdString();
        sys = root / "sys";
        dev = root / "dev";
        fs::create_directories(sys / "ttyPTY" / "device");
        fs::create_directories(dev);
        fs::create_symlink(ptsname(master), dev / "ttyPTY");
    }
    ~PtyPort()
    {
        if (master >= 0)
            ::close(master);
    }
    std::unique_ptr<serialdev::LinuxSerialDevice> device() const
    {
        return std::make_unique<serialdev::LinuxSerialDevice>(dev.string(), sys.string());
    }
};

} // namespace

TEST(ComPortTty, PseudoTerminalOpensReadsAndFallsBackToPolling)
{
    PtyPort pty;
    ASSERT_GE(pty.master, 0);
    auto owned = pty.device();
    serialdev::LinuxSerialDevice *device = owned.get();
    TComPort port(nullptr, std::move(owned));
    port.SetPort("ttyPTY");
    port.SetEvents(ComEvents({evCTS, evDSR, evRLSD}));
    port.SetBaudRate(br19200);
    port.SetStopBits(sbTwoStopBits);
    int reports = 0;
    port.OnCTSChange = [&](QObject *, bool) { ++reports; };
    port.Open();
    ASSERT_TRUE(port.Connected());
    EXPECT_EQ(reports, 0); // no lines to report: the opening reports are skipped

    termios tio;
    ASSERT_EQ(tcgetattr(port.Handle(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B19200));
    // (A pseudo-terminal keeps no data size or parity of its own; the mapping of those is
    // checked on its own.)
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_TRUE(tio.c_cflag & HUPCL);
    EXPECT_FALSE(tio.c_lflag & ICANON);
    // A rate without a B-constant goes through termios2 without complaint.
    EXPECT_NO_THROW(port.SetBaudRate(br14400));

    // Bytes come back as they were written, and only as many as there are.
    ASSERT_EQ(::write(pty.master, "CQ DE", 5), 5);
    char buffer[64];
    ASSERT_TRUE(waitFor([&] { return port.GetComInputCount() == 5; }));
    EXPECT_EQ(port.ReadCom(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "CQ DE");
    EXPECT_EQ(port.ReadCom(buffer, sizeof buffer), 0);
    // With a total time-out the read waits for the rest.
    port.Timeouts().SetReadInterval(0);
    port.Timeouts().SetReadTotalConstant(5000);
    ASSERT_EQ(::write(pty.master, "K", 1), 1);
    EXPECT_EQ(port.ReadCom(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'K');
    EXPECT_EQ(port.WriteCom("TU", 2), 2);
    char echo[2] = {};
    ASSERT_TRUE(waitFor([&] { return ::read(pty.master, echo, 2) == 2; }));
    EXPECT_EQ(std::string(echo, 2), "TU");

    // A pseudo-terminal has no modem lines: the status read fails with the component's error.
    try {
        port.GetComSignals();
        ADD_FAILURE();
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code, 11);
        EXPECT_EQ(e.WinCode, ENOTTY);
        EXPECT_EQ(std::string(e.what()),
                  "GetCommModemStatus function failed (win error code: " + std::to_string(ENOTTY) + ")");
    }
    EXPECT_FALSE(port.SetDTR(true));

    // The watcher finds no modem wait and polls instead, with nothing to look at but its
    // wake-up (it would wait for ever): closing wakes and stops it.
    ASSERT_TRUE(waitFor([&] { return device->watchMode() == serialdev::LinuxSerialDevice::WatchMode::Polling; }));
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)); // room for a loaded machine
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Handle(), -1);
}

TEST(ComPortTty, ReceivedBytesAndADrainedOutputAreReported)
{
    PtyPort pty;
    ASSERT_GE(pty.master, 0);
    TComPort port(nullptr, pty.device());
    port.SetPort("ttyPTY");
    // The two events the tty layer cannot give are refused, and nothing changes.
    EXPECT_THROW(port.SetEvents(ComEvents({evRxChar, evRxFlag})), std::invalid_argument);
    EXPECT_THROW(port.SetEvents(ComEvents({evRx80Full})), std::invalid_argument);
    EXPECT_EQ(port.Events(), SupportedComEvents);
    port.SetEvents(ComEvents({evRxChar, evTxEmpty}));

    std::vector<int> counts;
    std::string received;
    bool reading = true;
    std::string sendWhileHandling; // written to the other side once the handler has read
    int drained = 0;
    port.OnRxChar = [&](QObject *, int count) {
        counts.push_back(count);
        if (!reading)
            return;
        char buffer[64];
        const int got = port.ReadCom(buffer, std::min<int>(count, sizeof buffer));
        received.append(buffer, static_cast<size_t>(got));
        if (!sendWhileHandling.empty()) {
            const auto n = static_cast<int>(sendWhileHandling.size());
            ASSERT_EQ(::write(pty.master, sendWhileHandling.data(), static_cast<size_t>(n)), n);
            sendWhileHandling.clear();
            // Back to the watcher only once the bytes wait in the queue, as many as before.
            ASSERT_TRUE(waitUnserved([&] { return port.GetComInputCount() == n; }));
        }
    };
    port.OnTxEmpty = [&](QObject *) { ++drained; };
    port.Open();

    // The same number of bytes again, come while the first were being handled, is new input
    // all the same.
    sendWhileHandling = "DE";
    ASSERT_EQ(::write(pty.master, "CQ", 2), 2);
    ASSERT_TRUE(waitFor([&] { return received == "CQDE"; })) << received;

    // Bytes left unread are reported once, and again only when more come.
    reading = false;
    counts.clear();
    ASSERT_EQ(::write(pty.master, "K", 1), 1);
    ASSERT_TRUE(waitFor([&] { return counts.size() == 1; }));
    ASSERT_EQ(::write(pty.master, "N", 1), 1);
    ASSERT_TRUE(waitFor([&] { return counts.size() == 2; }));
    waitFor([] { return false; }, 100); // room for reports that should not come
    EXPECT_EQ(counts, std::vector<int>({1, 2}));

    // A write is followed by the report that the output has drained.
    EXPECT_EQ(drained, 0);
    EXPECT_EQ(port.WriteCom("TU", 2), 2);
    EXPECT_TRUE(waitFor([&] { return drained == 1; }));
    char echo[2] = {};
    ASSERT_TRUE(waitFor([&] { return ::read(pty.master, echo, 2) == 2; }));
    port.Close();
}

TEST(ComPortTty, APortOpenIsExclusive)
{
    PtyPort pty;
    ASSERT_GE(pty.master, 0);
    TComPort first(nullptr, pty.device());
    TComPort second(nullptr, pty.device());
    first.SetPort("ttyPTY");
    second.SetPort("ttyPTY");
    first.SetEvents(0);
    second.SetEvents(0);
    first.Open();
    try {
        second.Open();
        ADD_FAILURE();
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code, 1);
        EXPECT_EQ(e.WinCode, EBUSY);
    }
    first.Close();
    EXPECT_NO_THROW(second.Open());
}

TEST(ComPortTty, APortThatDoesNotExistFailsWithCodeOne)
{
    TComPort port;
    port.SetPort("ttyDOESNOTEXIST");
    try {
        port.Open();
        ADD_FAILURE();
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code, 1);
        EXPECT_EQ(e.WinCode, ENOENT);
        EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
    }
    EXPECT_FALSE(port.Connected());
}

TEST(ComPortCatalog, TheFrenchEnvironmentGivesFrenchMessages)
{
    const char *oldLanguage = getenv("LANGUAGE");
    const std::string keepLanguage = oldLanguage ? oldLanguage : "";
    const std::string keepLocale = setlocale(LC_MESSAGES, nullptr);
    setenv("LANGUAGE", "fr", 1);
    // No French locale need be installed: a UTF-8 locale and LANGUAGE choose the catalog.
    // gettext remembers translations per locale name, so the French run uses a name the rest
    // of this process does not.
    const char *french = keepLocale == "C.UTF-8" ? "C.utf8" : "C.UTF-8";
    ASSERT_NE(setlocale(LC_MESSAGES, french), nullptr);
    ComPortInitCatalog();
    EXPECT_TRUE(fs::exists(fs::path(ComPortLocaleDir()) / "fr" / "LC_MESSAGES" / "cport.mo"))
        << ComPortLocaleDir();
    const std::string message = ComErrorMessage(14);
    const std::string withCode = EComPortCreateWin(1, 13).what();

    if (oldLanguage)
        setenv("LANGUAGE", keepLanguage.c_str(), 1);
    else
        unsetenv("LANGUAGE");
    setlocale(LC_MESSAGES, keepLocale.c_str());

    EXPECT_EQ(message, "Impossible de modifier la propriété pendant la connexion");
    EXPECT_EQ(withCode, "Impossible d'ouvrir le port série (code d'erreur win : 13)");
    EXPECT_EQ(ComErrorMessage(14), "Cannot set property while connected");
}

namespace {

// One run of the loopback scenario; gives what went wrong, or nothing.
std::string loopbackRun(TComPort &port, std::vector<std::string> &log)
{
    auto text = [](const std::vector<std::string> &entries) {
        std::string all;
        for (const auto &e : entries)
            all += e + " ";
        return all;
    };
    // Other programs may hold the port (it is opened exclusively): wait for our turn.
    int busy = 0;
    const bool opened = waitFor([&] {
        try {
            port.Open();
            return true;
        } catch (const EComPort &e) {
            busy = e.WinCode;
            return false;
        }
    }, 60000);
    if (!opened)
        return "ttyS0 stayed unavailable, errno " + std::to_string(busy);
    // Whatever happens below, the shared port is left out of loopback with its lines low,
    // so a failed run never spoils the next one (or another program's use of the port).
    struct Closer {
        TComPort &port;
        ~Closer()
        {
            port.SetLines(0, serialdev::LineLoop | serialdev::LineDTR | serialdev::LineRTS);
            try {
                port.Close();
            } catch (const EComPort &) {
            }
        }
    } closer{port};
    if (log.size() != 3)
        return "opening reports: " + text(log);
    unsigned lines = 0;
    if (port.Device().modemLines(lines) != 0 || (lines & (serialdev::LineDTR | serialdev::LineRTS)))
        return "DTR or RTS not lowered at open";

    log.clear();
    if (port.SetLines(serialdev::LineLoop, 0) != 0)
        return "no loopback";
    // With DTR and RTS low, loopback brings CTS and DSR low (a port left in loopback by an
    // earlier user is low already). Let the reports settle; the last one of each line must
    // carry the low level.
    if (!waitFor([&] { return (port.GetComSignals() & (csCTS | csDSR)) == 0; }, 10000))
        return "CTS and DSR not low in loopback";
    for (size_t seen = ~size_t(0); seen != log.size();) {
        seen = log.size();
        waitFor([] { return false; }, 300);
    }
    for (const char *line : {"cts", "dsr"}) {
        const auto last = std::find_if(log.rbegin(), log.rend(), [&](const std::string &entry) {
            return entry.rfind(line, 0) == 0;
        });
        if (last != log.rend() && *last != std::string(line) + "0")
            return "entering loopback: " + text(log);
    }
    log.clear();

    const std::pair<unsigned, bool> steps[] = {{serialdev::LineDTR, true},
                                               {serialdev::LineRTS, true},
                                               {serialdev::LineDTR, false},
                                               {serialdev::LineRTS, false}};
    for (auto [line, on] : steps) {
        const size_t before = log.size();
        if (!port.SetLine(line, on))
            return "cannot switch a line";
        if (!waitFor([&] { return log.size() > before; }, 10000))
            return "no report after a switch: " + text(log);
    }
    waitFor([] { return false; }, 150);
    const std::vector<std::string> expected{"dsr1", "cts1", "dsr0", "cts0"};
    if (log != expected)
        return "reports: " + text(log);
    // A driver that counted none of these changes never woke the modem wait either: the
    // watcher must have noticed and be polling.
    serialdev::Counters counted;
    const auto &device = dynamic_cast<const serialdev::LinuxSerialDevice &>(port.Device());
    if (port.Device().counters(counted) == 0 && counted.cts == 0 && counted.dsr == 0
        && device.watchMode() != serialdev::LinuxSerialDevice::WatchMode::Polling)
        return "a silent driver, yet the watcher is not polling";

    if (port.SetLines(0, serialdev::LineLoop) != 0 || port.Device().modemLines(lines) != 0
        || (lines & (serialdev::LineDTR | serialdev::LineRTS | serialdev::LineLoop)))
        return "lines not left low";
    return {};
}

} // namespace

// The UART's loopback wires DTR to DSR, RTS to CTS and OUT2 to DCD, so the program's own line
// changes come back through the real driver, which here never wakes a modem wait.
TEST(ComPortUart, LoopbackReportsDSRAndCTSInOrderWithTheirLevels)
{
    if (!serialports::IsSerialPortName("ttyS0"))
        GTEST_SKIP() << "no ttyS0 on this machine";
    TComPort port;
    port.SetPort("ttyS0");
    port.SetEvents(ComEvents({evCTS, evDSR, evRLSD}));
    std::vector<std::string> log;
    port.OnCTSChange = [&](QObject *, bool on) { log.push_back(on ? "cts1" : "cts0"); };
    port.OnDSRChange = [&](QObject *, bool on) { log.push_back(on ? "dsr1" : "dsr0"); };
    port.OnRLSDChange = [&](QObject *, bool on) { log.push_back(on ? "rlsd1" : "rlsd0"); };
    // The port is shared hardware: a program that ignores our lock (an open of a tty raises
    // its DTR and RTS) can disturb one run, so a failed run is tried again twice.
    std::vector<std::string> failures;
    for (int attempt = 0; attempt < 3; ++attempt) {
        log.clear();
        const std::string failure = loopbackRun(port, log);
        if (failure.empty())
            return;
        failures.push_back(failure);
    }
    for (const auto &f : failures)
        ADD_FAILURE() << f;
}

// In loopback what the UART sends comes back as received: the real driver's receive counter
// and transmitter status stand behind the two data events.
TEST(ComPortUart, LoopbackEchoesWhatIsSentAndTellsTheOutputDrained)
{
    if (!serialports::IsSerialPortName("ttyS0"))
        GTEST_SKIP() << "no ttyS0 on this machine";
    TComPort port;
    port.SetPort("ttyS0");
    port.SetEvents(ComEvents({evRxChar, evTxEmpty}));
    std::string received;
    int drained = 0;
    port.OnRxChar = [&](QObject *, int count) {
        char buffer[64];
        const int got = port.ReadCom(buffer, std::min<int>(count, sizeof buffer));
        received.append(buffer, static_cast<size_t>(got));
    };
    port.OnTxEmpty = [&](QObject *) { ++drained; };
    try {
        port.Open();
    } catch (const EComPort &e) {
        GTEST_SKIP() << "ttyS0 cannot be opened: " << e.what();
    }
    ASSERT_EQ(port.SetLines(serialdev::LineLoop, 0), 0);
    port.PurgeComBuffers();
    EXPECT_EQ(port.WriteCom("CQ", 2), 2);
    EXPECT_TRUE(waitFor([&] { return received == "CQ"; })) << received;
    EXPECT_TRUE(waitFor([&] { return drained >= 1; }));
    port.SetLines(0, serialdev::LineLoop);
    port.Close();
}
