#include "engine/elementclock.h"

#include <limits>

ElementClock::ElementClock(SerialKeyingLines *serial, ParallelPortIo *parallel, KeyingLamps *lamps,
                           platform::TimerBackend *backend)
    : serial_(serial), parallel_(parallel), lamps_(lamps), timer_(backend)
{
    timer_.SetTimerMode(TIME_ONESHOT);
    timer_.SetInterval(10);
    timer_.SetOnTimer([this](TMMTimer *sender) { MMTimerCWTimer(sender); });
}

ElementClock::~ElementClock()
{
    Close();
}

void ElementClock::KeyFirstElement(const CWElementTable &table)
{
    KeyFirst(&table);
}

void ElementClock::KeyFirstElement()
{
    KeyFirst(nullptr);
}

void ElementClock::KeyFirst(const CWElementTable *table)
{
    std::lock_guard lock(mutex_);
    if (closed_)
        return;
    const KeyingConfig config = config_.load();
    // Only the beacon's own text keys the transmitter when the beacon asks for it.
    if (config.HeldForBeacon)
        return;
    timer_.SetEnabled(false);
    if (table)
        table_ = *table;
    const bool manual = ManualKeyDown.load() == 1;
    if (!manual) {
        if (table_[1] == 0)
            return; // no keying output configured: nothing to key
        timer_.SetInterval(table_[1]);
    }
    SerialKeyDown(config, false);
    if (CWLineDown.load() == 1)
        Lamp(true);
    if (config.ParallelPortInUse) {
        PinLevel(config, true);
        Lamp(true);
    }
    if (!manual) {
        // The index first, so that an early expiry reads the right entry.
        index_ = 2;
        timer_.SetEnabled(true);
    }
}

void ElementClock::ManualKeyUp()
{
    std::lock_guard lock(mutex_);
    if (ManualKeyDown.load() != 1)
        return;
    // A key-up is always let through, even after Close: it only releases.
    const KeyingConfig config = config_.load();
    SerialKeyUp(config);
    Lamp(false);
    CWLineDown.store(0);
    if (config.ParallelPortInUse)
        PinLevel(config, false);
    ManualKeyDown.store(0);
}

void ElementClock::MMTimerCWTimer(TMMTimer *)
{
    std::lock_guard lock(mutex_);
    // Dropped: an expiry after the clock was stopped or closed, and a late one of an event
    // that KeyFirstElement has replaced meanwhile (the previous character's).
    if (closed_ || !timer_.Enabled() || TMMTimer::FiringEventId() != timer_.CurrentEventId())
        return;
    const KeyingConfig config = config_.load();
    timer_.SetEnabled(false);
    // A table without an end mark ends after its last entry.
    const std::int32_t v = index_ >= 1 && index_ < CWElementTableSize ? table_[index_] : 0;
    if (v > 0) {
        timer_.SetInterval(v);
        SerialKeyDown(config, true);
        if (config.ParallelPortInUse) {
            PinLevel(config, true);
            Lamp(true);
        }
        ++index_;
        timer_.SetEnabled(true);
    } else if (v < 0) {
        timer_.SetInterval(v == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max() : -v);
        SerialKeyUp(config);
        Lamp(false);
        if (config.ParallelPortInUse) {
            PinLevel(config, false);
            Lamp(false);
        }
        ++index_;
        timer_.SetEnabled(true);
    } else {
        // End of the character: key up and stay stopped.
        SerialKeyUp(config);
        Lamp(false);
        CWLineDown.store(0);
        if (config.ParallelPortInUse) {
            PinLevel(config, false);
            Lamp(false);
        }
    }
}

void ElementClock::Stop()
{
    {
        std::lock_guard lock(mutex_);
        timer_.SetEnabled(false);
    }
    timer_.WaitForCallback();
}

void ElementClock::Close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        timer_.SetEnabled(false);
    }
    timer_.WaitForCallback();
}

std::int32_t ElementClock::CWElementIndex() const
{
    std::lock_guard lock(mutex_);
    return index_;
}

void ElementClock::SerialKeyDown(const KeyingConfig &config, bool lampPerLine)
{
    if (!config.SerialPortInUse || config.CWLines == 0)
        return;
    const struct {
        std::uint8_t bit;
        bool enabled;
        LineFunction raise;
    } lines[] = {{LineDTR, config.CWDTREnabled, SETDTR}, {LineRTS, config.CWRTSEnabled, SETRTS}};
    for (const auto &line : lines) {
        if ((config.CWLines & line.bit) == 0 || !line.enabled || config.PoweredLine(line.bit))
            continue;
        if (serial_)
            serial_->Escape(line.raise); // a failure leaves the line as it is
        CWLineDown.store(1);
        if (lampPerLine)
            Lamp(true);
    }
}

void ElementClock::SerialKeyUp(const KeyingConfig &config)
{
    // Neither the port nor the role boxes are tested: on a closed port the call just fails.
    if (!serial_)
        return;
    if ((config.CWLines & LineDTR) != 0 && !config.PoweredLine(LineDTR))
        serial_->Escape(CLRDTR);
    if ((config.CWLines & LineRTS) != 0 && !config.PoweredLine(LineRTS))
        serial_->Escape(CLRRTS);
}

void ElementClock::PinLevel(const KeyingConfig &config, bool keyDown)
{
    const auto value = LptKeyLevel(config.LptControl, config.PinIndex, config.PinNegativeLogic(), keyDown);
    // No pin chosen, or no address: nothing is written (address 2 is not a parallel port).
    if (!parallel_ || !value || config.LptBase == 0)
        return;
    parallel_->Outport(static_cast<std::uint16_t>(config.LptBase + 2), static_cast<std::uint8_t>(*value));
}

void ElementClock::Lamp(bool on)
{
    if (lamps_)
        lamps_->SetCWLamp(on);
}
