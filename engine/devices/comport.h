#pragma once

// The serial port component: owns one serial port, applies its line settings from four option
// objects, and while open runs an event thread that reports modem-line changes to the
// user-interface thread. The keying code switches DTR and RTS through it.

#include "platform/serialdevice.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

class QSettings;
class TCustomComPort;
class TComThread;

enum TBaudRate {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400,
    br56000, br57600, br115200, br128000, br256000
};
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };

// Port events; a TComEvents set holds bit (1 << event).
enum TComEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full };
using TComEvents = std::uint16_t;
constexpr TComEvents ComEvents(std::initializer_list<TComEvent> events)
{
    TComEvents set = 0;
    for (TComEvent e : events)
        set = static_cast<TComEvents>(set | (1u << e));
    return set;
}
constexpr TComEvents AllComEvents = 0x3FF;
// The events a port can raise on Linux: every one but evRxFlag and evRx80Full. The tty layer
// tells neither that the event character has come in (only reading the bytes would) nor how
// full its own input queue is, so those two are refused (SetEvents) and never raised.
constexpr TComEvents UnsupportedComEvents = ComEvents({evRxFlag, evRx80Full});
constexpr TComEvents SupportedComEvents = AllComEvents & ~UnsupportedComEvents;

enum TComError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
using TComErrors = unsigned;

// Modem status as GetComSignals gives it.
enum TComSignal : unsigned { csCTS = 1, csDSR = 2, csRing = 4, csRLSD = 8 };
using TComSignals = unsigned;

// Settings groups covered by the store and load operations.
enum TStoredProp { spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers };
using TStoredProps = unsigned;

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TRxCharEvent = std::function<void(QObject *Sender, int Count)>;
using TRxBufEvent = std::function<void(QObject *Sender, const void *Buffer, int Count)>;
using TComSignalEvent = std::function<void(QObject *Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(QObject *Sender, TComErrors Errors)>;

// ---- errors -------------------------------------------------------------------------------

enum : int {
    CError_OpenFailed = 1, CError_WriteFailed, CError_ReadFailed, CError_InvalidAsync,
    CError_PurgeFailed, CError_AsyncCheck, CError_SetStateFailed, CError_TimeoutsFailed,
    CError_SetupComFailed, CError_ClearComFailed, CError_ModemStatFailed, CError_EscapeComFailed,
    CError_TransmitFailed, CError_ConnChangeProp, CError_EnumPortsFailed, CError_StoreFailed,
    CError_LoadFailed, CError_RegFailed, CError_LedStateFailed, CError_ThreadCreated,
    CError_WaitFailed, CError_HasLink, CError_RegError
};

// A failure of the component. The message is UTF-8, translated where the "cport" catalog has
// the text. WinCode carries errno (-1 when there is none).
class EComPort : public std::runtime_error {
public:
    EComPort(int code, int winCode, const std::string &message)
        : std::runtime_error(message), Code(code), WinCode(winCode) {}
    int Code;
    int WinCode;
};

// The code's message (1..23) in the catalog's language, UTF-8.
std::string ComErrorMessage(int code);
EComPort EComPortCreate(int code);
EComPort EComPortCreateWin(int code, int winError);

// Binds the "cport" message catalogs; call once at start, before any window. The catalogs are
// looked up in <folder of the executable>/locale, else <folder of the executable>/../locale
// (the build tree puts them in <build>/locale, beside the program and one level above the
// test programs).
void ComPortInitCatalog();
std::string ComPortLocaleDir();

// ---- option objects -----------------------------------------------------------------------

// Every setter of an option object, like every setter of the port, applies the value to the
// open port at once; a value the port refuses raises EComPort and is not kept (the option and
// the port stay as they were), so no later setter fails because of it.

class TComTimeouts {
public:
    explicit TComTimeouts(TCustomComPort *port = nullptr) : ComPort(port) {}
    TComTimeouts(const TComTimeouts &) = delete;
    TComTimeouts &operator=(const TComTimeouts &) = delete;
    void AssignTo(TComTimeouts &dest) const;

    int ReadInterval() const { return FReadInterval; }
    int ReadTotalMultiplier() const { return FReadTotalM; }
    int ReadTotalConstant() const { return FReadTotalC; }
    int WriteTotalMultiplier() const { return FWriteTotalM; }
    int WriteTotalConstant() const { return FWriteTotalC; }
    void SetReadInterval(int value);
    void SetReadTotalMultiplier(int value);
    void SetReadTotalConstant(int value);
    void SetWriteTotalMultiplier(int value);
    void SetWriteTotalConstant(int value);

    TCustomComPort *const ComPort;

private:
    template <typename Options, typename Change> friend void changeAndApply(Options &, Change);
    void changed();
    int FReadInterval = -1, FReadTotalM = 0, FReadTotalC = 0, FWriteTotalM = 100,
        FWriteTotalC = 1000;
};

class TComFlowControl {
public:
    explicit TComFlowControl(TCustomComPort *port = nullptr) : ComPort(port) {}
    TComFlowControl(const TComFlowControl &) = delete;
    TComFlowControl &operator=(const TComFlowControl &) = delete;
    void AssignTo(TComFlowControl &dest) const;

    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl value);
    bool OutCTSFlow() const { return FOutCTSFlow; }
    bool OutDSRFlow() const { return FOutDSRFlow; }
    TDTRFlowControl ControlDTR() const { return FControlDTR; }
    TRTSFlowControl ControlRTS() const { return FControlRTS; }
    bool XonXoffOut() const { return FXonXoffOut; }
    bool XonXoffIn() const { return FXonXoffIn; }
    bool DSRSensitivity() const { return FDSRSensitivity; }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    unsigned char XonChar() const { return FXonChar; }
    unsigned char XoffChar() const { return FXoffChar; }
    void SetOutCTSFlow(bool value);
    void SetOutDSRFlow(bool value);
    void SetControlDTR(TDTRFlowControl value);
    void SetControlRTS(TRTSFlowControl value);
    void SetXonXoffOut(bool value);
    void SetXonXoffIn(bool value);
    void SetDSRSensitivity(bool value);
    void SetTxContinueOnXoff(bool value);
    void SetXonChar(unsigned char value);
    void SetXoffChar(unsigned char value);

    TCustomComPort *const ComPort;

private:
    template <typename Options, typename Change> friend void changeAndApply(Options &, Change);
    void changed();
    bool FOutCTSFlow = false, FOutDSRFlow = false;
    TDTRFlowControl FControlDTR = dtrDisable;
    TRTSFlowControl FControlRTS = rtsDisable;
    bool FXonXoffOut = false, FXonXoffIn = false, FDSRSensitivity = false,
         FTxContinueOnXoff = false;
    unsigned char FXonChar = 17, FXoffChar = 19;
};

