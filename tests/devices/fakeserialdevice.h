#pragma once

// A serial device for tests: a script sets the input lines (waking the watcher), injects
// errors, and reads back what the component did with the output lines.

#include "platform/serialdevice_linux.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class FakeSerialDevice : public serialdev::SerialDevice {
public:
    // ---- script side ----
    // `at`: the moment the port saw the change, on the script's own clock (else when the
    // watcher wakes for it).
    void setInputs(unsigned set, unsigned clear,
                   std::optional<std::chrono::steady_clock::time_point> at = std::nullopt)
    {
        std::lock_guard<std::mutex> g(m);
        changedAt = at;
        bump(set & ~lines_, set);
        bump(clear & lines_, clear);
        lines_ = (lines_ | set) & ~clear;
        cv.notify_all();
    }
    // Up and back down at once, as a driver counts a pulse shorter than one look.
    void toggle(unsigned line)
    {
        std::lock_guard<std::mutex> g(m);
        bump(line, line);
        bump(line, line);
        cv.notify_all();
    }
    unsigned lines() { std::lock_guard<std::mutex> g(m); return lines_; }
    // The output lines (DTR, RTS) as the component has switched them.
    unsigned raised() { std::lock_guard<std::mutex> g(m); return outputs; }
    void failWait(int error) { std::lock_guard<std::mutex> g(m); waitError = error; cv.notify_all(); }
    void feed(const std::string &bytes) { std::lock_guard<std::mutex> g(m); input += bytes; }

    std::atomic<int> openError{0}, flushError{0}, closeError{0}, settingsError{0};
    std::atomic<int> modemFailures{0}; // the next n status reads fail with EIO
    std::atomic<int> readLimit{1 << 30}; // at most this many bytes per read
    std::atomic<int> reportedInput{-1};  // input count to claim (-1: the real one)
    std::atomic<int> waitCalls{0}, changesReported{0}, watchStops{0}, opens{0};
    // Changes reported whose batch the watcher has finished with (it waits again).
    std::atomic<int> changesServed{0};
    std::atomic<bool> opened{false};
    std::vector<std::pair<unsigned, unsigned>> lineCalls; // under m
    // Runs at each line switch, before it is made (set it before the port is shared).
    std::function<void(unsigned set, unsigned clear)> beforeSetLines;

    // ---- device side ----
    int open(const std::string &) override
    {
        if (openError)
            return openError;
        ++opens;
        opened = true;
        return 0;
    }
    int close() override { opened = false; return closeError; }
    bool isOpen() const override { return opened; }
    int handle() const override { return opened ? 1000 : -1; }
    int applySettings(const serialdev::Settings &s) override
    {
        std::lock_guard<std::mutex> g(m);
        applied = s;
        ++settingsApplied;
        return settingsError;
    }
    int modemLines(unsigned &l) override
    {
        if (modemFailures > 0) {
            --modemFailures;
            return EIO;
        }
        std::lock_guard<std::mutex> g(m);
        l = lines_;
        return 0;
    }
    int setLines(unsigned set, unsigned clear) override
    {
        if (beforeSetLines)
            beforeSetLines(set, clear);
        std::lock_guard<std::mutex> g(m);
        lineCalls.emplace_back(set, clear);
        outputs = (outputs | set) & ~clear;
        return 0;
    }
    int counters(serialdev::Counters &c) override
    {
        std::lock_guard<std::mutex> g(m);
        c = counters_;
        return 0;
    }
    int flush(bool, bool) override { return flushError; }
    int inputCount(int &count) override
    {
        std::lock_guard<std::mutex> g(m);
        count = reportedInput >= 0 ? reportedInput.load() : static_cast<int>(input.size());
        return 0;
    }
    int read(void *buffer, int count, int &done) override
    {
        std::lock_guard<std::mutex> g(m);
        done = std::min({count, static_cast<int>(input.size()), readLimit.load()});
        std::memcpy(buffer, input.data(), static_cast<size_t>(done));
        input.erase(0, static_cast<size_t>(done));
        return 0;
    }
    int write(const void *, int count, int &done) override { done = count; return 0; }
    int waitReady(bool, int) override { return ETIMEDOUT; }

    int startWatch(unsigned mask) override
    {
        std::lock_guard<std::mutex> g(m);
        mask_ = mask;
        if (mask == 0)
            ++watchStops;
        seenLines = lines_;
        seenCounters = counters_;
        return 0;
    }
    serialdev::WaitOutcome waitModemChange() override
    {
        std::unique_lock<std::mutex> lk(m);
        ++waitCalls;
        // Back for more: the change reported last has been handed over and served.
        if (std::exchange(reportedLast, false))
            ++changesServed;
        for (;;) {
            if (cancel) {
                cancel = false;
                return {serialdev::WaitResult::Interrupted, 0, 0, std::nullopt};
            }
            if (waitError)
                return {serialdev::WaitResult::Failed, 0, waitError, std::nullopt};
            // The real device's rule, so a script's pulses reach the component as a port's would.
            const unsigned changed = serialdev::ModemChanges(mask_, seenLines, seenCounters, lines_, counters_);
            if (changed) {
                seenLines = lines_;
                seenCounters = counters_;
                ++changesReported;
                reportedLast = true;
                return {serialdev::WaitResult::Changed, changed, 0, std::exchange(changedAt, std::nullopt)};
            }
            cv.wait(lk);
        }
    }
    void cancelWait() override
    {
        std::lock_guard<std::mutex> g(m);
        cancel = true;
        cv.notify_all();
    }

    std::mutex m;
    serialdev::Settings applied;
    int settingsApplied = 0;
    unsigned outputs = 0;
    std::optional<std::chrono::steady_clock::time_point> changedAt;
    bool reportedLast = false;

private:
    void bump(unsigned changed, unsigned)
    {
        if (changed & serialdev::LineCTS) ++counters_.cts;
        if (changed & serialdev::LineDSR) ++counters_.dsr;
        if (changed & serialdev::LineCD) ++counters_.dcd;
        if (changed & serialdev::LineRI) ++counters_.rng;
    }
    std::condition_variable cv;
    unsigned lines_ = 0, seenLines = 0, mask_ = 0;
    serialdev::Counters counters_, seenCounters;
    int waitError = 0;
    bool cancel = false;
    std::string input;
};
