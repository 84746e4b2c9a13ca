#pragma once

// The element clock: while the sound card plays one character, it keys the CW outputs (the
// serial CW lines and the chosen parallel-port pin) in step with it, one table entry per
// expiry of its one-shot timer MMTimerCW, and the CW lamp follows.
//
// Threads: KeyFirstElement, Stop, Close and SetConfig are called on the user-interface
// thread; MMTimerCWTimer runs on the timer thread. The step and KeyFirstElement share one
// small lock, and a step acts only while its event is the timer's current one, so a late
// step of the previous character never lands on the next.

#include "engine/cwelementtable.h"
#include "engine/devices/mmtimer.h"
#include "engine/keyinglines.h"

#include <atomic>
#include <cstdint>
#include <mutex>

class ElementClock {
public:
    // Any of the outputs may be missing (nullptr). Without a backend the clock runs on the
    // process-wide timer service.
    ElementClock(SerialKeyingLines *serial, ParallelPortIo *parallel, KeyingLamps *lamps,
                 platform::TimerBackend *backend = nullptr);
    ~ElementClock(); // Close()
    ElementClock(const ElementClock &) = delete;
    ElementClock &operator=(const ElementClock &) = delete;

    // Copies the table (the caller may rewrite its own afterwards), keys the first element
    // down and arms the clock for its length. With ManualKeyDown = 1 (the straight key) it
    // keys the outputs down and arms nothing.
    void KeyFirstElement(const CWElementTable &table);
    // The same with the table last given (the straight key has none of its own).
    void KeyFirstElement();
    // Straight key up: when ManualKeyDown is 1, the CW lines (but those that feed the keyer)
    // and the pin go to their key-up level, the CW lamp goes out, CWLineDown and
    // ManualKeyDown := 0. Nothing happens while no straight key holds the outputs.
    void ManualKeyUp();

    // The buffer-done handler's stop: disables MMTimerCW and waits for a step that is
    // running. Never call it from the timer thread.
    void Stop();
    // At quit, before the lines are released: stops as above, and from then on nothing
    // keys any output.
    void Close();

    // The OnTimer handler of MMTimerCW (timer thread).
    void MMTimerCWTimer(TMMTimer *sender);

    KeyingConfig Config() const { return config_.load(); }
    void SetConfig(const KeyingConfig &config) { config_.store(config); }

    std::int32_t CWElementIndex() const;
    TMMTimer &MMTimerCW() { return timer_; }

    // A straight key is holding the outputs down (set by the manual keying).
    std::atomic<std::uint8_t> ManualKeyDown{0};
    // A CW serial line has been raised by the clock; also cleared by the line releases.
    std::atomic<std::uint8_t> CWLineDown{0};

private:
    void KeyFirst(const CWElementTable *table);
    void SerialKeyDown(const KeyingConfig &config, bool lampPerLine);
    void SerialKeyUp(const KeyingConfig &config);
    void PinLevel(const KeyingConfig &config, bool keyDown);
    void Lamp(bool on);

    SerialKeyingLines *serial_;
    ParallelPortIo *parallel_;
    KeyingLamps *lamps_;
    std::atomic<KeyingConfig> config_{KeyingConfig{}};

    mutable std::mutex mutex_; // the step against KeyFirstElement and Stop
    CWElementTable table_{};
    std::int32_t index_ = 2;
    bool closed_ = false;
    TMMTimer timer_; // last: destroyed first, waiting for a running step
};