class TComParity {
public:
    explicit TComParity(TCustomComPort *port = nullptr) : ComPort(port) {}
    TComParity(const TComParity &) = delete;
    TComParity &operator=(const TComParity &) = delete;
    void AssignTo(TComParity &dest) const;

    TParityBits Bits() const { return FBits; }
    bool Check() const { return FCheck; }
    bool Replace() const { return FReplace; }
    unsigned char ReplaceChar() const { return FReplaceChar; }
    void SetBits(TParityBits value);
    void SetCheck(bool value);
    void SetReplace(bool value);
    void SetReplaceChar(unsigned char value);

    TCustomComPort *const ComPort;

private:
    template <typename Options, typename Change> friend void changeAndApply(Options &, Change);
    void changed();
    TParityBits FBits = prNone;
    bool FCheck = false, FReplace = false;
    unsigned char FReplaceChar = 0;
};

class TComBuffer {
public:
    explicit TComBuffer(TCustomComPort *port = nullptr) : ComPort(port) {}
    TComBuffer(const TComBuffer &) = delete;
    TComBuffer &operator=(const TComBuffer &) = delete;
    void AssignTo(TComBuffer &dest) const;

    int InputSize() const { return FInputSize; }
    int OutputSize() const { return FOutputSize; }
    // An odd positive size is lowered by one.
    void SetInputSize(int value);
    void SetOutputSize(int value);

    TCustomComPort *const ComPort;

private:
    template <typename Options, typename Change> friend void changeAndApply(Options &, Change);
    void changed();
    int FInputSize = 1024, FOutputSize = 1024;
};

// ---- linked listeners ---------------------------------------------------------------------

struct TComLink {
    std::function<void(bool OnOff)> OnConn, OnCTSChange, OnDSRChange, OnRLSDChange, OnRxBufActive,
        OnTxBufActive;
    std::function<void()> OnRing, OnTxEmpty, OnRxFlag;
    std::function<void(const void *Buffer, int Count)> OnRxBuf, OnTxBuf;
};

// An asynchronous transfer record.
struct TComAsync {
    enum TOperationKind { okWrite, okRead };
    TOperationKind Kind = okRead;
    char *Buffer = nullptr;      // read target
    std::vector<char> Data;      // copy of written data
    int Count = 0;
    int Done = 0;
};
using PAsync = TComAsync *;
void InitComAsync(PAsync &async);
void DoneComAsync(PAsync &async);

