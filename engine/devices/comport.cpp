#include "engine/devices/comport.h"

#include "engine/cp1252.h"
#include "engine/devices/comthread.h"
#include "platform/serialdevice_linux.h"

#include <QSettings>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <filesystem>
#include <libintl.h>
#include <unistd.h>

namespace {

constexpr const char *kDomain = "cport";

const char *const kMessages[23] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};
constexpr const char *kWinErrorSuffix = " (win error code: %d)";

std::string lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The index of a text among the forms, compared without regard to case; -1 when none matches.
template <size_t N> int findForm(const char *const (&forms)[N], const std::string &text)
{
    const std::string wanted = lower(text);
    for (size_t i = 0; i < N; ++i)
        if (lower(forms[i]) == wanted)
            return static_cast<int>(i);
    return -1;
}

// The value whose text form matches, or the fallback when none does.
template <typename T, size_t N>
T fromForm(const char *const (&forms)[N], const std::string &text, T fallback)
{
    const int i = findForm(forms, text);
    return i < 0 ? fallback : static_cast<T>(i);
}

const char *const kBaudForms[] = {"Custom", "110",   "300",    "600",    "1200",  "2400",
                                  "4800",   "9600",  "14400",  "19200",  "38400", "56000",
                                  "57600",  "115200", "128000", "256000"};
constexpr int kBaudValues[] = {0,     110,   300,   600,   1200,   2400,   4800,   9600,
                               14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
const char *const kStopForms[] = {"1", "1.5", "2"};
const char *const kDataForms[] = {"5", "6", "7", "8"};
const char *const kParityForms[] = {"None", "Odd", "Even", "Mark", "Space"};
const char *const kFlowForms[] = {"Hardware", "Software", "None", "Custom"};
const char *const kDTRForms[] = {"Disable", "Enable", "Handshake"};
const char *const kRTSForms[] = {"Disable", "Enable", "Handshake", "Toggle"};

bool has(TComEvents events, TComEvent e)
{
    return (events >> e) & 1u;
}

bool noLines(int error)
{
    return error == ENOTTY || error == EINVAL;
}

} // namespace

// ---- errors -------------------------------------------------------------------------------

std::string ComErrorMessage(int code)
{
    if (code < 1 || code > 23)
        return {};
    return dgettext(kDomain, kMessages[code - 1]);
}

EComPort EComPortCreate(int code)
{
    return EComPort(code, -1, ComErrorMessage(code));
}

EComPort EComPortCreateWin(int code, int winError)
{
    // The catalog's text is filled by substitution, never used as a format.
    std::string suffix = dgettext(kDomain, kWinErrorSuffix);
    size_t at = suffix.find("%d");
    if (at == std::string::npos) {
        suffix = kWinErrorSuffix;
        at = suffix.find("%d");
    }
    suffix.replace(at, 2, std::to_string(winError));
    return EComPort(code, winError, ComErrorMessage(code) + suffix);
}

std::string ComPortLocaleDir()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "locale";
    const fs::path dir = exe.parent_path();
    if (fs::is_directory(dir / "locale", ec))
        return (dir / "locale").string();
    return (dir.parent_path() / "locale").string();
}

