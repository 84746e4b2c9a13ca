#pragma once

// The main of a benchmark whose outputs deliver their reports through Qt's event loop (socket
// notifiers, timers): a core application must exist before any of them is made.

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#define KESTRELON_BENCHMARK_MAIN_WITH_EVENT_LOOP()                                                   \
    int main(int argc, char **argv)                                                                 \
    {                                                                                               \
        QCoreApplication app(argc, argv);                                                           \
        benchmark::Initialize(&argc, argv);                                                         \
        benchmark::RunSpecifiedBenchmarks();                                                        \
        benchmark::Shutdown();                                                                      \
        return 0;                                                                                   \
    }
