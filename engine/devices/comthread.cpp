#include "engine/devices/comthread.h"

#include <QMetaObject>

const TComEvent ComEventOrder[10] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                     evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};

namespace {

struct MaskBit {
    TComEvent event;
    unsigned bit;
};
constexpr MaskBit kMaskBits[] = {
    {evRxChar, EV_RXCHAR}, {evRxFlag, EV_RXFLAG}, {evTxEmpty, EV_TXEMPTY}, {evCTS, EV_CTS},
    {evDSR, EV_DSR},       {evRLSD, EV_RLSD},     {evBreak, EV_BREAK},     {evError, EV_ERR},
    {evRing, EV_RING},     {evRx80Full, EV_RX80FULL},
};

bool has(TComEvents events, TComEvent e)
{
    return (events >> e) & 1u;
}

} // namespace

unsigned ComEventsToMask(TComEvents events)
{
    unsigned mask = 0;
    for (const auto &m : kMaskBits)
        if (has(events, m.event))
            mask |= m.bit;
    return mask;
}

TComEvents MaskToComEvents(unsigned mask)
{
    TComEvents events = 0;
    for (const auto &m : kMaskBits)
        if (mask & m.bit)
            events = static_cast<TComEvents>(events | (1u << m.event));
    return events;
}

TComEvents ModemChangesToComEvents(unsigned changed)
{
    TComEvents events = 0;
    auto add = [&](TComEvent e) { events = static_cast<TComEvents>(events | (1u << e)); };
    if (changed & serialdev::LineCTS)
        add(evCTS);
    if (changed & serialdev::LineDSR)
        add(evDSR);
    if (changed & serialdev::LineCD)
        add(evRLSD);
    if (changed & serialdev::LineRI)
        add(evRing);
    if (changed & serialdev::SeenBreak)
        add(evBreak);
    if (changed & serialdev::SeenLineError)
        add(evError);
    if (changed & serialdev::SeenRxChar)
        add(evRxChar);
    if (changed & serialdev::SeenTxEmpty)
        add(evTxEmpty);
    return events;
}

TComThread::TComThread(TCustomComPort *port)
    : FComPort(port), FGeneration(port->FGeneration.load()), FWanted(port->Events())
{
    const TComEvents events = FWanted;
    unsigned lines = 0;
    if (has(events, evCTS))
        lines |= serialdev::LineCTS;
    if (has(events, evDSR))
        lines |= serialdev::LineDSR;
    if (has(events, evRLSD))
        lines |= serialdev::LineCD;
    if (has(events, evRing))
        lines |= serialdev::LineRI;
    if (has(events, evBreak))
        lines |= serialdev::SeenBreak;
    if (has(events, evError))
        lines |= serialdev::SeenLineError;
    if (has(events, evRxChar))
        lines |= serialdev::SeenRxChar;
    if (has(events, evTxEmpty))
        lines |= serialdev::SeenTxEmpty;
    // The reference state is taken here, before the opening reports read the levels, so a
    // change in between is not lost.
    port->Device().startWatch(lines);
    FThread = std::thread(&TComThread::Execute, this);
}

TComThread::~TComThread()
{
    Stop();
    if (FThread.joinable())
        FThread.join();
}

void TComThread::Stop()
{
    FStop = true;
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (FPending) {
            std::lock_guard<std::mutex> g(FPending->lock);
            FPending->stop = true;
            FPending->cv.notify_all();
        }
    }
    if (!FDetached)
        FComPort->Device().cancelWait();
}

void TComThread::Execute()
{
    serialdev::SerialDevice &device = FComPort->Device();
    while (!FStop) {
        const serialdev::WaitOutcome outcome = device.waitModemChange();
        const auto seen = outcome.seen.value_or(std::chrono::steady_clock::now());
        if (outcome.result == serialdev::WaitResult::Interrupted)
            continue;
        // A wait that fails ends the thread without a report; looping on it would spin.
        if (outcome.result == serialdev::WaitResult::Failed)
            break;
        const TComEvents events =
            static_cast<TComEvents>(ModemChangesToComEvents(outcome.changed) & FWanted);
        if (events == 0)
            continue;
        FEvents = events;
        DispatchComEvents(events, seen);
    }
    if (!FDetached) {
        device.startWatch(0);
        device.flush(true, true);
    }
    FFinished = true;
}

void TComThread::DispatchComEvents(TComEvents events, std::chrono::steady_clock::time_point seen)
{
    switch (FComPort->SyncMethod()) {
    case smThreadSync:
        HandOver(events, seen);
        break;
    case smWindowSync:
        SendComEventMessages(events, seen);
        break;
    case smNone:
        FComPort->DoComEvents(FGeneration, events, seen);
        break;
    }
}

void TComThread::waitServed(const std::shared_ptr<HandOverState> &state)
{
    std::unique_lock<std::mutex> lock(state->lock);
    state->cv.wait(lock, [&] { return state->done || state->stop || FStop.load(); });
}

// Posts work to the port's thread and waits until it has been served or until this thread is
// told to stop, whichever comes first; false when it is stopping already (nothing posted).
bool TComThread::PostAndWait(
    const std::function<void(const std::shared_ptr<HandOverState> &state)> &post)
{
    auto state = std::make_shared<HandOverState>();
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (FStop)
            return false;
        FPending = state;
    }
    post(state);
    waitServed(state);
    std::lock_guard<std::mutex> guard(FLock);
    FPending.reset();
    return true;
}

void TComThread::MarkServed(HandOverState &state)
{
    std::lock_guard<std::mutex> g(state.lock);
    state.done = true;
    state.cv.notify_all();
}

// The batch is posted, never sent, so a close on the user-interface thread can always finish.
void TComThread::HandOver(TComEvents events, std::chrono::steady_clock::time_point seen)
{
    TCustomComPort *port = FComPort;
    const std::uint64_t generation = FGeneration;
    PostAndWait([&](const std::shared_ptr<HandOverState> &state) {
        QMetaObject::invokeMethod(
            port,
            [port, generation, events, state, seen] {
                port->DoComEvents(generation, events, seen);
                MarkServed(*state);
            },
            Qt::QueuedConnection);
    });
}

// One message per event; the receiver takes each at once, then handles it if the port is
// still open in this generation.
void TComThread::SendComEventMessages(TComEvents events, std::chrono::steady_clock::time_point seen)
{
    TCustomComPort *port = FComPort;
    const std::uint64_t generation = FGeneration;
    auto batch = std::make_shared<HandOverState>();
    for (TComEvent e : ComEventOrder) {
        if (!has(events, e))
            continue;
        const TComEvents one = static_cast<TComEvents>(1u << e);
        const bool posted = PostAndWait([&](const std::shared_ptr<HandOverState> &state) {
            QMetaObject::invokeMethod(
                port,
                [port, generation, one, state, batch, seen] {
                    MarkServed(*state);
                    if (batch->failed)
                        return;
                    if (!port->DoComEvents(generation, one, seen))
                        batch->failed = true;
                },
                Qt::QueuedConnection);
        });
        if (!posted)
            return;
    }
}
