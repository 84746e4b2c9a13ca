// Opening a long practice text: reading a 10 000-line, 1 MB file and showing it in the file
// box, as the file mode does. Target: under 200 ms. Runs offscreen (no display needed).

#include "training/filetext.h"
#include "training/filetextcore.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fstream>

namespace {

std::string longText()
{
    // 10 000 lines of 98 characters and CR LF: 1 000 000 bytes, accented letters included.
    std::string line;
    while (line.size() < 98)
        line += "Le caf\xE9 de l'AFP, d\xE9j\xE0 ouvert. ";
    line.resize(98);
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += line + "\r\n";
    return text;
}

void BM_OpenAndShowLongText(benchmark::State &state)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("long.txt")).toStdString();
    std::ofstream(path, std::ios::binary) << longText();
    QPlainTextEdit box;
    box.resize(628, 210);
    box.show();
    for (auto _ : state) {
        const filetext::LoadedText loaded = filetext::LoadTextFile(path);
        box.setPlainText(FileTextForDisplay(loaded.lines, filetext::ShownRows(loaded.lines)));
        box.repaint();
        benchmark::DoNotOptimize(box.document()->blockCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1000000);
}
BENCHMARK(BM_OpenAndShowLongText)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
