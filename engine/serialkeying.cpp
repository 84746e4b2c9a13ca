#include "engine/serialkeying.h"

#include "engine/elementclock.h"
#include "engine/keyingsafety.h"

#include <cerrno>

SerialKeying *ActiveSerialKeying = nullptr;

namespace {

// Forwards to the active keying port's lines. Its lock keeps the target alive for the call.
class ForwardingLines final : public SerialKeyingLines {
public:
    bool Escape(LineFunction function) override
    {
        std::lock_guard lock(mutex_);
        return target_ && target_->Escape(function);
    }
    void Invalidate() override
    {
        std::lock_guard lock(mutex_);
        if (target_)
            target_->Invalidate();
    }
    void SetTarget(SerialKeyingLines *target)
    {
        std::lock_guard lock(mutex_);
        target_ = target;
    }

private:
    std::mutex mutex_;
    SerialKeyingLines *target_ = nullptr;
};

ForwardingLines &forwardingLines()
{
    static ForwardingLines lines;
    return lines;
}

} // namespace

SerialKeyingLines &ClockSerialLines()
{
    return forwardingLines();
}

void Activate(SerialKeying *keying)
{
    forwardingLines().SetTarget(keying ? &keying->Lines() : nullptr);
    ActiveSerialKeying = keying;
}

// ---- ComPortKeyingLines ------------------------------------------------------------------

bool ComPortKeyingLines::Escape(LineFunction function)
{
    std::lock_guard lock(mutex_);
    // A port closed behind our back is not switched either.
    if (handle_ < 0 || port_.Handle() != handle_)
        return false;
    switch (function) {
    case SETDTR:
        return port_.SetLines(serialdev::LineDTR, 0) == 0;
    case CLRDTR:
        return port_.SetLines(0, serialdev::LineDTR) == 0;
    case SETRTS:
        return port_.SetLines(serialdev::LineRTS, 0) == 0;
    case CLRRTS:
        return port_.SetLines(0, serialdev::LineRTS) == 0;
    }
    return false;
}

void ComPortKeyingLines::Invalidate()
{
    std::lock_guard lock(mutex_);
    handle_ = -1;
    leaveSafety();
}

void ComPortKeyingLines::Attach()
{
    std::lock_guard lock(mutex_);
    handle_ = port_.Connected() ? port_.Handle() : -1;
    leaveSafety();
    if (handle_ >= 0)
        safetyEntry_ = keyingsafety::RegisterSerialPort(handle_);
}

void ComPortKeyingLines::leaveSafety()
{
    keyingsafety::Unregister(safetyEntry_);
    safetyEntry_ = -1;
}

int ComPortKeyingLines::Handle() const
{
    std::lock_guard lock(mutex_);
    return handle_;
}

// ---- SerialKeying -------------------------------------------------------------------------

SerialKeying::SerialKeying(std::unique_ptr<serialdev::SerialDevice> device)
    : ComPortKeyer(nullptr, std::move(device))
{
    // The keying port: 9600 8N1, no flow control, DTR and RTS switched only by the keying
    // code; it listens for the key lines CTS, DSR and DCD.
    ComPortKeyer.SetBaudRate(br9600);
    ComPortKeyer.SetDataBits(dbEight);
    ComPortKeyer.SetStopBits(sbOneStopBit);
    ComPortKeyer.Parity().SetBits(prNone);
    ComPortKeyer.FlowControl().SetFlowControl(fcNone);
    ComPortKeyer.FlowControl().SetControlDTR(dtrDisable);
    ComPortKeyer.FlowControl().SetControlRTS(rtsDisable);
    ComPortKeyer.SetEvents(ComEvents({evCTS, evDSR, evRLSD}));
}

SerialKeying::~SerialKeying()
{
    if (ActiveSerialKeying == this)
        Activate(nullptr);
    AttachClock(nullptr);
    lines_.Invalidate();
    try {
        ComPortKeyer.Close();
    } catch (...) {
    }
}

void SerialKeying::AttachClock(ElementClock *clock)
{
    // A clock left behind keys no serial line any more.
    if (clock_ && clock_ != clock) {
        KeyingConfig config = clock_->Config();
        config.SerialPortInUse = false;
        config.CWLines = 0;
        config.HeldForBeacon = false;
        clock_->SetConfig(config);
    }
    clock_ = clock;
    const std::uint8_t down = cwLineDown_->load();
    cwLineDown_ = clock ? &clock->CWLineDown : &ownCWLineDown_;
    cwLineDown_->store(down);
    PublishToClock();
}

void SerialKeying::PublishToClock()
{
    if (!clock_)
        return;
    KeyingConfig config = clock_->Config();
    config.SerialPortInUse = PortInUse();
    config.CWLines = CWLines & 3;
    config.PowerLines = PowerLines & 3;
    config.KeyerPowerOn = KeyerPowerOn == 1;
    config.CWDTREnabled = cwBoxEnabled(LineDTR);
    config.CWRTSEnabled = cwBoxEnabled(LineRTS);
    config.HeldForBeacon = heldForBeacon();
    clock_->SetConfig(config);
}

