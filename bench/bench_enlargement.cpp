// The enlargement on the program's own windows: one change of step (100 -> 200 -> 100 %, every
// control of the main window scaled from its design and back) and a side window shown and
// hidden at 150 %. Target: a change of step well under 100 ms, so the menu answers at once.
// Runs offscreen.

#include "bench/programwindows.h"
#include "shell/mainwindow.h"
#include "shell/soundengine.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/utilities.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

namespace {

QAction *step(int percent)
{
    return Form1->findChild<QAction *>(QStringLiteral("MenuAgrandir%1").arg(percent));
}

void BM_StepThereAndBack(benchmark::State &state)
{
    for (auto _ : state) {
        ClickMenuItem(step(200));
        ClickMenuItem(step(100));
    }
    state.counters["controls"] = static_cast<double>(Form1->centralWidget()->findChildren<QWidget *>().size());
}
BENCHMARK(BM_StepThereAndBack)->Unit(benchmark::kMillisecond);

void BM_SideWindowShownAt150(benchmark::State &state)
{
    ClickMenuItem(step(150));
    for (auto _ : state) {
        FormMonitorInfo->show();
        FormMonitorInfo->hide();
    }
    ClickMenuItem(step(100));
}
BENCHMARK(BM_SideWindowShownAt150)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarksOnProgramWindows(argc, argv);
}
