#pragma once

// Element timing: every Morse duration derives from the speed in words per minute (through
// SpeedUnit = speed / 2.5), the dash weight and the spacing settings. Lengths are in 16-bit
// values of the 22050 Hz stereo stream (2 values per frame, 44100 per second).

#include <string>
#include <string_view>

constexpr int SampleRate = 22050;
constexpr int ValuesPerFrame = 2;
constexpr int ValuesPerSecond = SampleRate * ValuesPerFrame;
constexpr int LongElementFrames = 30000; // a dash at a speed unit of 1

constexpr int MinSpeed = 5;
constexpr int MaxSpeed = 70;
constexpr int DefaultSpeed = 12;
constexpr int MenuSpeedLimit = 50; // "Up" in the Speed menu stops here

// Nearest integer, halves to even (the rounding of every timing figure).
long long RoundHalfEven(double x);

// round(values x 1000 / 44100): a length in values as whole milliseconds.
int ValuesToMs(long long values);

// The timing model: speed, dash weight and spacing, and the lengths derived from them. Every
// setting enters through a setter that keeps it in range, so no length can divide by zero or
// grow past what a buffer was sized for. Owned by the main window.
class Timing {
public:
    // Speed 12, weight 3, S 1, W 1, F 0, N 0, B 3.
    Timing() = default;

    // --- speed ------------------------------------------------------------------------------
    int Speed() const { return speed_; }
    double SpeedUnit() const { return speed_ / 2.5; }
    // The one way the speed is set (control, menu, settings file, command line): clamped to
    // 5..70; then the real-speed floor steps the character spacing back while needed. The
    // caller also restarts the fading (Fading::RestartPhase) and refreshes what shows it.
    void setSpeed(int wpm);
    // Speed menu: "Up" below 50, "Down" above 5. True when the speed changed.
    bool UpSpeed();
    bool DownSpeed();

    int DashWeight() const { return dashWeight_; }
    void setDashWeight(int weight); // 3, 4 or 5; anything else is clamped into that range

    // --- spacing ----------------------------------------------------------------------------
    // S 1..30, W 1..20, F 0..6, N 0..10, B 0..9. A value out of range is ignored (false).
    int CharacterSpacing() const { return s_; }
    int WordGapSetting() const { return w_; }
    int WordGapExtra() const { return f_; }
    int LeadingSpace() const { return n_; }
    int StartSilence() const { return b_; }
    // Each runs the real-speed floor with its own step-back rule: S steps back; W steps back
    // with F reset to 0; N steps back S and, with S at 1, N.
    bool setCharacterSpacing(int s);
    bool setWordSpacing(int w); // also resets the fine adjustment F to 0
    bool setWordSpacingFine(int f);
    bool setLeadingSpace(int n);
    bool setStartSilence(int b);

    // Gap units after a character's last element gap: (S - 1) x 3 + 2.
    int CharGapUnits() const { return (s_ - 1) * 3 + 2; }

    // speed x 49 / (15 S + 27 + 7 W + F + 15 N).
    double EffectiveSpeed() const;
    // The real speed as the label shows it after TxtRealSpeed: one decimal, "12.0".
    std::string RealSpeedFigure() const;
    // True when the whole part of the real speed differs from the set speed (the speed
    // control's hint then shows the real speed).
    bool RealSpeedDiffers() const;

    // --- lengths in values --------------------------------------------------------------------
    int DashValues() const;
    int DotValues() const;
    int GapValues() const; // the silence after an element, and the spacing unit
    // The gap while the paddle keyer keys with the monitor shown, by the keyer's calibration.
    int KeyerGapValues(double calibration) const;
    // The dash or the dot for a sign of a code.
    int ElementValues(char sign) const { return sign == '-' ? DashValues() : DotValues(); }

    // A silence of so many gap units.
    long long SilenceValues(int gapUnits) const { return 1LL * gapUnits * GapValues(); }
    // A whole character buffer: each sign's element followed by one spacing gap, then the
    // character space; spacingGap is the gap in use (the plain gap unless given).
    long long CharacterValues(std::string_view code, int characterSpaceUnits,
                              int spacingGap = -1) const;

    // Millisecond forms for the keying outputs (never the keyer gap).
    int CWDashMs() const { return ValuesToMs(DashValues()); }
    int CWDotMs() const { return ValuesToMs(DotValues()); }
    int CWGapMs() const { return ValuesToMs(GapValues()); }

    // --- spacing rules, in gap units ----------------------------------------------------------
    // A blank in the text: 7 W + F + C - 3 units on its own.
    int BlankGapUnits() const { return 7 * w_ + f_ + CharGapUnits() - 3; }
    // The character space after a character's last element gap: C; 2 while a quiz series
    // plays; 7 W + F + C - 3 at the end of a random group; none after a keyer element keyed
    // with the monitor shown.
    int CharacterSpaceGapUnits(bool quizSeriesPlaying, bool randomGroupEnds,
                               bool keyerWithMonitor = false) const;
    // The silence before every character when N > 0 (not while a quiz series plays): 3 N.
    int LeadingSpaceGapUnits(bool quizSeriesPlaying) const;
    // The silence before the first character of a new transmission: B.
    int StartSilenceGapUnits(bool newTransmission) const { return newTransmission ? b_ : 0; }

private:
    enum class StepBack { CharacterSpacing, WordSpacing, LeadingSpace };
    void applyFloor(StepBack rule);

    int speed_ = DefaultSpeed;
    int dashWeight_ = 3;
    int s_ = 1;
    int w_ = 1;
    int f_ = 0;
    int n_ = 0;
    int b_ = 3;
};