void SerialKeying::lampsOff()
{
    if (lamps_) {
        lamps_->SetPTTLamp(false);
        lamps_->SetCWLamp(false);
    }
}

void SerialKeying::dropLines(std::uint8_t lines)
{
    if (lines & LineDTR)
        escape(CLRDTR);
    if (lines & LineRTS)
        escape(CLRRTS);
    lampsOff();
    PTTOn = 0;
    SetCWLineDown(0);
}

bool SerialKeying::RaisePTT()
{
    // The clock learns the same answer before any character of this transmission starts.
    PublishToClock();
    if (heldForBeacon())
        return false;
    if (!PortInUse() || PTTLines == 0 || PTTOn != 0)
        return false;
    static constexpr struct {
        std::uint8_t bit;
        LineFunction raise;
    } lines[] = {{LineDTR, SETDTR}, {LineRTS, SETRTS}};
    for (const auto &line : lines) {
        if ((PTTLines & line.bit) == 0 || !ptTBoxEnabled(line.bit) || PoweredLine(line.bit))
            continue;
        escape(line.raise);
        PTTOn = 1;
    }
    if (PTTOn != 1)
        return false;
    if (lamps_)
        lamps_->SetPTTLamp(true);
    return true;
}

void SerialKeying::ReleaseKeyingLines()
{
    PublishToClock(); // a beacon that has stopped sending holds the straight key again
    if (!PortInUse())
        return;
    std::uint8_t lines = 0;
    for (std::uint8_t line : {LineDTR, LineRTS})
        if (!PoweredLine(line))
            lines |= line;
    dropLines(lines);
}

bool SerialKeying::OpenKeyingComPort()
{
    if (!PortInUse())
        return true;
    if (ComPortKeyer.Connected() && ComPortKeyer.Port() == ComPortName) {
        lines_.Attach();
        PublishToClock();
        return true;
    }
    lines_.Invalidate();
    try {
        if (ComPortKeyer.Connected())
            ComPortKeyer.Close();
    } catch (const EComPort &) {
        // The old port is closed whatever failed on the way.
    }
    LastOpenError = 0;
    try {
        ComPortKeyer.SetPort(ComPortName);
        ComPortKeyer.Open();
        lines_.Attach();
    } catch (const EComPort &e) {
        LastOpenError = e.WinCode > 0 ? e.WinCode : EIO;
        lines_.Invalidate();
    }
    if (lines_.Handle() < 0) {
        ComPortName = NoComPortName;
        PublishToClock();
        return false;
    }
    PublishToClock();
    return true;
}

void SerialKeying::CloseKeyingComPort()
{
    if (PortInUse()) {
        escape(CLRDTR);
        escape(CLRRTS);
    }
    // The handle copy goes first: a late key-up of the clock must find no port, never the
    // descriptor number the system hands out next.
    lines_.Invalidate();
    try {
        if (ComPortKeyer.Connected())
            ComPortKeyer.Close();
    } catch (const EComPort &) {
    }
    PTTOn = 0;
    SetCWLineDown(0);
    KeyerPowerOn = 0;
    lampsOff();
    PublishToClock();
}

void SerialKeying::ReleaseForQuit()
{
    if (PortInUse())
        CloseKeyingComPort();
    ComPortName = NoComPortName;
    PTTOn = 0;
    SetCWLineDown(0);
    KeyerPowerOn = 0;
    lampsOff();
    PublishToClock();
}

void SerialKeying::RoleChangeDropLines()
{
    if (!PortInUse())
        return;
    std::uint8_t lines = 0;
    for (std::uint8_t line : {LineDTR, LineRTS})
        if ((PTTLines | CWLines) & line && !PoweredLine(line))
            lines |= line;
    dropLines(lines);
}

bool SerialKeying::SetRoleLine(bool cwRole, std::uint8_t line, bool checked)
{
    std::uint8_t &mine = cwRole ? CWLines : PTTLines;
    std::uint8_t &other = cwRole ? PTTLines : CWLines;
    bool takeFromOther = false;
    if (checked) {
        takeFromOther = (other & line) != 0;
        mine |= line;
        other &= static_cast<std::uint8_t>(~line);
    } else {
        mine &= static_cast<std::uint8_t>(~line);
    }
    PublishToClock();
    return takeFromOther;
}

bool SerialKeying::RaiseKeyerSupply()
{
    if (!PortInUse() || lines_.Handle() < 0 || (PowerLines & 3) == 0) {
        KeyerPowerOn = 0;
        PublishToClock();
        return false;
    }
    // The clock learns of the supply first: a step of a character already sounding must not
    // lower a supply line just raised.
    KeyerPowerOn = 1;
    PublishToClock();
    if ((PowerLines & LineDTR) != 0)
        escape(SETDTR);
    if ((PowerLines & LineRTS) != 0)
        escape(SETRTS);
    return true;
}

void SerialKeying::DropKeyerSupply()
{
    KeyerPowerOn = 0;
    if (PortInUse())
        dropLines(LineDTR | LineRTS);
    PublishToClock();
}
