// A quick random series in the program's own window: the series is drawn, queued, "sent"
// without sound by the playback cycle, counted down and written into the memo, one unit after
// the other, as Ctrl+Shift+F11 does. Target: 1001 characters in under 50 ms, the stack no
// deeper for a long series than for a short one. Runs offscreen with a silent output.

#include "bench/programwindows.h"
#include "engine/random.h"
#include "platform/audiooutput.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "training/random.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// The stack addresses seen at each unit of the series.
std::uintptr_t lowest = UINTPTR_MAX;
std::uintptr_t highest = 0;

void BM_QuickSeries(benchmark::State &state)
{
    RandomSeed(1);
    Form1->findChild<QSpinBox *>(QStringLiteral("SpinEditRandomNumber"))->setValue(static_cast<int>(state.range(0)));
    auto *quick = Form1->findChild<QAction *>(QStringLiteral("MenuQuickRandom"));
    auto *memo = Form1->findChild<QPlainTextEdit *>(QStringLiteral("MemoRandom"));
    lowest = UINTPTR_MAX;
    highest = 0;
    for (auto _ : state) {
        quick->trigger();
        if (RandomGroups().RandomCharCount > 1)
            state.SkipWithError("the series did not run to its end");
    }
    benchmark::DoNotOptimize(memo->document()->characterCount());
    state.counters["characters"] = static_cast<double>(state.range(0)) + 1;
    state.counters["stack_span_bytes"] = static_cast<double>(highest - lowest);
}
BENCHMARK(BM_QuickSeries)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarksOnProgramWindows(argc, argv, [] {
        Form1->RadioButtonRandom->click();
        // Every unit of the series is asked for here: note how deep the stack is each time.
        Hooks().randomNextUnit = [next = Hooks().randomNextUnit] {
            int mark = 0;
            const auto at = reinterpret_cast<std::uintptr_t>(&mark);
            lowest = std::min(lowest, at);
            highest = std::max(highest, at);
            next();
        };
    });
}
