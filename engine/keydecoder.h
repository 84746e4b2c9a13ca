#pragma once

// The timing decoder of a hand key (a straight key or the CTRL key): every mark and every
// space is timed, each mark becomes a dot, a dash or a doubtful element by four limits that
// follow the speed, and a letter and then a word end after timed gaps. The elements of the
// letter being keyed (MonitorElements) are shared with the paddle keyer and the audio decoder,
// which append their own; the decoder writes through a MonitorOutput and arms one one-shot
// gap timer, both given by its owner (the monitor's widgets and a user-interface-thread timer
// in the program; recorders and a hand-fired timer in tests).

#include <chrono>
#include <optional>
#include <string>

// The four limits in ms: the longest dot, the shortest and longest dash, the letter gap.
struct KeyTimingLimits {
    int dotMax = 0;   // pmax, 1.5 dots
    int dashMin = 0;  // tmin, 1.98 dots
    int dashMax = 0;  // tmax, 1.3 dashes
    int letterGap = 0; // imax, 2.5 dots
    friend bool operator==(const KeyTimingLimits &, const KeyTimingLimits &) = default;
};

// The limits at `wpm` words per minute (held to 5..70, so no speed divides by zero) and dash
// weight 3, 4 or 5 (held to that range); halves round to even.
KeyTimingLimits KeyTimingLimitsFor(int wpm, int weight);
// " pmax:150  tmin:198  tmax:390  imax:250"
std::string KeyTimingText(const KeyTimingLimits &limits);

// The sign of a mark: "." below pmax, "?" from pmax to tmin, "-" above tmin (below tmax unless
// dashes are unlimited), "!" from tmax on.
char ClassifyMark(int markMs, const KeyTimingLimits &limits, bool unlimitedDash);

// Marks and spaces shorter than this are contact bounces.
constexpr int BounceMs = 20;

class GapTimer {
public:
    virtual ~GapTimer() = default;
    // (Re)arms the timer to expire once after `ms`.
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
};

class MonitorOutput {
public:
    virtual ~MonitorOutput() = default;
    // Element signs for the element line.
    virtual void AppendElementLine(const std::string &signs) = 0;
    // A letter's elements to be written as its character.
    virtual void DecodeCharacter(const std::string &code) = 0;
    // The word space after a letter.
    virtual void WordSpace() = 0;
    // The limits and the last mark and space, for the timings label.
    virtual void ShowTimings(const std::string &text) = 0;
};

class KeyTimingDecoder {
public:
    using Clock = std::chrono::steady_clock;

    KeyTimingDecoder(MonitorOutput &output, GapTimer &timer);

    // Everything as on a new decoder (a new monitor): no letter, no times, the limits of
    // 12 wpm and weight 3, dashes unlimited, the timer stopped.
    void Reset();

    // SetKeyTimingLimits: new limits from the speed and weight, shown at once.
    void SetLimits(int wpm, int weight);
    const KeyTimingLimits &Limits() const { return limits_; }
    void SetUnlimitedDash(bool unlimited) { unlimitedDash_ = unlimited; }
    bool UnlimitedDash() const { return unlimitedDash_; }

    // TimeKeyEvent: one edge of the hand key at the moment it happened.
    void KeyDown(Clock::time_point at);
    void KeyUp(Clock::time_point at);

    // The press and release times forgotten (a new key type, entering the monitor).
    void ForgetTimes();
    // The letter being keyed is dropped, and the gap timer with it (so an expiry can never
    // decode a letter cleared under it).
    void ClearLetter();
    // Elements the keyer (or the audio decoder) adds to the letter being keyed.
    void AppendElements(const std::string &signs);
    const std::string &MonitorElements() const { return elements_; }
    bool KeyIsDown() const { return keyIsDown_; }
    void SetKeyIsDown(bool down) { keyIsDown_ = down; }

    // A paddle went down: the letter goes on.
    void StopGapTimer() { timer_.Stop(); }
    // The keyer's queue ran empty: the letter ends after `letterGapMs` (nothing when 0) and
    // the word after twice as long again.
    void KeyerTextEnded(int letterGapMs);
    // MMTimerEspaceTimer: the gap timer expired.
    void GapTimerExpired();

private:
    void showTimings(bool withLast);
    static int elapsedMs(Clock::time_point from, Clock::time_point to);

    MonitorOutput &output_;
    GapTimer &timer_;
    KeyTimingLimits limits_ = KeyTimingLimitsFor(12, 3);
    bool unlimitedDash_ = true;
    std::string elements_;     // MonitorElements
    std::string lastElement_;  // MonitorLastElement
    bool keyIsDown_ = false;
    std::optional<Clock::time_point> pressTime_, releaseTime_;
    int markMs_ = 0, spaceMs_ = 0;
    bool wordSpaceNext_ = false; // LetterGapState
    int letterGapMs_ = 0;        // the letter gap the timer was armed with
};
