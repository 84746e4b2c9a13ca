// Character spacing as heard: the sending engine plays a text through the real PortAudio
// output into a private PulseAudio server's null sink, whose monitor parec records in real
// time, as a sound card would take it. Every silence between two sounds of the recording is
// compared with the same silence in the buffers the engine rendered.
//
// Run it through bench/soundgaps.sh, which starts the server and points the program at it.
// Counters per run: gaps measured, gaps that differ from the rendered ones, the largest
// difference in frames.

#include "engine/enginestate.h"
#include "engine/playbackcycle.h"
#include "engine/sendingengine.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "platform/portaudiooutput.h"
#include "tests/engine/fakeenginehost.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;

class RecordingOutput : public PortAudioOutput {
public:
    int write(Tag tag, const std::int16_t *data, std::size_t values) override
    {
        rendered.insert(rendered.end(), data, data + values);
        ++writes;
        return PortAudioOutput::write(tag, data, values);
    }
    Samples rendered;
    int writes = 0;
};

// Timer1 for real, as the main window has it.
class BenchHost : public FakeEngineHost {
public:
    explicit BenchHost(PlaybackCycle *&cycle) : m_cycle(cycle)
    {
        m_timer1.setSingleShot(true);
        m_timer1.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer1, &QTimer::timeout, [this] { m_cycle->Timer1Timer(); });
    }
    void startTimer1(int ms) override { m_timer1.start(ms); }
    void stopTimer1() override { m_timer1.stop(); }

private:
    PlaybackCycle *&m_cycle;
    QTimer m_timer1;
};

// Runs the event loop (sleeping while nothing happens) until the condition holds.
void waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(2);
    while (!condition() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::vector<std::size_t> gaps(const Samples &s)
{
    std::vector<std::size_t> result;
    std::size_t run = 0;
    bool sounded = false;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        if (s[i] == 0 && s[i + 1] == 0) {
            ++run;
            continue;
        }
        if (sounded && run >= 20)
            result.push_back(run);
        sounded = true;
        run = 0;
    }
    return result;
}

// `text` is sent as typed; or, with `keyerElements` > 0, both paddles of the keyer are held
// from a dot on (dash, dot, dash, ...) until that many elements have started.
void measureGaps(benchmark::State &state, const std::string &text, int keyerElements)
{
    const int wpm = static_cast<int>(state.range(0));
    const char *sink = std::getenv("KESTRELON_GAP_SINK");
    if (!sink) {
        state.SkipWithError("run through bench/soundgaps.sh");
        return;
    }
    for (auto _ : state) {
        QProcess parec;
        parec.start(QStringLiteral("parec"), {QStringLiteral("-d"), QString::fromLatin1(sink) + ".monitor",
                                              QStringLiteral("--rate=22050"), QStringLiteral("--channels=2"),
                                              QStringLiteral("--format=s16le"), QStringLiteral("--raw"),
                                              QStringLiteral("--latency-msec=10")});
        if (!parec.waitForStarted(5000)) {
            state.SkipWithError("parec did not start");
            return;
        }
        QByteArray captured;
        QObject::connect(&parec, &QProcess::readyReadStandardOutput,
                         [&] { captured += parec.readAllStandardOutput(); });
        waitUntil([] { return false; }, 300);

        EngineState engineState;
        PlaybackCycle *cyclePtr = nullptr;
        BenchHost host(cyclePtr);
        RecordingOutput output;
        Timing timing;
        timing.setSpeed(wpm);
        timing.setStartSilence(0);
        ToneGenerator tone;
        tone.Tables.BuildToneTables();
        EffectSwitches effects;
        SendingEngine engine(engineState, host, output, timing, tone, effects);
        PlaybackCycle cycle(engineState, host, output, engine);
        cyclePtr = &cycle;
        if (const int error = output.open(-1); error != 0) {
            state.SkipWithError(("no output: " + std::to_string(error)).c_str());
            return;
        }
        if (keyerElements > 0) {
            host.paddleKeyer = true;
            host.calibration = 0.2; // the program's default
            engineState.DashPaddleDown = engineState.DotPaddleDown = true;
            engineState.LastElementDot = true;
        }
        engineState.PlayQueue = text;
        cycle.BeginTransmission(true);
        waitUntil(
            [&] {
                if (output.writes >= keyerElements)
                    engineState.DashPaddleDown = engineState.DotPaddleDown = false;
                return engineState.PlaybackDone && engineState.PlayQueue.empty();
            },
            60000);
        waitUntil([] { return false; }, 500);
        output.close();
        parec.terminate();
        parec.waitForFinished(3000);
        captured += parec.readAllStandardOutput();

        Samples heard(captured.size() / 2);
        std::memcpy(heard.data(), captured.constData(), heard.size() * 2);
        const std::vector<std::size_t> expected = gaps(output.rendered), got = gaps(heard);
        std::size_t differing = 0, worst = 0;
        for (std::size_t i = 0; i < std::min(expected.size(), got.size()); ++i) {
            const std::size_t d = expected[i] > got[i] ? expected[i] - got[i] : got[i] - expected[i];
            differing += d != 0;
            worst = std::max(worst, d);
        }
        if (engineState.NoSoundCard) {
            state.SkipWithError("the output was given up");
            return;
        }
        state.counters["gaps"] = double(expected.size());
        state.counters["gaps_heard"] = double(got.size());
        state.counters["gaps_off"] = double(differing);
        state.counters["worst_frames"] = double(worst);
    }
}
void BM_GapsAsHeard(benchmark::State &state, std::string text)
{
    measureGaps(state, text, 0);
}

// The keyer's elements: each is written once the one before has been heard, when the paddles
// are read, so its gap is heard longer than rendered by the wait for the device's next block.
void BM_KeyerGapsAsHeard(benchmark::State &state)
{
    measureGaps(state, "t", 12);
}

BENCHMARK_CAPTURE(BM_GapsAsHeard, eeeee, std::string("eeeee"))->Arg(12)->Arg(40)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_GapsAsHeard, paris, std::string("paris paris"))->Arg(12)->Arg(40)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_KeyerGapsAsHeard)->Arg(12)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
