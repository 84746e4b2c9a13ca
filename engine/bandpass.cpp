#include "engine/bandpass.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int HeldFilterCenter(int fc)
{
    return std::clamp(fc, FilterCenterMin, FilterCenterMax);
}

int HeldFilterBandwidth(int bw)
{
    return std::clamp(bw, FilterBandwidthMin, FilterBandwidthMax);
}

BandPassCoefficients ComputeBandPassCoefficients(int fc, int bw)
{
    const long double f = HeldFilterCenter(fc);
    const long double b = HeldFilterBandwidth(bw);
    const long double q = f / b;
    const long double w0 = 2 * std::numbers::pi_v<long double> * f / InputSampleRate;
    const long double t = std::tan(w0 / (2 * q));
    const long double beta = 0.5L * (1 - t) / (1 + t);
    const long double gamma = (0.5L + beta) * std::cos(w0);
    BandPassCoefficients c;
    c.a0 = 0.5L - beta;
    c.a1 = 0;
    c.a2 = -c.a0;
    c.b1 = -2 * gamma;
    c.b2 = 2 * beta;
    return c;
}

std::uint8_t BandPassChannel::Filter(std::uint8_t sample, const BandPassCoefficients &c)
{
    const long double x = (static_cast<int>(sample) - 128) / 128.0L;
    const long double y = c.a0 * x + c.a1 * x1_ + c.a2 * x2_ - c.b1 * y1_ - c.b2 * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    // Int() truncates towards zero; then held to the byte's range.
    const long double scaled = std::trunc((y + 1) * 128);
    return static_cast<std::uint8_t>(std::clamp<long double>(scaled, 0, 255));
}
