#include "engine/audiodecoder.h"

#include "engine/timing.h"

#include <algorithm>
#include <cstdlib>

namespace {

int rounded(double x)
{
    return static_cast<int>(RoundHalfEven(x));
}

} // namespace

int AudioDecoder::PeakWindow::push(int magnitude)
{
    const int leaving = values[static_cast<std::size_t>(next)];
    values[static_cast<std::size_t>(next)] = static_cast<std::uint8_t>(magnitude);
    next = (next + 1) % WindowFrames;
    if (magnitude >= max) {
        max = magnitude;
    } else if (leaving == max) {
        // The peak leaves the window: look again.
        max = *std::max_element(values.begin(), values.end());
    }
    return max;
}

AudioDecoder::AudioDecoder(AudioDecoderOutput &output)
    : output_(output)
{
}

void AudioDecoder::Reset()
{
    peak_ = {};
    window_ = {};
    for (BandPassChannel &channel : filter_)
        channel.Clear();
    markStart_ = markEnd_ = -1;
    codeFlushed_ = false;
    keyIsDown_ = true;
    elements_.clear();
    base_ = 0;
    lastBlockFrames_ = 0;
}

void AudioDecoder::ForgetEstimates()
{
    markStart_ = markEnd_ = -1;
    p_ = d_ = i_ = -1;
}

void AudioDecoder::SetThreshold(int threshold)
{
    threshold_ = std::clamp(threshold, 0, MaxThreshold);
}

int AudioDecoder::LevelPercent(int peak)
{
    return std::clamp(rounded(peak / 128.0 * 100.0), 0, 100);
}

void AudioDecoder::ProcessBlock(std::span<const std::uint8_t> stereo)
{
    const long frames = static_cast<long>(stereo.size() / 2);
    base_ = markStart_ == -1 ? 0 : base_ + lastBlockFrames_;
    lastBlockFrames_ = frames;
    taken_ = false;
    const std::size_t chosen = channel_;
    for (long n = 0; n < frames; ++n) {
        std::array<std::uint8_t, 2> sample{stereo[static_cast<std::size_t>(2 * n)],
                                           stereo[static_cast<std::size_t>(2 * n + 1)]};
        if (filterOn_)
            sample[chosen] = filter_[chosen].Filter(sample[chosen], coefficients_);
        for (std::size_t c = 0; c < 2; ++c)
            peak_[c] = window_[c].push(std::abs(static_cast<int>(sample[c]) - 128));
        const int level = peak_[chosen];
        // Positions count from the base, which a reset below may move within the block.
        const long t = base_ + n;
        if (keyIsDown_ && level < threshold_)
            toneEnd(t);
        else if (!keyIsDown_ && level >= threshold_)
            toneStart(t, n);
        else if (!keyIsDown_)
            steady(t);
    }
    if (taken_)
        output_.ShowEstimates(" p=" + std::to_string(p_) + "  t=" + std::to_string(d_) + "  i="
                              + std::to_string(i_) + "  C=" + elements_);
}

void AudioDecoder::dash(int mark)
{
    d_ = d_ < 0 ? mark : rounded((d_ + mark) / 2.0);
    p_ = std::max(p_, rounded(d_ / 4.0));
}

void AudioDecoder::dot(int mark)
{
    p_ = rounded((p_ + mark) / 2.0);
    d_ = std::max(d_, 3 * p_);
}

void AudioDecoder::take(char sign)
{
    elements_ += sign;
    codeFlushed_ = false;
    taken_ = true;
    output_.AppendElementLine(std::string(1, sign));
}

void AudioDecoder::dropPending()
{
    elements_.clear();
}

void AudioDecoder::toneEnd(long t)
{
    keyIsDown_ = false;
    if (markStart_ == -1)
        return;
    markEnd_ = t;
    const int mark = static_cast<int>(markEnd_ - markStart_);
    if (mark < MinimumElement) {
        dropPending();
        base_ = 0;
        markStart_ = markEnd_ = -1;
        return;
    }
    if (p_ < 0) {
        // Cold start: the first tone is a dot.
        p_ = i_ = mark;
        d_ = 3 * mark;
        take('.');
    } else if (mark > 2 * p_) {
        dash(mark);
        if (i_ < 0)
            i_ = rounded(mark / 3.0);
        take('-');
    } else {
        dot(mark);
        if (i_ < 0)
            i_ = p_;
        take('.');
    }
}

void AudioDecoder::toneStart(long t, long n)
{
    keyIsDown_ = true;
    markStart_ = t;
    if (markEnd_ == -1 || i_ < 0)
        return;
    const long space = markStart_ - markEnd_;
    if (space < MinimumElement) {
        dropPending();
        base_ = 0;
        markStart_ = markEnd_ = -1;
        i_ = -1;
        return;
    }
    taken_ = true;
    if (space > 2L * i_) {
        // The character has ended; this tone starts the next one.
        base_ = 0;
        markStart_ = n;
        codeFlushed_ = false;
        output_.DecodeCharacter(elements_);
        elements_.clear();
        markEnd_ = -1;
        i_ = -1;
    } else if (2 * space < i_) {
        // Faster than learnt: what was taken for dots were dashes.
        d_ = p_;
        p_ = i_ = static_cast<int>(space);
        const std::string dashes(elements_.size(), '-');
        output_.RewriteElementLine(elements_.size(), dashes);
        elements_ = dashes;
    } else {
        i_ = std::max(p_, rounded((i_ + space) / 2.0));
    }
}

void AudioDecoder::steady(long t)
{
    if (codeFlushed_ || elements_.empty())
        return;
    // Unknown positions (a channel chosen meanwhile) flush at once, as 5.5 x -1 would.
    if (markEnd_ != -1 && i_ >= 0 && 2 * (t - markEnd_) <= 11L * i_)
        return;
    codeFlushed_ = true;
    output_.DecodeCharacter(elements_);
    output_.WordSpace();
    elements_.clear();
    base_ = 0;
    markStart_ = markEnd_ = -1;
    i_ = -1;
}
