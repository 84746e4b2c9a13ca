#pragma once

// Benchmarks of the program's own windows: offscreen, with settings and data in temporary
// folders and a silent sound output. `prepare` runs once the main window shows, before the
// benchmarks.

#include "bench/silentoutput.h"
#include "modules.h"
#include "shell/mainwindow.h"
#include "shell/soundengine.h"
#include "shell/startup.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>

inline int RunBenchmarksOnProgramWindows(int argc, char **argv, const std::function<void()> &prepare = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    QTemporaryDir data;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", data.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<SilentOutput>()); };
    TerminateApplication = [] {};
    RegisterProgramModules();
    if (!CreateAllWindows())
        return 1;
    Form1->show();
    if (prepare)
        prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
