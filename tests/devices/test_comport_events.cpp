// The component and its event thread against a scripted device: opening and closing reports,
// the order and levels of line changes, closing with a batch pending, failures, and the
// settings read as text that a port then opens with.

#include "engine/devices/comport.h"
#include "engine/devices/comthread.h"
#include "tests/common/testsupport.h"
#include "tests/devices/fakeserialdevice.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace serialdev;
using testsupport::waitFor;

namespace {

struct Keyer {
    FakeSerialDevice *device;
    std::unique_ptr<TComPort> port;
    std::vector<std::string> log;
    std::vector<Qt::HANDLE> handlerThreads;

    explicit Keyer(TComEvents events = ComEvents({evCTS, evDSR, evRLSD}))
    {
        auto fake = std::make_unique<FakeSerialDevice>();
        device = fake.get();
        port = std::make_unique<TComPort>(nullptr, std::move(fake));
        port->SetPort("ttyS0");
        port->SetEvents(events);
        auto line = [this](const char *name) {
            return [this, name](QObject *, bool on) {
                log.push_back(std::string(name) + (on ? "1" : "0"));
                handlerThreads.push_back(QThread::currentThreadId());
            };
        };
        port->OnCTSChange = line("cts");
        port->OnDSRChange = line("dsr");
        port->OnRLSDChange = line("rlsd");
        port->OnAfterOpen = [this](QObject *) { log.push_back("afteropen"); };
        port->OnBeforeClose = [this](QObject *) { log.push_back("beforeclose"); };
        port->OnAfterClose = [this](QObject *) { log.push_back("afterclose"); };
    }
    ~Keyer() { port.reset(); } // its closing reports still write to the log

