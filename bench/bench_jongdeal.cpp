// The tile-matching game's deal: one finished deal, with its retries after stuck attempts and
// the check that taking the pairs back in reverse placement order clears it; and the
// memory game's lay and program turn for the largest level. Target: a deal under 10 ms.

#include "engine/random.h"
#include "games/jongmodel.h"
#include "games/pairsmodel.h"

#include <benchmark/benchmark.h>

namespace {

void BM_JongDeal(benchmark::State &state)
{
    RandomSeed(1);
    long attempts = 0;
    for (auto _ : state) {
        jong::Game game;
        attempts += game.DealUntilDone();
        benchmark::DoNotOptimize(game.placementOrder);
    }
    state.counters["attempts"] = benchmark::Counter(double(attempts), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_JongDeal)->Unit(benchmark::kMillisecond);

void BM_PairsLayAndProgramTurn(benchmark::State &state)
{
    RandomSeed(1);
    pairs::BestScores best;
    best.fill(pairs::NoBest);
    for (auto _ : state) {
        pairs::Game game;
        game.players = 2;
        game.NewGame(8);
        game.UserClick(1, best);
        game.UserClick(2, best);
        benchmark::DoNotOptimize(game.PlayProgramTurn());
    }
}
BENCHMARK(BM_PairsLayAndProgramTurn)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
