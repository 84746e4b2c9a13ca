// The audio decoder per second of input, with and without its band-pass filter, and the
// character error rate it reaches on keyed tones in white noise.

#include "tests/engine/morsesignal.h"

#include <benchmark/benchmark.h>

using namespace morsesignal;

namespace {

// One second of input: PARIS at 20 wpm in noise at 10 dB (in a 500 Hz band).
std::vector<std::uint8_t> oneSecond()
{
    Options o;
    o.amplitude = 0.25;
    o.snrDb = 10;
    o.leadMs = 0;
    o.tailMs = 0;
    std::vector<std::uint8_t> frames = signal("PARIS PARIS PARIS ", o);
    frames.resize(2 * Rate);
    return frames;
}

void BM_DecodeOneSecond(benchmark::State &state)
{
    const std::vector<std::uint8_t> frames = oneSecond();
    Recorder out;
    AudioDecoder decoder(out);
    decoder.SetFilter(state.range(0) != 0);
    decoder.SetThreshold(19);
    for (auto _ : state) {
        feed(decoder, frames);
        benchmark::DoNotOptimize(decoder.LeftPeak());
    }
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeOneSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The plain text at 20 wpm, threshold at 60 % of the tone's peak, filter 800 Hz wide
// range(1) Hz; the counter `cer` is the share of characters decoded wrongly (edit distance).
void BM_CharacterErrorRate(benchmark::State &state)
{
    double errors = 0;
    unsigned seed = 1;
    for (auto _ : state) {
        Options o;
        o.amplitude = 0.25;
        o.snrDb = static_cast<double>(state.range(0));
        o.seed = seed++;
        Recorder out;
        AudioDecoder decoder(out);
        decoder.SetFilter(true);
        decoder.SetFilterCoefficients(ComputeBandPassCoefficients(800, static_cast<int>(state.range(1))));
        decoder.SetThreshold(19);
        feed(decoder, signal(PlainText, o));
        errors += static_cast<double>(editDistance(out.text, PlainText)) / PlainText.size();
    }
    state.counters["cer"] = errors / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CharacterErrorRate)
    ->ArgsProduct({{10, 6, 3}, {50, 100}})
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