void ComPortInitCatalog()
{
    bindtextdomain(kDomain, ComPortLocaleDir().c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
}

// ---- option objects -----------------------------------------------------------------------

// Makes a change and applies it to the open port. A change the port refuses is undone, and
// the settings it had are applied again, before the error goes on to the caller.
template <typename Options, typename Change> void changeAndApply(Options &options, Change change)
{
    Options before;
    options.AssignTo(before);
    change();
    try {
        options.changed();
    } catch (...) {
        before.AssignTo(options);
        try {
            options.changed();
        } catch (...) {
            // The port keeps what it could take; the first error is the one to report.
        }
        throw;
    }
}

void TComTimeouts::changed()
{
    if (ComPort)
        ComPort->ApplyComTimeouts();
}
void TComTimeouts::AssignTo(TComTimeouts &dest) const
{
    dest.FReadInterval = FReadInterval;
    dest.FReadTotalM = FReadTotalM;
    dest.FReadTotalC = FReadTotalC;
    dest.FWriteTotalM = FWriteTotalM;
    dest.FWriteTotalC = FWriteTotalC;
}
void TComTimeouts::SetReadInterval(int v) { changeAndApply(*this, [&] { FReadInterval = v; }); }
void TComTimeouts::SetReadTotalMultiplier(int v) { changeAndApply(*this, [&] { FReadTotalM = v; }); }
void TComTimeouts::SetReadTotalConstant(int v) { changeAndApply(*this, [&] { FReadTotalC = v; }); }
void TComTimeouts::SetWriteTotalMultiplier(int v) { changeAndApply(*this, [&] { FWriteTotalM = v; }); }
void TComTimeouts::SetWriteTotalConstant(int v) { changeAndApply(*this, [&] { FWriteTotalC = v; }); }

void TComFlowControl::changed()
{
    if (ComPort)
        ComPort->ApplyComDCB();
}
void TComFlowControl::AssignTo(TComFlowControl &dest) const
{
    dest.FOutCTSFlow = FOutCTSFlow;
    dest.FOutDSRFlow = FOutDSRFlow;
    dest.FControlDTR = FControlDTR;
    dest.FControlRTS = FControlRTS;
    dest.FXonXoffOut = FXonXoffOut;
    dest.FXonXoffIn = FXonXoffIn;
    dest.FDSRSensitivity = FDSRSensitivity;
    dest.FTxContinueOnXoff = FTxContinueOnXoff;
    dest.FXonChar = FXonChar;
    dest.FXoffChar = FXoffChar;
}
TFlowControl TComFlowControl::FlowControl() const
{
    const bool xon = FXonXoffIn, xoff = FXonXoffOut;
    if (FControlRTS == rtsHandshake && FOutCTSFlow && !xon && !xoff)
        return fcHardware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && xon && xoff)
        return fcSoftware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && !xon && !xoff)
        return fcNone;
    return fcCustom;
}
void TComFlowControl::SetFlowControl(TFlowControl value)
{
    changeAndApply(*this, [&] {
        if (value == fcCustom)
            return;
        FControlRTS = rtsDisable;
        FOutCTSFlow = false;
        FXonXoffIn = false;
        FXonXoffOut = false;
        if (value == fcHardware) {
            FControlRTS = rtsHandshake;
            FOutCTSFlow = true;
        } else if (value == fcSoftware) {
            FXonXoffIn = true;
            FXonXoffOut = true;
        }
    });
}
void TComFlowControl::SetOutCTSFlow(bool v) { changeAndApply(*this, [&] { FOutCTSFlow = v; }); }
void TComFlowControl::SetOutDSRFlow(bool v) { changeAndApply(*this, [&] { FOutDSRFlow = v; }); }
void TComFlowControl::SetControlDTR(TDTRFlowControl v) { changeAndApply(*this, [&] { FControlDTR = v; }); }
void TComFlowControl::SetControlRTS(TRTSFlowControl v) { changeAndApply(*this, [&] { FControlRTS = v; }); }
void TComFlowControl::SetXonXoffOut(bool v) { changeAndApply(*this, [&] { FXonXoffOut = v; }); }
void TComFlowControl::SetXonXoffIn(bool v) { changeAndApply(*this, [&] { FXonXoffIn = v; }); }
void TComFlowControl::SetDSRSensitivity(bool v) { changeAndApply(*this, [&] { FDSRSensitivity = v; }); }
void TComFlowControl::SetTxContinueOnXoff(bool v) { changeAndApply(*this, [&] { FTxContinueOnXoff = v; }); }
void TComFlowControl::SetXonChar(unsigned char v) { changeAndApply(*this, [&] { FXonChar = v; }); }
void TComFlowControl::SetXoffChar(unsigned char v) { changeAndApply(*this, [&] { FXoffChar = v; }); }

void TComParity::changed()
{
    if (ComPort)
        ComPort->ApplyComDCB();
}
void TComParity::AssignTo(TComParity &dest) const
{
    dest.FBits = FBits;
    dest.FCheck = FCheck;
    dest.FReplace = FReplace;
    dest.FReplaceChar = FReplaceChar;
}
void TComParity::SetBits(TParityBits v) { changeAndApply(*this, [&] { FBits = v; }); }
void TComParity::SetCheck(bool v) { changeAndApply(*this, [&] { FCheck = v; }); }
void TComParity::SetReplace(bool v) { changeAndApply(*this, [&] { FReplace = v; }); }
void TComParity::SetReplaceChar(unsigned char v) { changeAndApply(*this, [&] { FReplaceChar = v; }); }

void TComBuffer::changed()
{
    if (ComPort)
        ComPort->ApplyComBuffer();
}
void TComBuffer::AssignTo(TComBuffer &dest) const
{
    dest.FInputSize = FInputSize;
    dest.FOutputSize = FOutputSize;
}
void TComBuffer::SetInputSize(int v)
{
    changeAndApply(*this, [&] { FInputSize = v > 0 && v % 2 == 1 ? v - 1 : v; });
}
void TComBuffer::SetOutputSize(int v)
{
    changeAndApply(*this, [&] { FOutputSize = v > 0 && v % 2 == 1 ? v - 1 : v; });
}

// ---- async records ------------------------------------------------------------------------

void InitComAsync(PAsync &async)
{
    async = new TComAsync;
}

void DoneComAsync(PAsync &async)
{
    delete async;
    async = nullptr;
}

// ---- text forms ---------------------------------------------------------------------------

std::string BaudRateToStr(TBaudRate v) { return kBaudForms[v]; }
std::string StopBitsToStr(TStopBits v) { return kStopForms[v]; }
std::string DataBitsToStr(TDataBits v) { return kDataForms[v]; }
std::string ParityToStr(TParityBits v) { return kParityForms[v]; }
std::string FlowControlToStr(TFlowControl v) { return kFlowForms[v]; }
std::string DTRToStr(TDTRFlowControl v) { return kDTRForms[v]; }
std::string RTSToStr(TRTSFlowControl v) { return kRTSForms[v]; }
std::string BoolToStr(bool v) { return v ? "Yes" : "No"; }

std::string ComCharToStr(unsigned char v)
{
    if (v >= 33 && v <= 127)
        return std::string(1, static_cast<char>(v));
    return "#" + std::to_string(v);
}

TBaudRate StrToBaudRate(const std::string &t) { return fromForm(kBaudForms, t, br9600); }
TStopBits StrToStopBits(const std::string &t) { return fromForm(kStopForms, t, sbOneStopBit); }
TDataBits StrToDataBits(const std::string &t) { return fromForm(kDataForms, t, dbEight); }
TParityBits StrToParity(const std::string &t) { return fromForm(kParityForms, t, prNone); }
TFlowControl StrToFlowControl(const std::string &t) { return fromForm(kFlowForms, t, fcCustom); }
TDTRFlowControl StrToDTR(const std::string &t) { return fromForm(kDTRForms, t, dtrDisable); }
TRTSFlowControl StrToRTS(const std::string &t) { return fromForm(kRTSForms, t, rtsDisable); }
bool StrToBool(const std::string &t)
{
    return lower(t) == "yes";
}

