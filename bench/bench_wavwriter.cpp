// Recording a long text as a WAV file: the time for 2000 words at 20 wpm (about 100 minutes
// of Morse) and the memory the recording takes as the text grows.

#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "engine/wavwriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::string words(int count)
{
    std::string text = " ";
    for (int i = 0; i < count; ++i)
        text += "paris ";
    return text;
}

std::string targetPath()
{
    const char *folder = std::getenv("TMPDIR");
    return std::string(folder ? folder : "/tmp") + "/bench_wavwriter_" + std::to_string(::getpid()) + ".wav";
}

long peakKilobytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Arguments: words, channels. Writes a real file (then removes it); counters: seconds of sound
// per second, megabytes written, and the growth of the process's peak memory during the runs.
void BM_RecordFile(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    const WavFormat format{1, static_cast<int>(state.range(1)), 16};
    Timing timing;
    timing.setSpeed(20);
    ToneTables tables;
    const std::string text = words(count);
    const std::string path = targetPath();
    const long peakBefore = peakKilobytes();
    WavResult result;
    for (auto _ : state) {
        WavFile file(path);
        result = RecordWavFile(file, text, MorseCodes, timing, tables, format);
        if (result.error != 0) {
            state.SkipWithError("the recording failed");
            break;
        }
    }
    std::remove(path.c_str());
    const double seconds = double(result.dataBytes) / format.ByteRate();
    state.counters["sound_min"] = seconds / 60.0;
    state.counters["MB"] = double(result.dataBytes) / 1e6;
    state.counters["peak_growth_kB"] = double(peakKilobytes() - peakBefore);
    state.SetLabel(format.Channels == 2 ? "22050 Hz stereo 16-bit" : "22050 Hz mono 16-bit");
}
BENCHMARK(BM_RecordFile)
    ->Args({500, 2})
    ->Args({2000, 2})
    ->Args({2000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
