#pragma once

// The event thread of an open serial port: waits for the port's events and hands each batch
// to the component, on the user-interface thread (smThreadSync, smWindowSync) or on itself
// (smNone). A hand-over never blocks a close: the thread waits for a batch to be served or for
// the stop, whichever comes first, and a batch of a closed generation is dropped unrun.

#include "engine/devices/comport.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Windows communication event bits, the mask form of TComEvents.
enum : unsigned {
    EV_RXCHAR = 0x0001, EV_RXFLAG = 0x0002, EV_TXEMPTY = 0x0004, EV_CTS = 0x0008,
    EV_DSR = 0x0010, EV_RLSD = 0x0020, EV_BREAK = 0x0040, EV_ERR = 0x0080, EV_RING = 0x0100,
    EV_RX80FULL = 0x0400
};
unsigned ComEventsToMask(TComEvents events);
TComEvents MaskToComEvents(unsigned mask);

// The port events a modem wait's report stands for.
TComEvents ModemChangesToComEvents(unsigned changed);

// The order in which a batch's events are handled.
extern const TComEvent ComEventOrder[10];

class TComThread {
public:
    // Starts watching the port's Events and starts the thread.
    explicit TComThread(TCustomComPort *port);
    // Stops and waits for the thread to end.
    ~TComThread();
    void Stop();

    bool Finished() const { return FFinished.load(); }
    TComEvents LastEvents() const { return FEvents.load(); }
    bool IsCurrentThread() const { return std::this_thread::get_id() == FThread.get_id(); }

private:
    void Execute();
    // `seen`: when the wait returned with the batch, for the handlers' EventTime().
    void DispatchComEvents(TComEvents events, std::chrono::steady_clock::time_point seen);
    void HandOver(TComEvents events, std::chrono::steady_clock::time_point seen);
    void SendComEventMessages(TComEvents events, std::chrono::steady_clock::time_point seen);

    struct HandOverState {
        std::mutex lock;
        std::condition_variable cv;
        bool done = false;
        bool stop = false;
        bool failed = false;
    };
    // Waits until the posted work has been taken or the thread is told to stop.
    void waitServed(const std::shared_ptr<HandOverState> &state);
    bool PostAndWait(const std::function<void(const std::shared_ptr<HandOverState> &state)> &post);
    static void MarkServed(HandOverState &state);

    TCustomComPort *const FComPort;
    const std::uint64_t FGeneration;
    const TComEvents FWanted; // the port's Events when it opened
    std::atomic<bool> FStop{false};
    std::atomic<bool> FFinished{false};
    std::atomic<TComEvents> FEvents{0};
    std::atomic<bool> FDetached{false};
    std::mutex FLock;
    std::shared_ptr<HandOverState> FPending;
    std::thread FThread;

    friend class TCustomComPort;
};