unsigned char StrToComChar(const std::string &t)
{
    if (t.empty())
        return 0;
    // "#" and a code; only codes a character can have (0..255) count as one.
    if (t[0] == '#' && t.size() >= 2 && t.size() <= 4
        && std::all_of(t.begin() + 1, t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const int code = std::stoi(t.substr(1));
        if (code <= 255)
            return static_cast<unsigned char>(code);
    }
    return static_cast<unsigned char>(t[0]);
}

int BaudRateValue(TBaudRate v)
{
    return kBaudValues[v];
}

// ---- the component ------------------------------------------------------------------------

TCustomComPort::TCustomComPort(QObject *owner, std::unique_ptr<serialdev::SerialDevice> device)
    : QObject(owner),
      FDevice(device ? std::move(device) : std::make_unique<serialdev::LinuxSerialDevice>())
{
}

TCustomComPort::~TCustomComPort()
{
    JoinRetiredThreads();
    try {
        Close();
    } catch (...) {
        // Closed all the same; a destructor has no one to tell.
    }
}

void TCustomComPort::SetConnected(bool value)
{
    if (value)
        Open();
    else
        Close();
}

void TCustomComPort::SetBaudRate(TBaudRate v)
{
    if (v == FBaudRate)
        return;
    assignApplied(FBaudRate, v, &TCustomComPort::ApplyComDCB);
}

void TCustomComPort::SetCustomBaudRate(int v)
{
    if (v == FCustomBaudRate)
        return;
    assignApplied(FCustomBaudRate, v, &TCustomComPort::ApplyComDCB);
}

void TCustomComPort::SetPort(const std::string &v)
{
    if (v == FPort)
        return;
    const std::string before = FPort;
    FPort = v;
    if (Connected()) {
        try {
            Close();
        } catch (const EComPort &) {
            // The old port is closed whatever failed; what matters now is the new one.
        }
        try {
            Open();
        } catch (const EComPort &) {
            // A name that cannot be opened is not kept: the port goes back to the old one.
            FPort = before;
            try {
                Open();
            } catch (const EComPort &) {
            }
            throw;
        }
    }
}

template <typename T> void TCustomComPort::assignApplied(T &field, T value, void (TCustomComPort::*apply)())
{
    const T before = field;
    field = value;
    try {
        (this->*apply)();
    } catch (...) {
        field = before;
        try {
            (this->*apply)();
        } catch (...) {
        }
        throw;
    }
}

void TCustomComPort::SetParity(const TComParity &v)
{
    changeAndApply(FParity, [&] { v.AssignTo(FParity); });
}

void TCustomComPort::SetStopBits(TStopBits v)
{
    if (v == FStopBits)
        return;
    assignApplied(FStopBits, v, &TCustomComPort::ApplyComDCB);
}

void TCustomComPort::SetDataBits(TDataBits v)
{
    if (v == FDataBits)
        return;
    assignApplied(FDataBits, v, &TCustomComPort::ApplyComDCB);
}

void TCustomComPort::SetDiscardNull(bool v)
{
    if (v == FDiscardNull)
        return;
    assignApplied(FDiscardNull, v, &TCustomComPort::ApplyComDCB);
}

void TCustomComPort::SetEventChar(unsigned char v)
{
    if (v == FEventChar)
        return;
    assignApplied(FEventChar, v, &TCustomComPort::ApplyComDCB);
}

void TCustomComPort::SetBuffer(const TComBuffer &v)
{
    changeAndApply(FBuffer, [&] { v.AssignTo(FBuffer); });
}

void TCustomComPort::SetFlowControl(const TComFlowControl &v)
{
    changeAndApply(FFlowControl, [&] { v.AssignTo(FFlowControl); });
}

void TCustomComPort::SetTimeouts(const TComTimeouts &v)
{
    changeAndApply(FTimeouts, [&] { v.AssignTo(FTimeouts); });
}

void TCustomComPort::SetEvents(TComEvents value)
{
    if (value & UnsupportedComEvents)
        throw std::invalid_argument(
            "the serial port cannot report evRxFlag or evRx80Full on this system");
    FEvents = static_cast<TComEvents>(value & AllComEvents);
}

void TCustomComPort::SetSyncMethod(TSyncMethod v)
{
    if (v == FSyncMethod.load())
        return;
    if (Connected())
        throw EComPortCreate(CError_ConnChangeProp);
    FSyncMethod = v;
}

// ---- open and close -----------------------------------------------------------------------

void TCustomComPort::Open()
{
    if (Connected())
        return;
    JoinRetiredThreads();
    DoBeforeOpen();
    CreateComHandle();
    FConnected = true;
    FAppliedDTR = FAppliedRTS = -1;
    try {
        SetupComPort();
    } catch (...) {
        DestroyComHandle();
        FConnected = false;
        throw;
    }
    if (FDevice->counters(FErrorCounters) != 0)
        FErrorCounters = {};
    if (Events() != 0)
        FEventThread = std::make_unique<TComThread>(this);
    CallAfterOpen();
}

void TCustomComPort::Close()
{
    // From here on no batch is delivered: a key held down is never reported after the port
    // has reported it released. The claim is made under the dispatch lock, so a close from
    // the user-interface thread waits for one that a handler on the event thread is making,
    // and then finds the port closed.
    {
        std::lock_guard<std::recursive_mutex> guard(FDispatchLock);
        if (!Connected() || FClosing)
            return;
        FClosing = true;
        ++FGeneration;
    }
    std::exception_ptr first;
    auto step = [&first](auto &&action) {
        try {
            action();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    };
    // Every step runs whatever failed before it (an unplugged adapter fails most of them).
    step([this] { CallBeforeClose(); });
    step([this] { PurgeComBuffers(); });
    StopEventThread();
    step([this] { DestroyComHandle(); });
    FConnected = false;
    FClosing = false;
    step([this] { CallAfterClose(); });
    if (first)
        std::rethrow_exception(first);
}

void TCustomComPort::StopEventThread()
{
    if (!FEventThread)
        return;
    if (FEventThread->IsCurrentThread()) {
        // Closed by a handler running on the event thread itself: it cannot wait for itself.
        // The thread ends once the handler returns, touching the device no more, and is
        // joined later from another thread.
        FEventThread->FDetached = true;
        FEventThread->Stop();
        FRetiredThreads.push_back(std::move(FEventThread));
        return;
    }
    FEventThread.reset();
}

void TCustomComPort::JoinRetiredThreads()
{
    for (auto it = FRetiredThreads.begin(); it != FRetiredThreads.end();) {
        if ((*it)->IsCurrentThread())
            ++it;
        else
            it = FRetiredThreads.erase(it);
    }
}

void TCustomComPort::CreateComHandle()
{
    std::lock_guard<std::mutex> guard(FLinesLock);
    if (const int e = FDevice->open(FPort))
        throw EComPortCreateWin(CError_OpenFailed, e);
}

void TCustomComPort::DestroyComHandle()
{
    std::lock_guard<std::mutex> guard(FLinesLock);
    if (FDevice->isOpen())
        FDevice->close();
}

void TCustomComPort::SetupComPort()
{
    ApplyComBuffer();
    ApplyComDCB();
    ApplyComTimeouts();
}

void TCustomComPort::ApplyComDCB()
{
    if (!Connected())
        return;
    const TComFlowControl &fc = FFlowControl;
    // What the tty layer cannot do is refused rather than pretended: DSR flow and sensitivity,
    // DTR handshake, RTS toggle, RTS handshake without CTS flow or the other way round, and
    // replacing bad bytes by anything but NUL (which is what the tty reads for them).
    const bool impossible = fc.OutDSRFlow() || fc.DSRSensitivity()
        || fc.ControlDTR() == dtrHandshake || fc.ControlRTS() == rtsToggle
        || ((fc.ControlRTS() == rtsHandshake) != fc.OutCTSFlow())
        || (FParity.Check() && FParity.Replace() && FParity.ReplaceChar() != 0);
    if (impossible)
        throw EComPortCreateWin(CError_SetStateFailed, EINVAL);

    serialdev::Settings s;
    s.baudRate = FBaudRate == brCustom ? FCustomBaudRate : BaudRateValue(FBaudRate);
    s.dataBits = 5 + static_cast<int>(FDataBits);
    static constexpr serialdev::Parity parities[] = {
        serialdev::Parity::None, serialdev::Parity::Odd, serialdev::Parity::Even,
        serialdev::Parity::Mark, serialdev::Parity::Space};
    s.parity = parities[FParity.Bits()];
    static constexpr serialdev::StopBits stops[] = {
        serialdev::StopBits::One, serialdev::StopBits::OneAndHalf, serialdev::StopBits::Two};
    s.stopBits = stops[FStopBits];
    s.parityCheck = FParity.Check();
    s.rtsCtsFlow = fc.ControlRTS() == rtsHandshake && fc.OutCTSFlow();
    s.xonXoffOut = fc.XonXoffOut();
    s.xonXoffIn = fc.XonXoffIn();
    s.xonChar = fc.XonChar();
    s.xoffChar = fc.XoffChar();
    if (const int e = FDevice->applySettings(s))
        throw EComPortCreateWin(CError_SetStateFailed, e);

    // Line levels follow the controls only at open or when a control changes; re-applying
    // other settings must not drop a PTT or keyer supply raised meanwhile.
    std::lock_guard<std::mutex> guard(FLinesLock);
    auto level = [this](int &applied, int control, int enable, int disable, unsigned line) {
        if (control == applied)
            return;
        int e = 0;
        if (control == enable)
            e = FDevice->setLines(line, 0);
        else if (control == disable) {
            e = FDevice->setLines(0, line);
            if (noLines(e)) // a device without modem lines has them low anyway
                e = 0;
        }
        if (e)
            throw EComPortCreateWin(CError_SetStateFailed, e);
        applied = control;
    };
    level(FAppliedDTR, fc.ControlDTR(), dtrEnable, dtrDisable, serialdev::LineDTR);
    level(FAppliedRTS, fc.ControlRTS(), rtsEnable, rtsDisable, serialdev::LineRTS);
}

// The timeouts are kept here and used by our own transfers; there is nothing to hand on.
void TCustomComPort::ApplyComTimeouts() {}

// The tty layer's queues have fixed sizes; the sizes are kept for the XON limits' sake only.
void TCustomComPort::ApplyComBuffer() {}

int TCustomComPort::SetLines(unsigned set, unsigned clear)
{
    std::lock_guard<std::mutex> guard(FLinesLock);
    if (!FDevice->isOpen())
        return EBADF;
    return FDevice->setLines(set, clear);
}

int TCustomComPort::Handle() const
{
    std::lock_guard<std::mutex> guard(FLinesLock);
    return FDevice->handle();
}

// ---- port operations ----------------------------------------------------------------------

void TCustomComPort::PurgeComBuffers()
{
    if (const int e = FDevice->flush(true, true))
        throw EComPortCreateWin(CError_PurgeFailed, e);
}

int TCustomComPort::GetComInputCount()
{
    int count = 0;
    if (const int e = FDevice->inputCount(count))
        throw EComPortCreateWin(CError_ClearComFailed, e);
    return count;
}

TComErrors TCustomComPort::GetComLastErrors()
{
    serialdev::Counters now;
    if (const int e = FDevice->counters(now))
        throw EComPortCreateWin(CError_ClearComFailed, e);
    const serialdev::Counters was = FErrorCounters;
    FErrorCounters = now;
    TComErrors errors = 0;
    if (now.frame != was.frame)
        errors |= 1u << ceFrame;
    if (now.parity != was.parity && FParity.Check())
        errors |= 1u << ceRxParity;
    if (now.overrun != was.overrun)
        errors |= 1u << ceOverrun;
    if (now.bufOverrun != was.bufOverrun)
        errors |= 1u << ceRxOver;
    if (now.brk != was.brk)
        errors |= 1u << ceBreak;
    return errors;
}

TComSignals TCustomComPort::GetComSignals()
{
    unsigned lines = 0;
    if (const int e = FDevice->modemLines(lines))
        throw EComPortCreateWin(CError_ModemStatFailed, e);
    TComSignals status = 0;
    if (lines & serialdev::LineCTS)
        status |= csCTS;
    if (lines & serialdev::LineDSR)
        status |= csDSR;
    if (lines & serialdev::LineRI)
        status |= csRing;
    if (lines & serialdev::LineCD)
        status |= csRLSD;
    return status;
}

// Moves what can go now; NUL bytes are dropped from what is read when DiscardNull is set.
int TCustomComPort::transfer(bool write, char *buffer, int count, int already)
{
    int done = 0;
    const int e = write ? FDevice->write(buffer + already, count - already, done)
                        : FDevice->read(buffer + already, count - already, done);
    if (e)
        throw EComPortCreateWin(write ? CError_WriteFailed : CError_ReadFailed, e);
    if (!write && FDiscardNull) {
        char *begin = buffer + already;
        done = static_cast<int>(std::remove(begin, begin + done, '\0') - begin);
    }
    return done;
}

int TCustomComPort::ReadComAsync(void *buffer, int count, PAsync async)
{
    if (!async)
        throw EComPortCreate(CError_InvalidAsync);
    async->Kind = TComAsync::okRead;
    async->Buffer = static_cast<char *>(buffer);
    async->Data.clear();
    async->Count = std::max(count, 0);
    async->Done = transfer(false, async->Buffer, async->Count, 0);
    return async->Done;
}

int TCustomComPort::WriteComAsync(const void *buffer, int count, PAsync async)
{
    if (!async)
        throw EComPortCreate(CError_InvalidAsync);
    async->Kind = TComAsync::okWrite;
    const char *bytes = static_cast<const char *>(buffer);
    async->Data.assign(bytes, bytes + std::max(count, 0));
    async->Buffer = nullptr;
    async->Count = std::max(count, 0);
    async->Done = transfer(true, async->Data.data(), async->Count, 0);
    return async->Done;
}

int TCustomComPort::WaitComAsync(PAsync async)
{
    if (!async)
        throw EComPortCreate(CError_InvalidAsync);
    const bool write = async->Kind == TComAsync::okWrite;
    const int code = write ? CError_WriteFailed : CError_ReadFailed;
    char *buffer = write ? async->Data.data() : async->Buffer;
    const TComTimeouts &t = FTimeouts;
    // A read interval of -1 with no totals: return at once with what is there.
    const bool immediate = !write && t.ReadInterval() < 0 && t.ReadTotalMultiplier() == 0
        && t.ReadTotalConstant() == 0;
    const long long total = write
        ? static_cast<long long>(t.WriteTotalMultiplier()) * async->Count + t.WriteTotalConstant()
        : static_cast<long long>(t.ReadTotalMultiplier()) * async->Count + t.ReadTotalConstant();
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(std::max(total, 0LL));
    while (!immediate && async->Done < async->Count) {
        long long wait = -1;
        if (total > 0) {
            wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now())
                       .count();
            if (wait <= 0)
                break;
        }
        if (!write && t.ReadInterval() > 0 && async->Done > 0)
            wait = wait < 0 ? t.ReadInterval() : std::min<long long>(wait, t.ReadInterval());
        const int e = FDevice->waitReady(write, static_cast<int>(wait));
        if (e == ETIMEDOUT)
            break;
        if (e)
            throw EComPortCreateWin(code, e);
        async->Done += transfer(write, buffer, async->Count, async->Done);
    }
    if (write) {
        const int done = async->Done;
        forEachLink([&](TComLink &l) {
            if (l.OnTxBuf)
                l.OnTxBuf(async->Data.data(), done);
        });
    } else {
        int waiting = 0;
        if (FDevice->inputCount(waiting) == 0 && waiting == 0)
            forEachLink([](TComLink &l) {
                if (l.OnRxBufActive)
                    l.OnRxBufActive(false);
            });
    }
    return async->Done;
}

int TCustomComPort::ReadCom(void *buffer, int count)
{
    PAsync async = nullptr;
    InitComAsync(async);
    try {
        ReadComAsync(buffer, count, async);
        const int done = WaitComAsync(async);
        DoneComAsync(async);
        return done;
    } catch (...) {
        DoneComAsync(async);
        throw;
    }
}

int TCustomComPort::WriteCom(const void *buffer, int count)
{
    PAsync async = nullptr;
    InitComAsync(async);
    try {
        WriteComAsync(buffer, count, async);
        const int done = WaitComAsync(async);
        DoneComAsync(async);
        return done;
    } catch (...) {
        DoneComAsync(async);
        throw;
    }
}

// ---- settings store and load --------------------------------------------------------------

namespace {

QString q(const std::string &text)
{
    return cp1252::toQString(text);
}

} // namespace

void TCustomComPort::StoreComIniFile(QSettings &ini)
{
    const QString section = objectName().isEmpty() ? QStringLiteral("ComPort") : objectName();
    const auto in = [this](TStoredProp p) { return (FStoredProps >> p) & 1u; };
    ini.beginGroup(section);
    if (in(spBasic)) {
        ini.setValue("Port", q(FPort));
        ini.setValue("BaudRate", q(BaudRateToStr(FBaudRate)));
        if (FBaudRate == brCustom)
            ini.setValue("CustomBaudRate", FCustomBaudRate);
        ini.setValue("StopBits", q(StopBitsToStr(FStopBits)));
        ini.setValue("DataBits", q(DataBitsToStr(FDataBits)));
        ini.setValue("Parity", q(ParityToStr(FParity.Bits())));
        ini.setValue("FlowControl", q(FlowControlToStr(FFlowControl.FlowControl())));
    }
    if (in(spOthers)) {
        ini.setValue("EventChar", q(ComCharToStr(FEventChar)));
        ini.setValue("DiscardNull", q(BoolToStr(FDiscardNull)));
    }
    if (in(spParity)) {
        ini.setValue("Parity.Check", q(BoolToStr(FParity.Check())));
        ini.setValue("Parity.Replace", q(BoolToStr(FParity.Replace())));
        ini.setValue("Parity.ReplaceChar", q(ComCharToStr(FParity.ReplaceChar())));
    }
    if (in(spBuffer)) {
        ini.setValue("Buffer.OutputSize", FBuffer.OutputSize());
        ini.setValue("Buffer.InputSize", FBuffer.InputSize());
    }
    if (in(spTimeouts)) {
        ini.setValue("Timeouts.ReadInterval", FTimeouts.ReadInterval());
        ini.setValue("Timeouts.ReadTotalConstant", FTimeouts.ReadTotalConstant());
        ini.setValue("Timeouts.ReadTotalMultiplier", FTimeouts.ReadTotalMultiplier());
        ini.setValue("Timeouts.WriteTotalConstant", FTimeouts.WriteTotalConstant());
        ini.setValue("Timeouts.WriteTotalMultiplier", FTimeouts.WriteTotalMultiplier());
    }
    if (in(spFlowControl)) {
        const TComFlowControl &fc = FFlowControl;
        ini.setValue("FlowControl.ControlRTS", q(RTSToStr(fc.ControlRTS())));
        ini.setValue("FlowControl.ControlDTR", q(DTRToStr(fc.ControlDTR())));
        ini.setValue("FlowControl.DSRSensitivity", q(BoolToStr(fc.DSRSensitivity())));
        ini.setValue("FlowControl.OutCTSFlow", q(BoolToStr(fc.OutCTSFlow())));
        ini.setValue("FlowControl.OutDSRFlow", q(BoolToStr(fc.OutDSRFlow())));
        ini.setValue("FlowControl.TxContinueOnXoff", q(BoolToStr(fc.TxContinueOnXoff())));
        ini.setValue("FlowControl.XonXoffIn", q(BoolToStr(fc.XonXoffIn())));
        ini.setValue("FlowControl.XonXoffOut", q(BoolToStr(fc.XonXoffOut())));
        ini.setValue("FlowControl.XoffChar", q(ComCharToStr(fc.XoffChar())));
        ini.setValue("FlowControl.XonChar", q(ComCharToStr(fc.XonChar())));
    }
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError)
        throw EComPortCreate(CError_StoreFailed);
}

