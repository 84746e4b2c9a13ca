#pragma once

// Morse as a sound card would capture it, for the audio decoder's tests and benchmarks: a
// keyed sine at 11025 frames per second, stereo, 8 bit unsigned, with a soft rise and fall,
// in standard timing (dot 1200 / wpm ms, dash 3 dots, gaps of 1, 3 and 7 dots), optionally
// with white noise at a signal-to-noise ratio measured in a 500 Hz band. Also the decoder
// wired to a recorder that writes what the monitor would write.

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
#include <vector>

namespace morsesignal {

struct Options {
    int wpm = 20;
    double amplitude = 0.8; // of full scale
    double frequency = 800;
    double riseMs = 4;
    double snrDb = std::numeric_limits<double>::infinity(); // in a 500 Hz band
    unsigned seed = 1;
    double leadMs = 300;
    double tailMs = 2000;
};

constexpr int Rate = 11025;

// The keyed envelope (0..1 per frame) of `text`.
inline std::vector<double> envelope(std::string_view text, const Options &o)
{
    const double dot = 1.2 / o.wpm * Rate;
    std::vector<std::pair<bool, double>> parts; // (on, frames)
    parts.push_back({false, o.leadMs / 1000 * Rate});
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == ' ') {
            parts.back().second += 4 * dot; // a word gap: 7 dots after the character gap of 3
            continue;
        }
        const std::string_view code = DefaultMorseCodes[text[k]];
        for (std::size_t e = 0; e < code.size(); ++e) {
            parts.push_back({true, (code[e] == '-' ? 3 : 1) * dot});
            parts.push_back({false, e + 1 < code.size() ? dot : 3 * dot});
        }
    }
    parts.back().second += o.tailMs / 1000 * Rate;
    std::vector<double> env;
    const double rise = std::max(1.0, o.riseMs / 1000 * Rate);
    double position = 0;
    for (const auto &[on, frames] : parts) {
        const std::size_t start = static_cast<std::size_t>(std::lround(position));
        position += frames;
        const std::size_t end = static_cast<std::size_t>(std::lround(position));
        for (std::size_t n = start; n < end; ++n) {
            const double into = static_cast<double>(n - start);
            const double left = static_cast<double>(end - n);
            env.push_back(on ? std::min({1.0, into / rise, left / rise}) : 0.0);
        }
    }
    return env;
}

// The captured frames: the tone on both channels.
inline std::vector<std::uint8_t> signal(std::string_view text, const Options &o = {})
{
    const std::vector<double> env = envelope(text, o);
    std::mt19937 random(o.seed);
    const double signalPower = o.amplitude * o.amplitude / 2;
    const double sigma = std::isinf(o.snrDb)
        ? 0.0
        : std::sqrt(signalPower / std::pow(10.0, o.snrDb / 10) * (Rate / 2.0) / 500.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<std::uint8_t> frames;
    frames.reserve(env.size() * 2);
    for (std::size_t n = 0; n < env.size(); ++n) {
        const double tone = o.amplitude * env[n] * std::sin(2 * std::numbers::pi * o.frequency * n / Rate);
        for (int c = 0; c < 2; ++c) {
            const double v = tone + sigma * noise(random);
            frames.push_back(static_cast<std::uint8_t>(std::clamp(std::lround(v * 128 + 128), 0L, 255L)));
        }
    }
    return frames;
}

// Silence (128) frames.
inline std::vector<std::uint8_t> silence(std::size_t frames)
{
    return std::vector<std::uint8_t>(frames * 2, 128);
}

// What the decoder writes, as the monitor would write it (default options, upper case).
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
        static const std::array<std::string, 7> words{"wait", "error", "transmit", "end of work", "understood",
                                                      "end of message", "break"};
        text += DecodeElements(code, DefaultMorseCodes, CharacterDecoderOptions{}, words, {}).text;
    }
    void WordSpace() override { text += ' '; }
    void ShowEstimates(const std::string &shown) override { estimates = shown; }

    std::string text;
    std::string line;
    std::vector<std::string> codes;
    std::string estimates;
    int rewrites = 0;
};

// Feeds `frames` to `decoder` in blocks of the input's size.
inline void feed(AudioDecoder &decoder, std::span<const std::uint8_t> frames, std::size_t blockBytes = 2220)
{
    for (std::size_t at = 0; at < frames.size(); at += blockBytes)
        decoder.ProcessBlock(frames.subspan(at, std::min(blockBytes, frames.size() - at)));
}

// Levenshtein distance over characters: the errors of a decoded text.
inline std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A plain English text of a few hundred characters, starting with a letter whose code starts
// with a dot (the decoder takes its first tone for a dot).
inline constexpr std::string_view PlainText =
    "EVERY EVENING THE OLD RADIO OPERATOR SAT BY THE WINDOW AND LISTENED TO THE SIGNALS FROM SHIPS "
    "FAR OUT AT SEA. HE WROTE EACH CALL IN HIS LOG BOOK WITH A PENCIL, AND WHEN THE BAND WAS QUIET "
    "HE SENT A SHORT MESSAGE TO HIS FRIENDS ACROSS THE MOUNTAINS. THE KEY WAS OLD BUT THE RHYTHM "
    "WAS STEADY AND CLEAN, AND THE REPLIES CAME BACK QUICKLY FROM NEAR AND FAR. ";

} // namespace morsesignal
