#pragma once

// The serial device on the Linux tty layer: /dev/<name> for a listed port, opened exclusive,
// raw, with CLOCAL and HUPCL, DTR and RTS lowered at once. Modem lines are watched with
// TIOCMIWAIT and the interrupt counters; a private signal wakes the waiter for shutdown and
// for a periodic re-check. Where the driver lacks the wait, or stays silent although the
// levels change, the watcher polls every 2 ms instead; it polls too while received bytes or
// a draining output are watched (TIOCMIWAIT sees neither). Received bytes are told by the
// driver's receive counter, or where it has none by a growing input queue; the output counts
// as drained when the queue and, where the driver tells, the transmitter are empty.

#include "platform/serialdevice.h"
#include "platform/serialports.h"

#include <termios.h>

#include <atomic>
#include <mutex>
#include <ctime>
#include <pthread.h>
#include <sys/types.h>

namespace serialdev {

// Fills a termios for raw transfers with the given settings (CLOCAL, CREAD and HUPCL always).
// A rate without a B-constant leaves B38400 in place and sets customRate, to be applied
// through termios2 afterwards. Gives EINVAL for what the tty layer cannot do.
int BuildTermios(const Settings &settings, termios &tio, int &customRate);

// Applies an arbitrary rate with termios2 (BOTHER); 0 or errno.
int SetCustomRate(int fd, int rate);

// The lock every user of a serial device takes before touching it (any open raises DTR and
// RTS): a lock file per device, by its device number, in the system's lock folder. Gives the
// held descriptor (close it to release), -2 while another holder has it, -1 when no lock
// file can be made.
int LockSerialDevice(const std::string &devicePath);

// What changed between two looks at a port: each watched input line (of `mask`) whose level
// or interrupt counter moved (a pulse shorter than one look moves only the counter), and,
// whatever the mask, a break (SeenBreak) or a line error (SeenLineError).
unsigned ModemChanges(unsigned mask, unsigned linesBefore, const Counters &before, unsigned linesNow,
                      const Counters &now);

class LinuxSerialDevice final : public SerialDevice {
public:
    enum class WatchMode { Blocking, Polling };

    static constexpr int kRecheckMs = 50;
    static constexpr int kPollMs = 2;

    explicit LinuxSerialDevice(std::string devDir = "/dev",
                               std::string sysfsRoot = serialports::kSysfsTtyRoot);
    ~LinuxSerialDevice() override;

    int open(const std::string &name) override;
    int close() override;
    bool isOpen() const override { return fd_ >= 0; }
    int handle() const override { return fd_; }

    int applySettings(const Settings &settings) override;
    int modemLines(unsigned &lines) override;
    int setLines(unsigned set, unsigned clear) override;
    int counters(Counters &counters) override;
    int flush(bool input, bool output) override;
    int inputCount(int &count) override;
    int read(void *buffer, int count, int &done) override;
    int write(const void *buffer, int count, int &done) override;
    int waitReady(bool forWrite, int timeoutMs) override;

    int startWatch(unsigned mask) override;
    WaitOutcome waitModemChange() override;
    void cancelWait() override;

    WatchMode watchMode() const { return mode_.load(); }

private:
    struct Snapshot {
        unsigned lines = 0;
        Counters counters;
    };
    int readSnapshot(Snapshot &snap);
    unsigned differences(const Snapshot &now) const;
    bool armRecheck(bool on);

    std::string devDir_;
    std::string sysfsRoot_;
    int fd_ = -1;
    int lockFd_ = -1;
    int wakeFd_ = -1;

    // What is to be polled for rather than waited on: received bytes, the output draining,
    // and (counted only) breaks and line errors.
    bool polled() const;
    // Adds the data events seen since the last report to `changed`.
    void dataEvents(const Snapshot &now, unsigned &changed);

    unsigned mask_ = 0;  // input lines watched
    unsigned extra_ = 0; // Seen* events watched
    // The input queue as last looked at, less what has been read since: bytes beyond it are
    // new. Looks and reads take the lock, so a read between two looks is never taken for
    // bytes that were there before.
    int lastInput_ = 0;
    std::mutex inputLock_;
    std::atomic<bool> txPending_{false}; // written since the output last drained
    Snapshot last_;
    bool countersWork_ = true;
    bool linesWork_ = true;
    bool waitedOnce_ = false;
    std::atomic<WatchMode> mode_{WatchMode::Blocking};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> inWait_{false};
    std::atomic<pthread_t> waiter_{}; // written by each wait, read by cancelWait on another thread
    bool timerMade_ = false;
    timer_t timer_{};
    pid_t timerTid_ = 0;
};

} // namespace serialdev