void TCustomComPort::LoadComIniFile(QSettings &ini)
{
    if (ini.status() != QSettings::NoError)
        throw EComPortCreate(CError_LoadFailed);
    const QString section = objectName().isEmpty() ? QStringLiteral("ComPort") : objectName();
    const auto in = [this](TStoredProp p) { return (FStoredProps >> p) & 1u; };
    // A missing name keeps the current value.
    auto text = [&ini](const char *name, const std::string &current) {
        const QVariant v = ini.value(name);
        return v.isValid() ? cp1252::fromQString(v.toString()) : current;
    };
    auto number = [&ini](const char *name, int current) {
        bool ok = false;
        const int v = ini.value(name).toString().toInt(&ok);
        return ok ? v : current;
    };
    ini.beginGroup(section);
    try {
        if (in(spBasic)) {
            SetPort(text("Port", FPort));
            SetBaudRate(StrToBaudRate(text("BaudRate", BaudRateToStr(FBaudRate))));
            if (FBaudRate == brCustom)
                SetCustomBaudRate(number("CustomBaudRate", FCustomBaudRate));
            SetStopBits(StrToStopBits(text("StopBits", StopBitsToStr(FStopBits))));
            SetDataBits(StrToDataBits(text("DataBits", DataBitsToStr(FDataBits))));
            FParity.SetBits(StrToParity(text("Parity", ParityToStr(FParity.Bits()))));
            FFlowControl.SetFlowControl(StrToFlowControl(
                text("FlowControl", FlowControlToStr(FFlowControl.FlowControl()))));
        }
        if (in(spOthers)) {
            SetEventChar(StrToComChar(text("EventChar", ComCharToStr(FEventChar))));
            SetDiscardNull(StrToBool(text("DiscardNull", BoolToStr(FDiscardNull))));
        }
        if (in(spParity)) {
            FParity.SetCheck(StrToBool(text("Parity.Check", BoolToStr(FParity.Check()))));
            FParity.SetReplace(StrToBool(text("Parity.Replace", BoolToStr(FParity.Replace()))));
            FParity.SetReplaceChar(StrToComChar(
                text("Parity.ReplaceChar", ComCharToStr(FParity.ReplaceChar()))));
        }
        if (in(spBuffer)) {
            FBuffer.SetOutputSize(number("Buffer.OutputSize", FBuffer.OutputSize()));
            FBuffer.SetInputSize(number("Buffer.InputSize", FBuffer.InputSize()));
        }
        if (in(spTimeouts)) {
            TComTimeouts &t = FTimeouts;
            t.SetReadInterval(number("Timeouts.ReadInterval", t.ReadInterval()));
            t.SetReadTotalConstant(number("Timeouts.ReadTotalConstant", t.ReadTotalConstant()));
            t.SetReadTotalMultiplier(
                number("Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier()));
            t.SetWriteTotalConstant(number("Timeouts.WriteTotalConstant", t.WriteTotalConstant()));
            t.SetWriteTotalMultiplier(
                number("Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier()));
        }
        if (in(spFlowControl)) {
            TComFlowControl &fc = FFlowControl;
            fc.SetControlRTS(StrToRTS(text("FlowControl.ControlRTS", RTSToStr(fc.ControlRTS()))));
            fc.SetControlDTR(StrToDTR(text("FlowControl.ControlDTR", DTRToStr(fc.ControlDTR()))));
            fc.SetDSRSensitivity(StrToBool(
                text("FlowControl.DSRSensitivity", BoolToStr(fc.DSRSensitivity()))));
            fc.SetOutCTSFlow(StrToBool(text("FlowControl.OutCTSFlow", BoolToStr(fc.OutCTSFlow()))));
            fc.SetOutDSRFlow(StrToBool(text("FlowControl.OutDSRFlow", BoolToStr(fc.OutDSRFlow()))));
            fc.SetTxContinueOnXoff(StrToBool(
                text("FlowControl.TxContinueOnXoff", BoolToStr(fc.TxContinueOnXoff()))));
            fc.SetXonXoffIn(StrToBool(text("FlowControl.XonXoffIn", BoolToStr(fc.XonXoffIn()))));
            fc.SetXonXoffOut(StrToBool(text("FlowControl.XonXoffOut", BoolToStr(fc.XonXoffOut()))));
            fc.SetXoffChar(StrToComChar(text("FlowControl.XoffChar", ComCharToStr(fc.XoffChar()))));
            fc.SetXonChar(StrToComChar(text("FlowControl.XonChar", ComCharToStr(fc.XonChar()))));
        }
    } catch (...) {
        ini.endGroup();
        throw;
    }
    ini.endGroup();
}

// ---- linked listeners ---------------------------------------------------------------------

void TCustomComPort::RegisterLink(TComLink *link)
{
    if (!link || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
        throw EComPortCreate(CError_RegFailed);
    FLinks.push_back(link);
}

void TCustomComPort::UnRegisterLink(TComLink *link)
{
    const auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it == FLinks.end())
        throw EComPortCreate(CError_RegFailed);
    FLinks.erase(it);
}

void TCustomComPort::forEachLink(const std::function<void(TComLink &)> &f)
{
    for (TComLink *link : FLinks)
        f(*link);
}

// ---- events -------------------------------------------------------------------------------

bool TCustomComPort::IsCurrent(std::uint64_t generation) const
{
    return FConnected.load() && FGeneration.load() == generation;
}

std::chrono::steady_clock::time_point TCustomComPort::EventTime() const
{
    return FEventTime != std::chrono::steady_clock::time_point{} ? FEventTime
                                                                : std::chrono::steady_clock::now();
}

bool TCustomComPort::DoComEvents(std::uint64_t generation, TComEvents events,
                                 std::chrono::steady_clock::time_point seen)
{
    struct Seen {
        std::chrono::steady_clock::time_point &time;
        std::chrono::steady_clock::time_point before;
        Seen(std::chrono::steady_clock::time_point &t, std::chrono::steady_clock::time_point now)
            : time(t), before(t) { time = now; }
        ~Seen() { time = before; }
    } stamp(FEventTime, seen);
    for (TComEvent e : ComEventOrder) {
        if (!has(events, e))
            continue;
        std::lock_guard<std::recursive_mutex> guard(FDispatchLock);
        if (!IsCurrent(generation))
            return true;
        // A failure drops the rest of this batch only; the thread waits on.
        try {
            switch (e) {
            case evError: CallError(); break;
            case evRxChar: CallRxChar(); break;
            case evTxEmpty: CallTxEmpty(); break;
            case evBreak: CallBreak(); break;
            case evRing: CallRing(); break;
            case evCTS: CallCTSChange(); break;
            case evDSR: CallDSRChange(); break;
            case evRxFlag: CallRxFlag(); break;
            case evRLSD: CallRLSDChange(); break;
            case evRx80Full: CallRx80Full(); break;
            }
        } catch (...) {
            return false;
        }
    }
    return true;
}

void TCustomComPort::CallCTSChange()
{
    const bool on = GetComSignals() & csCTS;
    forEachLink([on](TComLink &l) { if (l.OnCTSChange) l.OnCTSChange(on); });
    DoCTSChange(on);
}

void TCustomComPort::CallDSRChange()
{
    const bool on = GetComSignals() & csDSR;
    forEachLink([on](TComLink &l) { if (l.OnDSRChange) l.OnDSRChange(on); });
    DoDSRChange(on);
}

void TCustomComPort::CallRLSDChange()
{
    const bool on = GetComSignals() & csRLSD;
    forEachLink([on](TComLink &l) { if (l.OnRLSDChange) l.OnRLSDChange(on); });
    DoRLSDChange(on);
}

void TCustomComPort::CallError()
{
    const TComErrors errors = GetComLastErrors();
    if (errors)
        DoError(errors);
}

void TCustomComPort::CallRxChar()
{
    int count = GetComInputCount();
    if (count <= 0)
        return;
    forEachLink([](TComLink &l) { if (l.OnRxBufActive) l.OnRxBufActive(true); });
    DeliverRxBuf(count);
    if (count > 0)
        DoRxChar(count);
}

void TCustomComPort::DeliverRxBuf(int &count)
{
    if (count < 1)
        return;
    const bool linkTakesBytes = std::any_of(FLinks.begin(), FLinks.end(),
                                            [](TComLink *l) { return bool(l->OnRxBuf); });
    if (FTriggersOnRxChar && !linkTakesBytes)
        return;
    std::vector<char> buffer(static_cast<size_t>(count));
    // Only the bytes actually read are handed on.
    const int got = ReadCom(buffer.data(), count);
    DoRxBuf(buffer.data(), got);
    forEachLink([&](TComLink &l) { if (l.OnRxBuf) l.OnRxBuf(buffer.data(), got); });
    count = 0;
}

void TCustomComPort::CallTxEmpty()
{
    forEachLink([](TComLink &l) {
        if (l.OnTxBufActive) l.OnTxBufActive(false);
        if (l.OnTxEmpty) l.OnTxEmpty();
    });
    DoTxEmpty();
}

void TCustomComPort::CallRxFlag()
{
    forEachLink([](TComLink &l) { if (l.OnRxFlag) l.OnRxFlag(); });
    DoRxFlag();
}

void TCustomComPort::CallRing()
{
    forEachLink([](TComLink &l) { if (l.OnRing) l.OnRing(); });
    DoRing();
}

void TCustomComPort::CallBreak() { DoBreak(); }
void TCustomComPort::CallRx80Full() { DoRx80Full(); }

void TCustomComPort::CallAfterOpen()
{
    forEachLink([](TComLink &l) { if (l.OnConn) l.OnConn(true); });
    DoAfterOpen();
    // The current levels, once each. A device without modem lines (a pseudo-terminal) fails
    // the read: the reports are skipped and the port stays open.
    try {
        CallCTSChange();
        CallDSRChange();
        CallRLSDChange();
    } catch (const EComPort &) {
    }
}

void TCustomComPort::CallBeforeClose()
{
    forEachLink([](TComLink &l) {
        if (l.OnCTSChange) l.OnCTSChange(false);
        if (l.OnDSRChange) l.OnDSRChange(false);
        if (l.OnRLSDChange) l.OnRLSDChange(false);
    });
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
    DoBeforeClose();
}

void TCustomComPort::CallAfterClose()
{
    forEachLink([](TComLink &l) { if (l.OnConn) l.OnConn(false); });
    DoAfterClose();
}

void TCustomComPort::DoAfterClose() { if (OnAfterClose) OnAfterClose(this); }
void TCustomComPort::DoAfterOpen() { if (OnAfterOpen) OnAfterOpen(this); }
void TCustomComPort::DoBeforeClose() { if (OnBeforeClose) OnBeforeClose(this); }
void TCustomComPort::DoBeforeOpen() { if (OnBeforeOpen) OnBeforeOpen(this); }
void TCustomComPort::DoRxChar(int Count) { if (OnRxChar) OnRxChar(this, Count); }
void TCustomComPort::DoRxBuf(const void *Buffer, int Count) { if (OnRxBuf) OnRxBuf(this, Buffer, Count); }
void TCustomComPort::DoTxEmpty() { if (OnTxEmpty) OnTxEmpty(this); }
void TCustomComPort::DoBreak() { if (OnBreak) OnBreak(this); }
void TCustomComPort::DoRing() { if (OnRing) OnRing(this); }
void TCustomComPort::DoRxFlag() { if (OnRxFlag) OnRxFlag(this); }
void TCustomComPort::DoCTSChange(bool OnOff) { if (OnCTSChange) OnCTSChange(this, OnOff); }
void TCustomComPort::DoDSRChange(bool OnOff) { if (OnDSRChange) OnDSRChange(this, OnOff); }
void TCustomComPort::DoError(TComErrors Errors) { if (OnError) OnError(this, Errors); }
void TCustomComPort::DoRLSDChange(bool OnOff) { if (OnRLSDChange) OnRLSDChange(this, OnOff); }
void TCustomComPort::DoRx80Full() { if (OnRx80Full) OnRx80Full(this); }