// ---- text forms ---------------------------------------------------------------------------

std::string BaudRateToStr(TBaudRate value);
std::string StopBitsToStr(TStopBits value);
std::string DataBitsToStr(TDataBits value);
std::string ParityToStr(TParityBits value);
std::string FlowControlToStr(TFlowControl value);
std::string DTRToStr(TDTRFlowControl value);
std::string RTSToStr(TRTSFlowControl value);
std::string BoolToStr(bool value);
std::string ComCharToStr(unsigned char value);
TBaudRate StrToBaudRate(const std::string &text);
TStopBits StrToStopBits(const std::string &text);
TDataBits StrToDataBits(const std::string &text);
TParityBits StrToParity(const std::string &text);
TFlowControl StrToFlowControl(const std::string &text);
TDTRFlowControl StrToDTR(const std::string &text);
TRTSFlowControl StrToRTS(const std::string &text);
bool StrToBool(const std::string &text);
unsigned char StrToComChar(const std::string &text);

// The rate a table value stands for (110 .. 256000); brCustom gives 0.
int BaudRateValue(TBaudRate value);

// ---- the component ------------------------------------------------------------------------

// Create, open and close it on the user-interface thread. With smThreadSync (the default) the
// event thread posts each batch of line events to this object's thread, queued, and waits
// until it has been handled or the port begins to close; so handlers run on the
// user-interface thread, read the line level when they run, and none runs once Close has
// begun. With smNone they run on the event thread (and must not wait for the user-interface
// thread). Port names are the listed serial ports (serialports::ListSerialPorts), opened as
// /dev/<name>, exclusive, raw, with DTR and RTS lowered at once.
class TCustomComPort : public QObject {
    Q_OBJECT
    friend class TComThread;
    friend class TComTimeouts;
    friend class TComFlowControl;
    friend class TComParity;
    friend class TComBuffer;

public:
    // Without a device the component uses the Linux tty layer.
    explicit TCustomComPort(QObject *owner = nullptr,
                            std::unique_ptr<serialdev::SerialDevice> device = nullptr);
    ~TCustomComPort() override;

    // Properties.
    bool Connected() const { return FConnected.load(); }
    void SetConnected(bool value);
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    int CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(int value);
    const std::string &Port() const { return FPort; }
    void SetPort(const std::string &value);
    TComParity &Parity() { return FParity; }
    void SetParity(const TComParity &value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits value);
    bool DiscardNull() const { return FDiscardNull; }
    void SetDiscardNull(bool value);
    unsigned char EventChar() const { return FEventChar; }
    void SetEventChar(unsigned char value);
    // The events to listen for from the next open on (default: all it can raise). A set
    // holding evRxFlag or evRx80Full is refused with std::invalid_argument and changes nothing.
    TComEvents Events() const { return FEvents.load(); }
    void SetEvents(TComEvents value);
    TComBuffer &Buffer() { return FBuffer; }
    void SetBuffer(const TComBuffer &value);
    TComFlowControl &FlowControl() { return FFlowControl; }
    void SetFlowControl(const TComFlowControl &value);
    TComTimeouts &Timeouts() { return FTimeouts; }
    void SetTimeouts(const TComTimeouts &value);
    TSyncMethod SyncMethod() const { return FSyncMethod.load(); }
    void SetSyncMethod(TSyncMethod value); // refused while connected (error 14)
    TStoredProps StoredProps() const { return FStoredProps; }
    void SetStoredProps(TStoredProps value) { FStoredProps = value; }
    bool TriggersOnRxChar() const { return FTriggersOnRxChar; }
    void SetTriggersOnRxChar(bool value) { FTriggersOnRxChar = value; }

    // Handlers; each is called with this component as sender.
    TNotifyEvent OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
    TComSignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
    TComErrorEvent OnError;

    // Open and close. Close always completes and leaves the port closed; the first failure of
    // its steps is raised afterwards.
    void Open();
    void Close();
    void OpenComPort() { Open(); }
    void CloseComPort() { Close(); }

    // Output lines for keying: safe from any thread, never on a descriptor being closed.
    // Return 0 or errno (EBADF while closed); no exception.
    int SetLines(unsigned set, unsigned clear);
    bool SetDTR(bool on) { return SetLine(serialdev::LineDTR, on); }
    bool SetRTS(bool on) { return SetLine(serialdev::LineRTS, on); }
    bool SetLine(unsigned line, bool on) { return SetLines(on ? line : 0u, on ? 0u : line) == 0; }
    // The open descriptor, -1 while closed.
    int Handle() const;

