#pragma once

// The audio decoder's band-pass filter: a biquad of unit gain at its centre frequency and
// -3 dB at centre ± bandwidth / 2, at the input's 11025 frames per second, computed in
// extended precision. The filter works on 8-bit unsigned samples (silence 128) and gives
// 8-bit samples back.

#include <cstdint>

struct BandPassCoefficients {
    long double a0 = 0, a1 = 0, a2 = 0, b1 = 0, b2 = 0;
};

// The ranges of the filter window's up-downs; values from a file or a caller are held to them
// (a bandwidth of 0 would divide by zero).
constexpr int FilterCenterMin = 500, FilterCenterMax = 1500, FilterCenterStep = 10;
constexpr int FilterBandwidthMin = 50, FilterBandwidthMax = 400, FilterBandwidthStep = 50;
constexpr int FilterCenterDefault = 800, FilterBandwidthDefault = 100;
constexpr int InputSampleRate = 11025;

int HeldFilterCenter(int fc);
int HeldFilterBandwidth(int bw);

// ComputeBandPassCoefficients: fc and bw in Hz, held to their ranges first.
BandPassCoefficients ComputeBandPassCoefficients(int fc, int bw);

// One channel's filter with its own history.
class BandPassChannel {
public:
    void Clear() { x1_ = x2_ = y1_ = y2_ = 0; }
    // One sample through the filter: (s - 128) / 128 in, Int((y + 1) * 128) out, held to 0..255.
    std::uint8_t Filter(std::uint8_t sample, const BandPassCoefficients &c);

private:
    long double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};
