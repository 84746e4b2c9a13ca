#include "engine/keydecoder.h"

#include "engine/timing.h"

#include <algorithm>
#include <utility>

namespace {

// numerator / denominator to the nearest integer, halves to even (both positive).
int divideHalfEven(long long numerator, long long denominator)
{
    long long quotient = numerator / denominator;
    const long long twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
        ++quotient;
    return static_cast<int>(quotient);
}

} // namespace

KeyTimingLimits KeyTimingLimitsFor(int wpm, int weight)
{
    const int w = std::clamp(wpm, MinSpeed, MaxSpeed);
    const int k = std::clamp(weight, 3, 5);
    // 1200 / w is one dot; k x 1200 x 1.3 = 1560 k exactly.
    return {divideHalfEven(1800, w), divideHalfEven(2376, w), divideHalfEven(1560LL * k, w),
            divideHalfEven(3000, w)};
}

std::string KeyTimingText(const KeyTimingLimits &l)
{
    return " pmax:" + std::to_string(l.dotMax) + "  tmin:" + std::to_string(l.dashMin)
        + "  tmax:" + std::to_string(l.dashMax) + "  imax:" + std::to_string(l.letterGap);
}

char ClassifyMark(int markMs, const KeyTimingLimits &l, bool unlimitedDash)
{
    if (markMs < l.dotMax)
        return '.';
    if (markMs <= l.dashMin)
        return '?';
    if (unlimitedDash || markMs < l.dashMax)
        return '-';
    return '!';
}

KeyTimingDecoder::KeyTimingDecoder(MonitorOutput &output, GapTimer &timer)
    : output_(output), timer_(timer)
{
}

int KeyTimingDecoder::elapsedMs(Clock::time_point from, Clock::time_point to)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count();
    return ns <= 0 ? 0 : static_cast<int>(RoundHalfEven(static_cast<double>(ns) / 1e6));
}

void KeyTimingDecoder::Reset()
{
    timer_.Stop();
    limits_ = KeyTimingLimitsFor(12, 3);
    unlimitedDash_ = true;
    elements_.clear();
    lastElement_.clear();
    keyIsDown_ = false;
    ForgetTimes();
    markMs_ = spaceMs_ = 0;
    wordSpaceNext_ = false;
    letterGapMs_ = 0;
}

void KeyTimingDecoder::SetLimits(int wpm, int weight)
{
    limits_ = KeyTimingLimitsFor(wpm, weight);
    showTimings(false);
}

void KeyTimingDecoder::showTimings(bool withLast)
{
    std::string text = KeyTimingText(limits_);
    if (withLast)
        text += "  s:" + std::to_string(markMs_) + "  i:" + std::to_string(spaceMs_);
    output_.ShowTimings(text);
}

void KeyTimingDecoder::ForgetTimes()
{
    pressTime_.reset();
    releaseTime_.reset();
}

void KeyTimingDecoder::ClearLetter()
{
    timer_.Stop();
    elements_.clear();
    lastElement_.clear();
}

void KeyTimingDecoder::AppendElements(const std::string &signs)
{
    elements_ += signs;
}

void KeyTimingDecoder::KeyDown(Clock::time_point at)
{
    timer_.Stop();
    keyIsDown_ = true;
    pressTime_ = at;
    if (!releaseTime_)
        return;
    spaceMs_ = elapsedMs(*releaseTime_, at);
    if (spaceMs_ < BounceMs) {
        // A bounce: the letter is dropped and the coming release is not classified.
        elements_.clear();
        lastElement_.clear();
        ForgetTimes();
    }
}

void KeyTimingDecoder::KeyUp(Clock::time_point at)
{
    lastElement_.clear();
    keyIsDown_ = false;
    if (pressTime_) {
        releaseTime_ = at;
        markMs_ = elapsedMs(*pressTime_, at);
        if (markMs_ < BounceMs) {
            elements_.clear();
            lastElement_.clear();
            ForgetTimes();
        } else {
            lastElement_ = std::string(1, ClassifyMark(markMs_, limits_, unlimitedDash_));
            elements_ += lastElement_;
            wordSpaceNext_ = false;
            letterGapMs_ = limits_.letterGap;
            timer_.Start(letterGapMs_);
        }
    }
    if (!lastElement_.empty())
        output_.AppendElementLine(lastElement_);
    showTimings(true);
}

void KeyTimingDecoder::KeyerTextEnded(int letterGapMs)
{
    timer_.Stop();
    wordSpaceNext_ = false;
    letterGapMs_ = std::max(0, letterGapMs);
    if (letterGapMs_ != 0)
        timer_.Start(letterGapMs_);
}

void KeyTimingDecoder::GapTimerExpired()
{
    timer_.Stop();
    if (wordSpaceNext_) {
        output_.WordSpace();
        return;
    }
    const std::string code = std::exchange(elements_, std::string());
    lastElement_.clear();
    releaseTime_.reset();
    // Nothing keyed, nothing written: neither a character nor the word space after it.
    if (code.empty())
        return;
    output_.DecodeCharacter(code);
    wordSpaceNext_ = true;
    if (letterGapMs_ != 0)
        timer_.Start(2 * letterGapMs_);
}
