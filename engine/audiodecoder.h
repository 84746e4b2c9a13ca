#pragma once

// The audio decoder: Morse received as sound on the input (8-bit unsigned stereo frames at
// 11025 per second, silence 128) becomes elements, characters and word spaces. A peak level
// over the last 30 frames of the chosen channel, optionally band-pass filtered, is compared
// with a threshold; the lengths of the tones and gaps teach the decoder the dot (p), dash (d)
// and element-space (i) lengths as it goes, so it follows the sender's speed:
//  - a tone longer than 2p is a dash, else a dot;
//  - a gap longer than 2i ends the character; a silence longer than 5.5i ends it with a word
//    space;
//  - a gap shorter than i/2 means the sender has become faster: the elements so far were
//    dashes;
//  - tones and gaps shorter than 165 frames (about 15 ms) drop the letter.
// The first tone after a cold start is taken as a dot. With i unknown, a first dash sets i
// to a third of its length (one element space): half its length would put the character gap
// of a lone "T" right on the 2i limit, where detection that lengthens tones makes the "T"
// merge with the next letter.
//
// What the decoder finds goes to an AudioDecoderOutput (the monitor's element line, memo and
// state label in the program; a recorder in tests).

#include "engine/bandpass.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class AudioDecoderOutput {
public:
    virtual ~AudioDecoderOutput() = default;
    // A taken element's sign for the element line.
    virtual void AppendElementLine(const std::string &signs) = 0;
    // The last `count` signs of the element line are replaced by `signs`.
    virtual void RewriteElementLine(std::size_t count, const std::string &signs) = 0;
    // A character's elements, to be written as its character.
    virtual void DecodeCharacter(const std::string &code) = 0;
    virtual void WordSpace() = 0;
    // " p=660  t=1980  i=660  C=.-"
    virtual void ShowEstimates(const std::string &text) = 0;
};

class AudioDecoder {
public:
    static constexpr int WindowFrames = 30;
    static constexpr int MinimumElement = 165;
    static constexpr int MaxThreshold = 127;
    static constexpr int DefaultThreshold = 64;
    enum Channel { Left = 0, Right = 1 };

    explicit AudioDecoder(AudioDecoderOutput &output);

    // Entering the audio monitor: levels, tone positions, elements and the filter history are
    // cleared and the decoder waits for silence first; the learnt p, d and i stay.
    void Reset();
    // A channel chosen: the tone positions and p, d and i are unknown again.
    void ForgetEstimates();

    void SetThreshold(int threshold); // held to 0..127
    int Threshold() const { return threshold_; }
    void SetChannel(Channel channel) { channel_ = channel; }
    Channel CurrentChannel() const { return channel_; }
    // The filter on the chosen channel only; the other channel stays raw.
    void SetFilter(bool on) { filterOn_ = on; }
    void SetFilterCoefficients(const BandPassCoefficients &c) { coefficients_ = c; }

    // One block of interleaved frames (left, right), whatever its length.
    void ProcessBlock(std::span<const std::uint8_t> stereo);

    // Peaks of the last frame processed, 0..128.
    int LeftPeak() const { return peak_[Left]; }
    int RightPeak() const { return peak_[Right]; }
    // A peak as the level bars show it, 0..100.
    static int LevelPercent(int peak);

    int DotEstimate() const { return p_; }
    int DashEstimate() const { return d_; }
    int SpaceEstimate() const { return i_; }
    const std::string &Elements() const { return elements_; }
    bool KeyIsDown() const { return keyIsDown_; }

private:
    struct PeakWindow {
        std::array<std::uint8_t, WindowFrames> values{};
        int next = 0;
        int max = 0;
        // The peak of the last WindowFrames magnitudes, this one included.
        int push(int magnitude);
    };

    void toneEnd(long t);
    void toneStart(long t, long n);
    void steady(long t);
    void take(char sign);
    void dash(int mark);
    void dot(int mark);
    void dropPending();

    AudioDecoderOutput &output_;
    BandPassCoefficients coefficients_ = ComputeBandPassCoefficients(FilterCenterDefault, FilterBandwidthDefault);
    std::array<BandPassChannel, 2> filter_;
    std::array<PeakWindow, 2> window_;
    std::array<int, 2> peak_{};
    int threshold_ = DefaultThreshold;
    Channel channel_ = Left;
    bool filterOn_ = false;

    bool keyIsDown_ = true;
    bool codeFlushed_ = false;
    long base_ = 0;
    long lastBlockFrames_ = 0;
    long markStart_ = -1, markEnd_ = -1;
    int p_ = -1, d_ = -1, i_ = -1;
    std::string elements_;
    bool taken_ = false; // a mark or a space taken in this block
};
