#pragma once

// Morse as a sound card would capture it, for the audio decoder's tests and benchmarks: a
// keyed sine at 11025 frames per second, stereo, 8 bit unsigned, with a soft rise and fall,
// in standard timing, optionally with white noise at a signal-to-noise ratio measured in a
// 500 Hz band; and a recorder of what the decoder writes, as the monitor would write it.

#include "engine/audiodecoder.h"
#include "engine/characterdecoder.h"
#include "engine/morsecode.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morsesignal {

struct Options {
    int wpm = 20;
    double amplitude = 0.8; // of full scale
    double frequency = 800;
    double snrDb = std::numeric_limits<double>::infinity();
    unsigned seed = 1;
    double leadMs = 300;
    double tailMs = 2000;
};

constexpr int Rate = 11025;

inline std::vector<std::uint8_t> signal(std::string_view text, const Options &o = {})
{
    // (key down, frames): dot 1200 / wpm ms, dash 3 dots, gaps of 1, 3 and 7 dots.
    const double dot = 1.2 / o.wpm * Rate;
    std::vector<std::pair<bool, double>> parts{{false, o.leadMs / 1000 * Rate}};
    for (char c : text) {
        const std::string_view code = DefaultMorseCodes[c];
        if (c == ' ')
            parts.back().second += 4 * dot;
        for (std::size_t e = 0; e < code.size(); ++e) {
            parts.push_back({true, (code[e] == '-' ? 3 : 1) * dot});
            parts.push_back({false, e + 1 < code.size() ? dot : 3 * dot});
        }
    }
    parts.back().second += o.tailMs / 1000 * Rate;
    std::mt19937 random(o.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double sigma = std::isinf(o.snrDb)
        ? 0.0
        : std::sqrt(o.amplitude * o.amplitude / 2 / std::pow(10.0, o.snrDb / 10) * (Rate / 2.0) / 500.0);
    const double rise = 0.004 * Rate;
    std::vector<std::uint8_t> frames;
    double position = 0;
    for (const auto &[on, length] : parts) {
        const long start = std::lround(position), end = std::lround(position += length);
        for (long n = start; n < end; ++n) {
            const double envelope = on ? std::min({1.0, (n - start) / rise, (end - n) / rise}) : 0.0;
            const double tone = o.amplitude * envelope * std::sin(2 * std::numbers::pi * o.frequency * n / Rate);
            for (int channel = 0; channel < 2; ++channel)
                frames.push_back(static_cast<std::uint8_t>(
                    std::clamp(std::lround((tone + sigma * gauss(random)) * 128 + 128), 0L, 255L)));
        }
    }
    return frames;
}

inline std::vector<std::uint8_t> silence(std::size_t frames)
{
    return std::vector<std::uint8_t>(frames * 2, 128);
}

class Recorder : public AudioDecoderOutput {
public:
    void AppendElementLine(const std::string &signs) override { line += signs; }
    void RewriteElementLine(std::size_t count, const std::string &signs) override
    {
        line.resize(line.size() - std::min(count, line.size()));
        line += signs;
        ++rewrites;
    }
    void DecodeCharacter(const std::string &code) override
    {
        line += ' ';
        codes.push_back(code);
        text += DecodeElements(code, DefaultMorseCodes, {}, {}, {}).text;
    }
    void WordSpace() override { text += ' '; }
    void ShowEstimates(const std::string &shown) override { estimates = shown; }

    std::string text, line, estimates;
    std::vector<std::string> codes;
    int rewrites = 0;
};

// Feeds `frames` in blocks of the input's size.
inline void feed(AudioDecoder &decoder, std::span<const std::uint8_t> frames)
{
    for (std::size_t at = 0; at < frames.size(); at += 2220)
        decoder.ProcessBlock(frames.subspan(at, std::min<std::size_t>(2220, frames.size() - at)));
}

// Levenshtein distance: the errors of a decoded text.
inline std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j)
            diagonal = std::exchange(row[j], std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])}));
    }
    return row[b.size()];
}

// Plain text starting with a dot (the decoder takes its first tone for a dot).
inline constexpr std::string_view PlainText =
    "EVERY EVENING THE OLD RADIO OPERATOR SAT BY THE WINDOW AND LISTENED TO THE SIGNALS FROM SHIPS "
    "FAR OUT AT SEA. HE WROTE EACH CALL IN HIS LOG BOOK WITH A PENCIL, AND WHEN THE BAND WAS QUIET "
    "HE SENT A SHORT MESSAGE TO HIS FRIENDS ACROSS THE MOUNTAINS. THE KEY WAS OLD BUT THE RHYTHM "
    "WAS STEADY AND CLEAN, AND THE REPLIES CAME BACK QUICKLY FROM NEAR AND FAR. ";

} // namespace morsesignal
