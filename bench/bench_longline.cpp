// Opening a text of one long line in the file mode of the program's own window: the file
// chosen in the dialog, read, shown in the file box and its visible part painted, as a user's
// click on File does. Arguments: the line's length in KiB, and 1 for a blank after every 11
// letters (0: no blank at all). Counter `peak_growth_MB`: how much the process's peak memory
// grew over the runs. Target for 16 MiB, with or without blanks: under 1 s and 1 GB.
// Runs offscreen with a silent output.

#include "bench/programwindows.h"
#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/opendialogs.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "training/filetext.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sys/resource.h>

namespace {

QTemporaryDir *files = nullptr;

long peakKilobytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_OpenOneLongLine(benchmark::State &state)
{
    const auto kib = static_cast<std::size_t>(state.range(0));
    const bool blanks = state.range(1) != 0;
    std::string line(kib * 1024, 'e');
    if (blanks) {
        for (std::size_t i = 11; i < line.size(); i += 12)
            line[i] = ' ';
    }
    const QString path = files->filePath(QStringLiteral("line%1-%2.txt").arg(kib).arg(blanks));
    std::ofstream(path.toStdString(), std::ios::binary) << line;
    line = std::string();
    OpenFileDialogRunner() = [path](QFileDialog &) { return std::optional<QString>(path); };
    QPlainTextEdit *box = FileText().FileEdit;
    const long peakBefore = peakKilobytes();
    for (auto _ : state) {
        Form1->RadioButtonFile->click();
        box->repaint();
        if (!FileText().TextLoaded || FileText().FileTextLines.size() != 1)
            state.SkipWithError("the text was not opened");
    }
    state.counters["peak_growth_MB"] = double(peakKilobytes() - peakBefore) / 1024.0;
}
BENCHMARK(BM_OpenOneLongLine)
    ->Args({256, 0})
    ->Args({1024, 0})
    ->Args({16 * 1024 - 1, 0})
    ->Args({16 * 1024 - 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir texts;
    files = &texts;
    // The one-time encoding warning would wait for its OK.
    return RunBenchmarksOnProgramWindows(argc, argv, [] { WarnAnsiShown = true; });
}
