#include "engine/timing.h"

#include <algorithm>
#include <charconv>
#include <cmath>

long long RoundHalfEven(double x)
{
    // The default floating-point rounding mode is to nearest, halves to even.
    return std::llrint(x);
}

int ValuesToMs(long long values)
{
    return static_cast<int>(RoundHalfEven(static_cast<double>(values) * 1000.0 / ValuesPerSecond));
}

namespace {

// Frames of a dash, dot or gap, worked out in extended precision.
long long roundFrames(long double frames)
{
    return std::llrint(frames);
}

long double dashFrames(int speed)
{
    return LongElementFrames / (speed / 2.5L);
}

} // namespace

void Timing::setSpeed(int wpm)
{
    speed_ = std::clamp(wpm, MinSpeed, MaxSpeed);
    applyFloor(StepBack::CharacterSpacing);
}

bool Timing::UpSpeed()
{
    if (speed_ >= MenuSpeedLimit)
        return false;
    setSpeed(speed_ + 1);
    return true;
}

bool Timing::DownSpeed()
{
    if (speed_ <= MinSpeed)
        return false;
    setSpeed(speed_ - 1);
    return true;
}

void Timing::setDashWeight(int weight)
{
    dashWeight_ = std::clamp(weight, 3, 5);
}

bool Timing::setCharacterSpacing(int s)
{
    if (s < 1 || s > 30)
        return false;
    s_ = s;
    applyFloor(StepBack::CharacterSpacing);
    return true;
}

bool Timing::setWordSpacing(int w)
{
    if (w < 1 || w > 20)
        return false;
    w_ = w;
    f_ = 0;
    applyFloor(StepBack::WordSpacing);
    return true;
}

bool Timing::setWordSpacingFine(int f)
{
    if (f < 0 || f > 6)
        return false;
    f_ = f;
    applyFloor(StepBack::WordSpacing);
    return true;
}

bool Timing::setLeadingSpace(int n)
{
    if (n < 0 || n > 10)
        return false;
    n_ = n;
    applyFloor(StepBack::LeadingSpace);
    return true;
}

bool Timing::setStartSilence(int b)
{
    if (b < 0 || b > 9)
        return false;
    b_ = b;
    return true;
}

// Steps a setting back, as often as needed, while the real speed is below 1 and the setting
// can still go back (a single step is not enough after a jump of several steps).
void Timing::applyFloor(StepBack rule)
{
    while (EffectiveSpeed() < 1.0) {
        switch (rule) {
        case StepBack::CharacterSpacing:
            if (s_ <= 1)
                return;
            --s_;
            break;
        case StepBack::WordSpacing:
            if (w_ > 1) {
                --w_;
                f_ = 0;
            } else if (f_ > 0) {
                f_ = 0;
            } else {
                return;
            }
            break;
        case StepBack::LeadingSpace:
            if (s_ > 1)
                --s_;
            else if (n_ > 0)
                --n_;
            else
                return;
            break;
        }
    }
}

double Timing::EffectiveSpeed() const
{
    return speed_ * 49.0 / (15 * s_ + 27 + 7 * w_ + f_ + 15 * n_);
}

std::string Timing::RealSpeedFigure() const
{
    // One decimal, halves away from zero, as the label always showed it: 4.25 is "4.3".
    const double tenths = std::floor(EffectiveSpeed() * 10.0 + 0.5);
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, tenths / 10.0, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

bool Timing::RealSpeedDiffers() const
{
    return static_cast<int>(EffectiveSpeed()) != speed_;
}

int Timing::DashValues() const
{
    return static_cast<int>(2 * roundFrames(dashFrames(speed_)));
}

int Timing::DotValues() const
{
    return static_cast<int>(2 * roundFrames(dashFrames(speed_) / dashWeight_));
}

int Timing::GapValues() const
{
    return static_cast<int>(2 * roundFrames(dashFrames(speed_) / 3));
}

int Timing::KeyerGapValues(double calibration) const
{
    long double unit = speed_ / 2.5L;
    long double divisor = unit * std::max(0.0, calibration) + 3; // never below 3
    return static_cast<int>(2 * roundFrames(dashFrames(speed_) / divisor));
}

long long Timing::CharacterValues(std::string_view code, int characterSpaceUnits,
                                  int spacingGap) const
{
    long long gap = spacingGap < 0 ? GapValues() : spacingGap;
    long long values = std::max(0, characterSpaceUnits) * gap;
    for (char sign : code)
        values += ElementValues(sign) + gap;
    return values;
}

int Timing::CharacterSpaceGapUnits(bool quizSeriesPlaying, bool randomGroupEnds,
                                   bool keyerWithMonitor) const
{
    if (keyerWithMonitor)
        return 0;
    if (quizSeriesPlaying)
        return 2;
    if (randomGroupEnds)
        return BlankGapUnits();
    return CharGapUnits();
}

int Timing::LeadingSpaceGapUnits(bool quizSeriesPlaying) const
{
    return quizSeriesPlaying ? 0 : 3 * n_;
}