    // Port operations (raise EComPort).
    void PurgeComBuffers();
    int GetComInputCount();
    TComErrors GetComLastErrors();
    TComSignals GetComSignals();
    int ReadCom(void *buffer, int count);
    int WriteCom(const void *buffer, int count);
    int ReadComAsync(void *buffer, int count, PAsync async);
    int WriteComAsync(const void *buffer, int count, PAsync async);
    int WaitComAsync(PAsync async);

    // Settings store and load, in the caller's INI object, under the component's name.
    virtual void StoreComIniFile(QSettings &ini);
    virtual void LoadComIniFile(QSettings &ini);

    // Linked listeners (none in this program).
    void RegisterLink(TComLink *link);
    void UnRegisterLink(TComLink *link);

    // Event operations, run on the thread that dispatches.
    void CallCTSChange();
    void CallDSRChange();
    void CallRLSDChange();
    void CallError();
    void CallRxChar();
    void CallTxEmpty();
    void CallRxFlag();
    void CallRing();
    void CallBreak();
    void CallRx80Full();

    // When the event thread saw the line change that the running handler is told of; the
    // present moment outside a batch of the thread (the reports at open and close). Read it
    // from a handler.
    std::chrono::steady_clock::time_point EventTime() const;

    bool EventThreadRunning() const { return FEventThread != nullptr; }
    serialdev::SerialDevice &Device() { return *FDevice; }

protected:
    virtual void CreateComHandle();
    virtual void DestroyComHandle();
    virtual void SetupComPort();
    virtual void ApplyComDCB();
    virtual void ApplyComTimeouts();
    virtual void ApplyComBuffer();
    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(int Count);
    virtual void DoRxBuf(const void *Buffer, int Count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool OnOff);
    virtual void DoDSRChange(bool OnOff);
    virtual void DoError(TComErrors Errors);
    virtual void DoRLSDChange(bool OnOff);
    virtual void DoRx80Full();

private:
    // Runs a batch of events for the given open generation, in the fixed order; stops at the
    // first failure or once a close has begun.
    bool DoComEvents(std::uint64_t generation, TComEvents events,
                     std::chrono::steady_clock::time_point seen = {});
    bool IsCurrent(std::uint64_t generation) const;
    void CallAfterOpen();
    void CallBeforeClose();
    void CallAfterClose();
    void DeliverRxBuf(int &count);
    // Stores a value of the port and applies it; a refused value is undone (see the options).
    template <typename T> void assignApplied(T &field, T value, void (TCustomComPort::*apply)());
    void StopEventThread();
    void JoinRetiredThreads();
    void forEachLink(const std::function<void(TComLink &)> &f);
    int transfer(bool write, char *buffer, int count, int already);

    std::unique_ptr<serialdev::SerialDevice> FDevice;
    std::atomic<bool> FConnected{false};
    TBaudRate FBaudRate = br9600;
    int FCustomBaudRate = 9600;
    std::string FPort = "COM1";
    TComParity FParity{this};
    TStopBits FStopBits = sbOneStopBit;
    TDataBits FDataBits = dbEight;
    bool FDiscardNull = false;
    unsigned char FEventChar = 0;
    std::atomic<TComEvents> FEvents{SupportedComEvents};
    TComBuffer FBuffer{this};
    TComFlowControl FFlowControl{this};
    TComTimeouts FTimeouts{this};
    std::atomic<TSyncMethod> FSyncMethod{smThreadSync};
    TStoredProps FStoredProps = 1u << spBasic;
    bool FTriggersOnRxChar = true;
    std::vector<TComLink *> FLinks;
    std::unique_ptr<TComThread> FEventThread;
    std::vector<std::unique_ptr<TComThread>> FRetiredThreads;

    // Bumped when a close begins: a batch of an older generation is never delivered.
    std::atomic<std::uint64_t> FGeneration{1};
    // Held while an event operation runs, and by close while it claims the port and bumps the
    // generation.
    std::recursive_mutex FDispatchLock;
    // Guards the descriptor against a line switch while it is being closed.
    mutable std::mutex FLinesLock;
    int FAppliedDTR = -1, FAppliedRTS = -1;
    serialdev::Counters FErrorCounters;
    std::atomic<bool> FClosing{false};
    // The moment the batch being dispatched was seen; only the dispatching thread uses it.
    std::chrono::steady_clock::time_point FEventTime{};
};

class TComPort : public TCustomComPort {
    Q_OBJECT
public:
    using TCustomComPort::TCustomComPort;
};
