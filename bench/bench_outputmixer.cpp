// Cost of the audio callback's work: mixing one host block from the queue of character
// buffers (copied ahead into the mixer's staging ring, then mixed), with buffers handed back
// and written again as the engine would.
#include "platform/outputmixer.h"

#include <benchmark/benchmark.h>

#include <vector>

static void BM_RenderBlock(benchmark::State &state)
{
    const auto frames = static_cast<std::size_t>(state.range(0));
    // A dot-sized character at 12 wpm: 16664 values.
    const std::vector<std::int16_t> character(16664, 1234);
    std::vector<std::int16_t> out(frames * 2);
    OutputMixer mixer;
    mixer.push(0, character.data(), character.size());
    AudioOutput::Tag tag = 0;
    for (auto _ : state) {
        if (mixer.render(out.data(), frames)) {
            while (mixer.popDone(tag))
                mixer.push(tag + 1, character.data(), character.size());
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(frames));
}
BENCHMARK(BM_RenderBlock)->Arg(55)->Arg(256)->Arg(1024);

BENCHMARK_MAIN();
