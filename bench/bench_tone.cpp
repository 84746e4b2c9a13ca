// Tone tables and sample rendering: the cost of a table rebuild (every pitch, level or noise
// change, and once per character while drift is on) and of turning text into samples.

#include "engine/morsecode.h"
#include "engine/random.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

void BM_BuildToneTables(benchmark::State &state)
{
    ToneTables t;
    const int mode = static_cast<int>(state.range(0));
    if (mode == 1)
        t.setExamTone(true);
    if (mode == 2)
        t.setToneFrequency(812.5); // no short period: every frame is computed
    for (auto _ : state) {
        t.BuildToneTables();
        benchmark::DoNotOptimize(t.ToneBuffer().data());
    }
    state.SetLabel(mode == 0 ? "800 Hz" : mode == 1 ? "exam tone" : "812.5 Hz");
}
BENCHMARK(BM_BuildToneTables)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Renders text character by character as the sending engine does (elements, element gaps,
// character spaces, blanks) until one hour of sound at 20 wpm is made. Counter "realtime" is
// seconds of sound per second of processor time.
void BM_RenderOneHour(benchmark::State &state)
{
    const bool effects = state.range(0) != 0;
    const bool drift = state.range(0) == 2;
    RandomSeed(1);
    Timing timing;
    timing.setSpeed(20);
    ToneGenerator g;
    g.Tables.setNoiseLevel(ToneTables::NoiseLevelForPosition(10));
    g.Tables.BuildToneTables();
    ActiveEffects active{effects, effects, drift};

    const std::string text = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 ";
    const long long hourValues = 3600LL * ValuesPerSecond;
    const std::size_t gap = timing.GapValues();
    std::vector<std::int16_t> buffer;

    long long totalValues = 0;
    for (auto _ : state) {
        long long made = 0;
        std::size_t i = 0;
        while (made < hourValues) {
            const char c = text[i++ % text.size()];
            if (c == ' ') {
                std::size_t len = timing.BlankGapUnits() * gap;
                buffer.resize(len);
                RenderSilence(g.Tables, active.Noise, buffer, 0, len, false);
                made += len;
                continue;
            }
            std::string_view code = MorseCodes[c];
            std::size_t len = timing.CharacterSpaceGapUnits(false, false) * gap;
            for (char sign : code)
                len += timing.ElementValues(sign) + gap;
            buffer.resize(len);
            auto start = g.BeginCharacter(active, timing.Speed());
            std::size_t p = 0;
            for (char sign : code) {
                p = RenderElement(g.Tables, start.effects, buffer, p, timing.ElementValues(sign));
                p = RenderSilence(g.Tables, start.effects.Noise, buffer, p, gap, true);
            }
            p = RenderSilence(g.Tables, start.effects.Noise, buffer, p, len - p, false);
            benchmark::DoNotOptimize(buffer.data());
            if (start.driftStepped)
                g.Tables.BuildToneTables();
            made += len;
        }
        totalValues += made;
    }
    state.counters["realtime"] = benchmark::Counter(
        static_cast<double>(totalValues) / ValuesPerSecond, benchmark::Counter::kIsRate);
    state.SetLabel(drift ? "noise+QSB+drift" : effects ? "noise+QSB" : "plain");
}
BENCHMARK(BM_RenderOneHour)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