    bool logged(size_t n)
    {
        return waitFor([&] { return log.size() >= n; }, 10000);
    }
};

using Log = std::vector<std::string>;

// Waits for a condition without serving the user-interface thread's queue, so that a batch
// posted meanwhile stays unhandled.
bool waitUnserved(const std::function<bool()> &condition, int timeoutMs = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

TEST(ComPortEvents, OpeningWithCTSHighReportsItOnceAfterOpen)
{
    Keyer k;
    k.device->setInputs(LineCTS, 0);
    k.port->Open();
    EXPECT_EQ(k.log, (Log{"afteropen", "cts1", "dsr0", "rlsd0"}));
    // Nothing changed since, so nothing more comes.
    QCoreApplication::processEvents();
    EXPECT_EQ(k.log.size(), 4u);
    EXPECT_TRUE(k.port->EventThreadRunning());
}

TEST(ComPortEvents, ClosingReportsTheLinesOffBeforeBeforeClose)
{
    Keyer k;
    k.device->setInputs(LineCTS | LineDSR | LineCD, 0);
    k.port->Open();
    k.log.clear();
    k.port->Close();
    EXPECT_EQ(k.log, (Log{"cts0", "dsr0", "rlsd0", "beforeclose", "afterclose"}));
    EXPECT_FALSE(k.port->Connected());
    EXPECT_FALSE(k.device->isOpen());
    EXPECT_EQ(k.device->watchStops.load(), 1);
}

TEST(ComPortEvents, LinesChangingTogetherArriveInFixedOrderOnTheUserInterfaceThread)
{
    Keyer k;
    k.port->Open();
    k.log.clear();
    k.handlerThreads.clear();
    k.device->setInputs(LineCD | LineDSR | LineCTS, 0);
    ASSERT_TRUE(k.logged(3));
    EXPECT_EQ(k.log, (Log{"cts1", "dsr1", "rlsd1"}));
    for (Qt::HANDLE id : k.handlerThreads)
        EXPECT_EQ(id, QCoreApplication::instance()->thread()->currentThreadId());
    // One change after another: one report each, with its level.
    k.device->setInputs(0, LineDSR);
    ASSERT_TRUE(k.logged(4));
    k.device->setInputs(0, LineCTS);
    ASSERT_TRUE(k.logged(5));
    EXPECT_EQ(k.log, (Log{"cts1", "dsr1", "rlsd1", "dsr0", "cts0"}));
}

TEST(ComPortEvents, TheLevelIsReadWhenTheBatchIsHandled)
{
    Keyer k;
    k.port->Open();
    k.log.clear();
    k.device->setInputs(LineCTS, 0);
    // The batch for the rise is posted but not yet handled when the line falls again.
    ASSERT_TRUE(waitUnserved([&] { return k.device->changesReported.load() == 1; }));
    k.device->setInputs(0, LineCTS);
    ASSERT_TRUE(k.logged(1));
    EXPECT_EQ(k.log.front(), "cts0");
}

TEST(ComPortEvents, AHandlerLearnsWhenTheChangeWasSeenNotWhenItIsHandled)
{
    // Before the port: its closing report still runs the handler.
    std::vector<std::chrono::steady_clock::time_point> seen, handled;
    Keyer k;
    k.port->OnCTSChange = [&, port = k.port.get()](QObject *, bool) {
        seen.push_back(port->EventTime());
        handled.push_back(std::chrono::steady_clock::now());
    };
    k.device->setInputs(LineCTS, 0);
    k.port->Open(); // the opening report: no change was seen, so it is the present moment
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_LE(handled[0] - seen[0], std::chrono::milliseconds(50));

    const auto before = std::chrono::steady_clock::now();
    k.device->setInputs(0, LineCTS);
    // The batch waits while the user-interface thread is busy elsewhere.
    ASSERT_TRUE(waitUnserved([&] { return k.device->changesReported.load() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(waitFor([&] { return seen.size() == 2; }));
    EXPECT_GE(seen[1], before);
    EXPECT_GE(handled[1] - seen[1], std::chrono::milliseconds(100));
    // Outside a batch it is the present moment again.
    EXPECT_GE(k.port->EventTime(), handled[1]);
}

TEST(ComPortEvents, CloseWithABatchPendingReturnsAtOnceAndNoHandlerRunsAfterIt)
{
    Keyer k;
    k.port->Open();
    k.log.clear();
    k.device->setInputs(LineCTS, 0); // a key held down
    ASSERT_TRUE(waitUnserved([&] { return k.device->changesReported.load() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let the thread post it

    const auto start = std::chrono::steady_clock::now();
    k.port->Close();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(100));

    const Log closing{"cts0", "dsr0", "rlsd0", "beforeclose", "afterclose"};
    EXPECT_EQ(k.log, closing);
    waitFor([] { return false; }, 200); // serve whatever was posted
    EXPECT_EQ(k.log, closing) << "a batch was delivered after close";
}

TEST(ComPortEvents, AFailedStatusReadDropsTheRestOfThatBatchOnly)
{
    Keyer k;
    k.port->Open();
    k.log.clear();
    k.device->modemFailures = 1;
    k.device->setInputs(LineCTS | LineDSR, 0);
    ASSERT_TRUE(waitFor([&] { return k.device->modemFailures.load() == 0; }));
    waitFor([] { return false; }, 100);
    EXPECT_TRUE(k.log.empty()); // CTS failed, so DSR of that batch did not run either
    k.device->setInputs(0, LineDSR);
    ASSERT_TRUE(k.logged(1));
    EXPECT_EQ(k.log, (Log{"dsr0"}));
}

TEST(ComPortEvents, AWaitErrorEndsTheThreadWithoutSpinning)
{
    Keyer k;
    k.port->Open();
    ASSERT_TRUE(waitFor([&] { return k.device->waitCalls.load() == 1; }));
    k.device->failWait(EIO);
    ASSERT_TRUE(waitFor([&] { return k.device->watchStops.load() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(k.device->waitCalls.load(), 1);
    // The port stays open and still closes normally.
    EXPECT_TRUE(k.port->Connected());
    k.port->Close();
    EXPECT_FALSE(k.port->Connected());
}

TEST(ComPortEvents, WithNoEventsThereIsNoThreadAndNoReport)
{
    Keyer k(0);
    k.port->Open();
    EXPECT_FALSE(k.port->EventThreadRunning());
    k.log.clear();
    k.device->setInputs(LineCTS, 0);
    waitFor([] { return false; }, 50);
    EXPECT_TRUE(k.log.empty());
    EXPECT_EQ(k.device->waitCalls.load(), 0);
}

TEST(ComPortEvents, WithSmNoneHandlersRunOnTheEventThread)
{
    Keyer k;
    k.port->SetSyncMethod(smNone);
    std::atomic<Qt::HANDLE> seen{nullptr};
    std::atomic<bool> on{false};
    k.port->OnCTSChange = [&](QObject *, bool level) {
        seen = QThread::currentThreadId();
        on = level;
    };
    k.port->Open();
    seen = nullptr;
    k.device->setInputs(LineCTS, 0);
    ASSERT_TRUE(waitFor([&] { return seen.load() != nullptr; }));
    EXPECT_NE(seen.load(), QThread::currentThreadId());
    EXPECT_TRUE(on.load());
}

TEST(ComPortEvents, AHandlerOnTheEventThreadMayCloseThePort)
{
    Keyer k;
    k.port->SetSyncMethod(smNone);
    std::atomic<int> closings{0};
    TComPort *port = k.port.get();
    k.port->OnCTSChange = [&](QObject *, bool on) {
        if (on)
            port->Close();
    };
    k.port->OnBeforeClose = [&](QObject *) { ++closings; };
    k.port->OnAfterClose = nullptr;
    k.port->Open();
    k.device->setInputs(LineCTS, 0);
    ASSERT_TRUE(waitFor([&] { return !k.port->Connected(); }));
    EXPECT_EQ(closings.load(), 1);
    EXPECT_FALSE(k.device->isOpen());
    // The port opens again as usual (joining the old thread first).
    k.device->setInputs(0, LineCTS);
    k.port->Open();
    EXPECT_TRUE(k.port->Connected());
    EXPECT_TRUE(waitFor([&] { return k.device->waitCalls.load() >= 2; }));
}

TEST(ComPortEvents, ACloseMeetingAHandlersCloseReturnsOnlyOnceThePortIsClosed)
{
    // A handler on the event thread is closing the port when the user-interface thread closes
    // it too: the second close must not return while the first is still under way (the caller
    // would go on to open a port that is still connected), nor close a second time.
    Keyer k;
    k.port->SetSyncMethod(smNone);
    TComPort *port = k.port.get();
    std::atomic<bool> closingStarted{false};
    std::atomic<int> beforeClose{0};
    k.port->OnCTSChange = [&](QObject *, bool on) {
        if (on)
            port->Close();
    };
    k.port->OnBeforeClose = [&](QObject *) {
        ++beforeClose;
        closingStarted = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // a slow close step
    };
    k.port->OnAfterClose = nullptr;
    k.port->Open();
    k.device->setInputs(LineCTS, 0);
    ASSERT_TRUE(waitUnserved([&] { return closingStarted.load(); }));
    k.port->Close();
    EXPECT_FALSE(k.port->Connected());
    EXPECT_FALSE(k.device->isOpen());
    EXPECT_EQ(beforeClose.load(), 1);
}

TEST(ComPortEvents, WindowSyncDeliversEachEventInOrder)
{
    Keyer k;
    k.port->SetSyncMethod(smWindowSync);
    k.port->Open();
    k.log.clear();
    k.device->setInputs(LineCD | LineCTS | LineDSR, 0);
    ASSERT_TRUE(k.logged(3));
    EXPECT_EQ(k.log, (Log{"cts1", "dsr1", "rlsd1"}));
}

TEST(ComPortEvents, ADoubleToggleCountedByTheDriverIsStillReported)
{
    Keyer k;
    k.port->Open();
    k.log.clear();
    // Up and down before the watcher looks: the level is unchanged, the counter is not.
    k.device->toggle(LineDSR);
    ASSERT_TRUE(k.logged(1));
    EXPECT_EQ(k.log.front(), "dsr0");
}

TEST(ComPortOpenClose, CloseCompletesWhenItsStepsFailAndTheDestructorDoesNotThrow)
{
    auto k = std::make_unique<Keyer>();
    k->port->Open();
    k->device->flushError = EIO; // an unplugged adapter
    k->device->closeError = EIO;
    k->log.clear();
    try {
        k->port->Close();
        ADD_FAILURE() << "the purge failure was not reported";
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code, 5);
        EXPECT_EQ(e.WinCode, EIO);
    }
    EXPECT_FALSE(k->port->Connected());
    EXPECT_FALSE(k->device->isOpen());
    EXPECT_FALSE(k->port->EventThreadRunning());
    EXPECT_EQ(k->log.back(), "afterclose");
    // It opens again afterwards, and a port destroyed while open with failing steps is fine.
    k->device->flushError = 0;
    k->port->Open();
    EXPECT_TRUE(k->port->Connected());
    k->device->flushError = EIO;
    EXPECT_NO_THROW(k->port.reset());
}

TEST(ComPortOpenClose, AFailedOpenLeavesThePortClosed)
{
    Keyer k;
    k.device->openError = EACCES;
    try {
        k.port->Open();
        ADD_FAILURE();
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code, 1);
        EXPECT_EQ(e.WinCode, EACCES);
    }
    EXPECT_FALSE(k.port->Connected());

    // A setting the tty layer cannot apply closes the handle again.
    k.device->openError = 0;
    k.device->settingsError = EINVAL;
    EXPECT_THROW(k.port->Open(), EComPort);
    EXPECT_FALSE(k.port->Connected());
    EXPECT_FALSE(k.device->isOpen());
    EXPECT_FALSE(k.port->EventThreadRunning());
}

TEST(ComPortOpenClose, SyncMethodIsRefusedWhileConnected)
{
    Keyer k;
    k.port->Open();
    try {
        k.port->SetSyncMethod(smNone);
        ADD_FAILURE();
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code, 14);
        EXPECT_EQ(e.WinCode, -1);
        EXPECT_STREQ(e.what(), "Cannot set property while connected");
    }
    EXPECT_EQ(k.port->SyncMethod(), smThreadSync);
}

TEST(ComPortOpenClose, AValueThePortRefusesIsNotKeptAndFailsNoLaterSetter)
{
    Keyer k;
    k.port->Open();
    // What the tty layer cannot do at all.
    EXPECT_THROW(k.port->FlowControl().SetOutDSRFlow(true), EComPort);
    EXPECT_FALSE(k.port->FlowControl().OutDSRFlow());
    EXPECT_NO_THROW(k.port->SetBaudRate(br19200));
    EXPECT_EQ(k.port->BaudRate(), br19200);

    // What this device refuses: the old value stays, and the device has it again.
    k.device->settingsError = EINVAL;
    EXPECT_THROW(k.port->SetDataBits(dbSeven), EComPort);
    EXPECT_THROW(k.port->FlowControl().SetFlowControl(fcSoftware), EComPort);
    TComParity odd;
    odd.SetBits(prOdd);
    EXPECT_THROW(k.port->SetParity(odd), EComPort);
    k.device->settingsError = 0;
    EXPECT_EQ(k.port->DataBits(), dbEight);
    EXPECT_EQ(k.port->FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(k.port->Parity().Bits(), prNone);
    {
        std::lock_guard<std::mutex> g(k.device->m);
        EXPECT_EQ(k.device->applied.dataBits, 8);
        EXPECT_EQ(k.device->applied.parity, serialdev::Parity::None);
        EXPECT_EQ(k.device->applied.baudRate, 19200);
    }
    EXPECT_NO_THROW(k.port->SetStopBits(sbTwoStopBits));

    // A port name that cannot be opened: the port stays open on the name it had.
    struct OneNameGone : FakeSerialDevice {
        int open(const std::string &name) override { return name == "ttyGONE" ? ENOENT : FakeSerialDevice::open(name); }
    };
    auto gone = std::make_unique<OneNameGone>();
    TComPort port(nullptr, std::move(gone));
    port.SetEvents(0);
    port.SetPort("ttyS0");
    port.Open();
    EXPECT_THROW(port.SetPort("ttyGONE"), EComPort);
    EXPECT_EQ(port.Port(), "ttyS0");
    EXPECT_TRUE(port.Connected());
}

TEST(ComPortOpenClose, OutputLinesFollowTheControlsOnlyAtOpenOrWhenTheyChange)
{
    Keyer k;
    k.port->Open();
    {
        std::lock_guard<std::mutex> g(k.device->m);
        EXPECT_EQ(k.device->outputs, 0u); // both lowered at open
        k.device->lineCalls.clear();
    }
    EXPECT_TRUE(k.port->SetDTR(true)); // PTT up
    k.port->SetBaudRate(br19200);      // re-applying settings must not drop it
    {
        std::lock_guard<std::mutex> g(k.device->m);
        EXPECT_EQ(k.device->outputs, unsigned(LineDTR));
        EXPECT_EQ(k.device->applied.baudRate, 19200);
    }
    k.port->FlowControl().SetControlRTS(rtsEnable);
    {
        std::lock_guard<std::mutex> g(k.device->m);
        EXPECT_EQ(k.device->outputs, unsigned(LineDTR | LineRTS));
    }
    // What the tty layer cannot do is refused, not pretended.
    try {
        k.port->FlowControl().SetControlDTR(dtrHandshake);
        ADD_FAILURE();
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code, 7);
        EXPECT_EQ(e.WinCode, EINVAL);
    }
    k.port->Close();
    EXPECT_FALSE(k.port->SetRTS(true));
    EXPECT_EQ(k.port->Handle(), -1);
}

TEST(ComPortOpenClose, AReadHandsOnOnlyTheBytesActuallyRead)
{
    Keyer k(ComEvents({evRxChar}));
    int handed = -1;
    std::string bytes;
    k.port->SetTriggersOnRxChar(false);
    k.port->OnRxBuf = [&](QObject *, const void *buffer, int count) {
        handed = count;
        bytes.assign(static_cast<const char *>(buffer), static_cast<size_t>(count));
    };
    int rxChar = -1;
    k.port->OnRxChar = [&](QObject *, int count) { rxChar = count; };
    k.port->Open();
    k.device->feed("ABCD");
    k.device->reportedInput = 10; // the count claims more than the read gives
    k.port->CallRxChar();
    EXPECT_EQ(handed, 4);
    EXPECT_EQ(bytes, "ABCD");
    EXPECT_EQ(rxChar, -1); // the same bytes are not announced again

    k.device->feed("XYZ");
    k.device->reportedInput = -1;
    k.device->readLimit = 2;
    char buffer[16];
    EXPECT_EQ(k.port->ReadCom(buffer, 16), 2);
}

// ---- Settings read as text --------------------------------------------------------------------

namespace {

// The keyer's port loaded from an INI file that holds the given texts in its section, the way
// the component's own load reads them, and stored again into a second file.
struct PortFromText {
    QTemporaryDir dir;
    FakeSerialDevice *device = nullptr;
    std::unique_ptr<TComPort> port;

    explicit PortFromText(TStoredProps groups = 1u << spBasic)
    {
        auto fake = std::make_unique<FakeSerialDevice>();
        device = fake.get();
        port = std::make_unique<TComPort>(nullptr, std::move(fake));
        port->setObjectName("ComPortKeyer");
        port->SetEvents(0);
        port->SetStoredProps(groups);
    }
    void load(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        const QString path = dir.filePath("in.ini");
        {
            QSettings ini(path, QSettings::IniFormat);
            ini.clear();
            for (const auto &[name, value] : values)
                ini.setValue(QStringLiteral("ComPortKeyer/") + name, value);
        }
        QSettings ini(path, QSettings::IniFormat);
        port->LoadComIniFile(ini);
    }
    serialdev::Settings applied()
    {
        std::lock_guard<std::mutex> g(device->m);
        return device->applied;
    }
    unsigned outputs()
    {
        std::lock_guard<std::mutex> g(device->m);
        return device->outputs;
    }
    QString stored(const char *name)
    {
        QSettings ini(dir.filePath("out.ini"), QSettings::IniFormat);
        port->StoreComIniFile(ini);
        return ini.value(QStringLiteral("ComPortKeyer/") + name).toString();
    }
};

} // namespace

TEST(ComPortSettingsAsText, ThePortOpensWithWhatTheTextsSayInAnyCase)
{
    PortFromText hardware;
    hardware.load({{"Port", "ttyUSB1"}, {"BaudRate", "14400"}, {"StopBits", "2"}, {"DataBits", "7"},
                   {"Parity", "mark"}, {"FlowControl", "HARDWARE"}});
    hardware.port->Open();
    EXPECT_EQ(hardware.port->Port(), "ttyUSB1");
    serialdev::Settings s = hardware.applied();
    EXPECT_EQ(s.baudRate, 14400);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, serialdev::Parity::Mark);
    EXPECT_EQ(s.stopBits, serialdev::StopBits::Two);
    EXPECT_TRUE(s.rtsCtsFlow);
    EXPECT_FALSE(s.xonXoffIn || s.xonXoffOut);

    PortFromText software;
    software.load({{"BaudRate", "custom"}, {"CustomBaudRate", "31250"}, {"StopBits", "1.5"},
                   {"DataBits", "5"}, {"Parity", "EVEN"}, {"FlowControl", "Software"}});
    software.port->Open();
    s = software.applied();
    EXPECT_EQ(s.baudRate, 31250);
    EXPECT_EQ(s.dataBits, 5);
    EXPECT_EQ(s.parity, serialdev::Parity::Even);
    EXPECT_EQ(s.stopBits, serialdev::StopBits::OneAndHalf);
    EXPECT_FALSE(s.rtsCtsFlow);
    EXPECT_TRUE(s.xonXoffIn && s.xonXoffOut);

    // Texts that name nothing give the defaults; an unknown flow control changes no flag.
    PortFromText unknown;
    unknown.port->FlowControl().SetFlowControl(fcSoftware);
    unknown.load({{"BaudRate", "12345"}, {"StopBits", "3"}, {"DataBits", "9"}, {"Parity", "nonsense"},
                  {"FlowControl", "?"}});
    unknown.port->Open();
    s = unknown.applied();
    EXPECT_EQ(s.baudRate, 9600);
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_EQ(s.parity, serialdev::Parity::None);
    EXPECT_EQ(s.stopBits, serialdev::StopBits::One);
    EXPECT_TRUE(s.xonXoffIn && s.xonXoffOut);

    // Every rate a port can have is stored as a text that opens the port at the rate it names.
    for (int rate = br110; rate <= br256000; ++rate) {
        PortFromText from;
        from.port->SetBaudRate(TBaudRate(rate));
        const QString text = from.stored("BaudRate");
        PortFromText to;
        const std::string value = text.toStdString();
        to.load({{"BaudRate", value.c_str()}});
        to.port->Open();
        EXPECT_EQ(to.applied().baudRate, text.toInt()) << value;
    }
}

TEST(ComPortSettingsAsText, FlowControlFlagsSetTheLinesAndTheStoredSummary)
{
    const TStoredProps groups = (1u << spBasic) | (1u << spFlowControl);
    {
        PortFromText p(groups);
        EXPECT_EQ(p.stored("FlowControl"), "None");
        p.load({{"FlowControl.ControlDTR", "enable"}, {"FlowControl.ControlRTS", "Enable"}});
        p.port->Open();
        EXPECT_EQ(p.outputs(), unsigned(LineDTR | LineRTS));
        EXPECT_EQ(p.stored("FlowControl"), "Custom");
    }
    {
        PortFromText p(groups);
        p.load({{"FlowControl.ControlRTS", "Handshake"}, {"FlowControl.OutCTSFlow", "Yes"},
                {"FlowControl.ControlDTR", "sometimes"}});
        p.port->Open();
        EXPECT_TRUE(p.applied().rtsCtsFlow);
        // The driver moves RTS itself; a DTR control that names nothing leaves DTR low.
        EXPECT_EQ(p.outputs(), 0u);
        EXPECT_EQ(p.stored("FlowControl"), "Hardware");
    }
    {
        PortFromText p(groups);
        p.load({{"FlowControl.ControlRTS", "handshake"}, {"FlowControl.OutCTSFlow", "YES"},
                {"FlowControl.XonXoffIn", "Yes"}, {"FlowControl.XoffChar", ""}});
        p.port->Open();
        const serialdev::Settings s = p.applied();
        EXPECT_TRUE(s.rtsCtsFlow && s.xonXoffIn);
        EXPECT_FALSE(s.xonXoffOut);
        EXPECT_EQ(s.xoffChar, 0);
        EXPECT_EQ(p.stored("FlowControl"), "Custom");
        EXPECT_EQ(p.stored("FlowControl.XoffChar"), "#0");
    }
    {
        // Characters as themselves from 33 on, else by their code.
        PortFromText p(groups);
        p.load({{"FlowControl.XonXoffIn", "Yes"}, {"FlowControl.XonXoffOut", "yes"},
                {"FlowControl.XonChar", "#32"}, {"FlowControl.XoffChar", "Hello"}});
        p.port->Open();
        const serialdev::Settings s = p.applied();
        EXPECT_TRUE(s.xonXoffIn && s.xonXoffOut);
        EXPECT_EQ(s.xonChar, 32);
        EXPECT_EQ(s.xoffChar, 'H');
        EXPECT_EQ(p.stored("FlowControl"), "Software");
        EXPECT_EQ(p.stored("FlowControl.XonChar"), "#32");
        EXPECT_EQ(p.stored("FlowControl.XoffChar"), "H");
    }
    {
        // Only "yes" is yes; a code no character can have is not wrapped into one.
        PortFromText p(groups);
        p.load({{"FlowControl.XonXoffIn", "Yes"}, {"FlowControl.XonXoffOut", "true"},
                {"FlowControl.XonChar", "#128"}, {"FlowControl.XoffChar", "#300"}});
        p.port->Open();
        const serialdev::Settings s = p.applied();
        EXPECT_FALSE(s.xonXoffOut);
        EXPECT_EQ(s.xonChar, 128);
        EXPECT_EQ(s.xoffChar, '#');
        EXPECT_EQ(p.stored("FlowControl"), "Custom");
        EXPECT_EQ(p.stored("FlowControl.XonChar"), "#128");
        EXPECT_EQ(p.stored("FlowControl.XoffChar"), "#");
    }
    {
        // CTS flow without RTS handshake is more than a tty can do: the port stays closed.
        PortFromText p(groups);
        p.load({{"FlowControl.OutCTSFlow", "Yes"}});
        EXPECT_EQ(p.stored("FlowControl"), "Custom");
        try {
            p.port->Open();
            ADD_FAILURE() << "opened";
        } catch (const EComPort &e) {
            EXPECT_EQ(e.Code, 7);
        }
        EXPECT_FALSE(p.port->Connected());
    }
}
