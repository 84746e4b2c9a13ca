// Character spacing as heard: the sending engine plays a text through the real PortAudio
// output into a private PulseAudio server's null sink, whose monitor parec records in real
// time, as a sound card would take it. Every silence between two sounds of the recording is
// compared with the same silence in the buffers the engine rendered.
//
// BM_HolesInElements plays a minute of text the same way and counts the holes heard inside
// elements (the stream ran dry), with the output's own count of underruns; run it with
// `soundgaps.sh --busy` for a loaded machine. KESTRELON_HOLES_DUMP=<prefix> keeps what was
// rendered and heard, KESTRELON_HOLES_FROM=<prefix> counts such a pair again without playing,
// KESTRELON_HOLES_VERBOSE lists where the holes are.
//
// Run it through bench/soundgaps.sh, which starts the server and points the program at it.
// Counters of BM_GapsAsHeard: gaps measured, gaps that differ from the rendered ones, the
// largest difference in frames.

#include "bench/eventloopmain.h"
#include "engine/enginestate.h"
#include "engine/playbackcycle.h"
#include "engine/sendingengine.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "platform/portaudiooutput.h"
#include "platform/runqueue.h"
#include "tests/engine/fakeenginehost.h"
#include "tests/engine/silences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
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

struct Take {
    Samples rendered;
    Samples heard;
    std::string error; // empty when the text was played and recorded
    double underruns = 0;  // as the stream's callback was told
    double realtime = 0;   // 1 when the callback thread got real-time scheduling
    double feeders = 0;    // the sound library's other threads of the stream raised with it
    double bufferMs = 0;   // the buffer time the output had reached at the end
};

// Plays `text` at `wpm` through the engine and the real output while parec records the sink;
// or, with `keyerElements` > 0, holds both paddles of the keyer from a dot on (dash, dot,
// dash, ...) until that many elements have started. `texts` > 1 sends it as that many texts
// of as many words each, a second apart (the idle moments where the output may change its
// buffer). `leadInMs`: the output is opened that long before the first text, as the program
// opens its own at start (time to take the step a crowded machine calls for). `bufferMs` > 0:
// the output keeps that buffer time (no steps), as with KESTRELON_BUFFER_MS.
Take playAndRecord(const std::string &text, int wpm, int keyerElements = 0, int texts = 1, int leadInMs = 0,
                   int bufferMs = 0)
{
    Take take;
    const char *sink = std::getenv("KESTRELON_GAP_SINK");
    if (!sink) {
        take.error = "run through bench/soundgaps.sh";
        return take;
    }
    QProcess parec;
    parec.start(QStringLiteral("parec"), {QStringLiteral("-d"), QString::fromLatin1(sink) + ".monitor",
                                          QStringLiteral("--rate=22050"), QStringLiteral("--channels=2"),
                                          QStringLiteral("--format=s16le"), QStringLiteral("--raw"),
                                          QStringLiteral("--latency-msec=10")});
    if (!parec.waitForStarted(5000)) {
        take.error = "parec did not start";
        return take;
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
    if (const char *ms = std::getenv("KESTRELON_BUFFER_MS"); ms || bufferMs > 0) {
        output.setBufferTime(std::chrono::duration<double>((ms ? std::atof(ms) : bufferMs) / 1000.0));
        output.setAdaptive(false);
    } else {
        output.setLoadGauge(RunQueueGauge()); // as the program's own output
    }
    if (const int error = output.open(-1); error != 0) {
        take.error = "no output: " + std::to_string(error);
        return take;
    }
    waitUntil([] { return false; }, leadInMs);
    if (keyerElements > 0) {
        host.paddleKeyer = true;
        host.calibration = 0.2; // the program's default
        engineState.DashPaddleDown = engineState.DotPaddleDown = true;
        engineState.LastElementDot = true;
    }
    std::vector<std::string> pieces(1, text);
    if (texts > 1) {
        std::vector<std::string> words;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find(' ', at), text.size() - 1) + 1;
            words.push_back(text.substr(at, end - at));
            at = end;
        }
        pieces.assign(std::size_t(texts), std::string());
        for (std::size_t i = 0; i < words.size(); ++i)
            pieces[i * std::size_t(texts) / words.size()] += words[i];
    }
    for (const std::string &piece : pieces) {
        engineState.PlayQueue = piece;
        cycle.BeginTransmission(true);
        waitUntil(
            [&] {
                if (output.writes >= keyerElements)
                    engineState.DashPaddleDown = engineState.DotPaddleDown = false;
                return engineState.PlaybackDone && engineState.PlayQueue.empty();
            },
            600000);
        waitUntil([] { return false; }, texts > 1 ? 1000 : 500);
    }
    take.bufferMs = output.bufferTime() * 1000.0;
    output.close();
    parec.terminate();
    parec.waitForFinished(3000);
    captured += parec.readAllStandardOutput();
    if (engineState.NoSoundCard) {
        take.error = "the output was given up";
        return take;
    }
    take.underruns = double(output.underruns());
    const realtime::Scheduling granted = output.audioScheduling();
    take.realtime = granted == realtime::Scheduling::Fifo || granted == realtime::Scheduling::RealtimeKit;
    take.feeders = output.feederThreadsRaised();
    take.heard.resize(captured.size() / 2);
    std::memcpy(take.heard.data(), captured.constData(), take.heard.size() * 2);
    take.rendered = std::move(output.rendered);
    return take;
}

// Each sound of `s` (a run of sound with no silence of MinSilence frames inside): where it
// starts and how many frames it lasts.
struct Sound {
    std::size_t start;
    std::size_t frames;
};
std::vector<Sound> sounds(const Samples &s)
{
    constexpr std::size_t MinSilence = 20;
    std::vector<Sound> result;
    std::size_t silent = MinSilence;
    for (std::size_t f = 0; 2 * f + 1 < s.size(); ++f) {
        if (s[2 * f] == 0 && s[2 * f + 1] == 0) {
            ++silent;
            continue;
        }
        if (silent >= MinSilence || result.empty())
            result.push_back({f, 0});
        result.back().frames = f + 1 - result.back().start;
        silent = 0;
    }
    return result;
}

// `text` is sent as typed.
void BM_GapsAsHeard(benchmark::State &state, std::string text)
{
    const int wpm = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const Take take = playAndRecord(text, wpm);
        if (!take.error.empty()) {
            state.SkipWithError(take.error.c_str());
            return;
        }
        const std::vector<std::size_t> expected = SilencesBetweenSounds(take.rendered), got = SilencesBetweenSounds(take.heard);
        std::size_t differing = 0, worst = 0;
        for (std::size_t i = 0; i < std::min(expected.size(), got.size()); ++i) {
            const std::size_t d = expected[i] > got[i] ? expected[i] - got[i] : got[i] - expected[i];
            differing += d != 0;
            worst = std::max(worst, d);
        }
        state.counters["gaps"] = double(expected.size());
        state.counters["gaps_heard"] = double(got.size());
        state.counters["gaps_off"] = double(differing);
        state.counters["worst_frames"] = double(worst);
    }
}

// Both paddles of the keyer held for 12 elements (dash, dot, dash, ...) at the default
// calibration, 4 s after the output opened, as the program's output has been open since its
// start: with the buffer the load calls for (range(1) 0, as the program), or a fixed one of
// range(1) ms. The program's output takes 10 ms on an idle machine and up to 80 ms (blocks of
// 441 frames) on a loaded one. The gaps heard after a dot and after a dash, against the
// keyer's gap as rendered.
void BM_KeyerGapsAsHeard(benchmark::State &state)
{
    const int wpm = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const Take take = playAndRecord("t", wpm, 12, 1, 4000, static_cast<int>(state.range(1)));
        if (!take.error.empty()) {
            state.SkipWithError(take.error.c_str());
            return;
        }
        const std::vector<std::size_t> expected = SilencesBetweenSounds(take.rendered);
        const std::vector<Sound> heard = sounds(take.heard);
        if (expected.empty() || heard.size() < 2) {
            state.SkipWithError("nothing heard");
            return;
        }
        // A sound longer than the shortest and the longest heard's midway is a dash.
        std::size_t shortest = heard.front().frames, longest = shortest;
        for (const Sound &h : heard) {
            shortest = std::min(shortest, h.frames);
            longest = std::max(longest, h.frames);
        }
        std::size_t afterDot = 0, afterDash = 0, differing = 0, worst = 0;
        for (std::size_t i = 0; i + 1 < heard.size(); ++i) {
            const std::size_t gap = heard[i + 1].start - heard[i].start - heard[i].frames;
            std::size_t &after = 2 * heard[i].frames > shortest + longest ? afterDash : afterDot;
            after = std::max(after, gap);
            const std::size_t d = gap > expected.front() ? gap - expected.front() : expected.front() - gap;
            differing += d != 0;
            worst = std::max(worst, d);
        }
        state.counters["keyer_gap"] = double(expected.front());
        state.counters["after_dot"] = double(afterDot);
        state.counters["after_dash"] = double(afterDash);
        state.counters["gaps_off"] = double(differing);
        state.counters["worst_frames"] = double(worst);
        state.counters["underruns"] = take.underruns;
        state.counters["buffer_ms"] = take.bufferMs;
    }
}

// Holes inside the elements. The sink passes the samples unchanged, so every heard sound is
// a run of the rendered samples, found in the rendered text from where the sound before it
// ended. A silence heard where the rendered text has sound (a sound that stops or starts in
// the middle of a rendered element) is a hole: the stream ran dry, and what it held may be
// lost besides (a dot heard as two pieces, or cut short).
struct Holes {
    std::size_t elements = 0;
    std::size_t holes = 0;
    std::size_t broken = 0;    // elements with at least one hole
    std::size_t lostFrames = 0; // rendered sound never heard
    std::size_t longest = 0;   // frames of the longest hole
    std::ptrdiff_t delay = 0;  // frames the heard text ends later than rendered, from its first sound
};
Holes holesInElements(const Samples &rendered, const Samples &heard)
{
    const std::vector<Sound> want = sounds(rendered), got = sounds(heard);
    const std::size_t renderedFrames = rendered.size() / 2;
    auto same = [&](std::size_t r, std::size_t h, std::size_t frames) {
        return r + frames <= renderedFrames
            && std::equal(heard.begin() + 2 * h, heard.begin() + 2 * (h + frames), rendered.begin() + 2 * r);
    };
    auto silentAt = [&](std::size_t r) { return r >= renderedFrames || (rendered[2 * r] == 0 && rendered[2 * r + 1] == 0); };
    auto elementAround = [&](std::size_t r) {
        while (r > 0 && !silentAt(r - 1))
            --r;
        return r;
    };
    Holes h;
    h.elements = want.size();
    std::size_t pos = 0, lastBroken = renderedFrames;
    auto hole = [&](std::size_t frame, std::size_t silence) {
        ++h.holes;
        h.longest = std::max(h.longest, silence);
        if (const std::size_t element = elementAround(frame); element != lastBroken) {
            ++h.broken;
            lastBroken = element;
            if (std::getenv("KESTRELON_HOLES_VERBOSE"))
                std::fprintf(stderr, "hole in the element at %.3f s\n", double(element) / 22050.0);
        }
    };
    for (std::size_t j = 0; j < got.size(); ++j) {
        const Sound &piece = got[j];
        // Where it goes on: the same spot, or the next rendered sound, or wherever it is found.
        std::size_t at = pos;
        if (!same(at, piece.start, 1))
            while (at < renderedFrames && silentAt(at))
                ++at;
        const std::size_t probe = std::min<std::size_t>(piece.frames, 64);
        while (at < renderedFrames && !same(at, piece.start, probe))
            ++at;
        if (at >= renderedFrames)
            continue; // not rendered by us: ignore it
        for (std::size_t r = pos; r < at; ++r)
            h.lostFrames += !silentAt(r);
        if (j > 0) {
            const std::size_t silence = piece.start - (got[j - 1].start + got[j - 1].frames);
            if (!silentAt(pos - 1) && !silentAt(pos))
                hole(pos - 1, silence); // the sound before stopped inside an element
            else if (at > 0 && !silentAt(at - 1))
                hole(at, silence); // this one starts inside one
        }
        // Whatever of it is heard whole; a sound that breaks off unheard inside goes on later.
        std::size_t whole = probe;
        while (whole < piece.frames && same(at + whole, piece.start + whole, 1))
            ++whole;
        pos = at + whole;
    }
    if (!want.empty() && !got.empty())
        h.delay = std::ptrdiff_t(got.back().start + got.back().frames - got.front().start)
            - std::ptrdiff_t(want.back().start + want.back().frames - want.front().start);
    return h;
}

// What KESTRELON_HOLES_DUMP=<prefix> kept of a run, to count again.
Take readTake(const QString &prefix)
{
    Take take;
    for (auto [suffix, samples] : {std::pair{".rendered", &take.rendered}, std::pair{".heard", &take.heard}}) {
        QFile f(prefix + suffix);
        if (!f.open(QIODevice::ReadOnly)) {
            take.error = "cannot read " + (prefix + suffix).toStdString();
            return take;
        }
        const QByteArray bytes = f.readAll();
        samples->resize(bytes.size() / 2);
        std::memcpy(samples->data(), bytes.constData(), samples->size() * 2);
    }
    return take;
}

// About `seconds` of "paris " at 20 wpm (3 s a word), as one text or as range(1) texts, the
// first 4 s after the output opened; soundgaps.sh --busy loads the machine.
void BM_HolesInElements(benchmark::State &state)
{
    const int seconds = static_cast<int>(state.range(0));
    const int texts = state.range(1) > 0 ? static_cast<int>(state.range(1)) : 1;
    std::string text;
    for (int i = 0; i < seconds / 3; ++i)
        text += "paris ";
    for (auto _ : state) {
        const Take take = std::getenv("KESTRELON_HOLES_FROM") ? readTake(std::getenv("KESTRELON_HOLES_FROM"))
                                                              : playAndRecord(text, 20, 0, texts, 4000);
        if (!take.error.empty()) {
            state.SkipWithError(take.error.c_str());
            return;
        }
        if (const char *dump = std::getenv("KESTRELON_HOLES_DUMP")) {
            QFile r(QString::fromLocal8Bit(dump) + ".rendered"), d(QString::fromLocal8Bit(dump) + ".heard");
            if (r.open(QIODevice::WriteOnly))
                r.write(reinterpret_cast<const char *>(take.rendered.data()), qint64(take.rendered.size() * 2));
            if (d.open(QIODevice::WriteOnly))
                d.write(reinterpret_cast<const char *>(take.heard.data()), qint64(take.heard.size() * 2));
        }
        const Holes h = holesInElements(take.rendered, take.heard);
        state.counters["elements"] = double(h.elements);
        state.counters["holes"] = double(h.holes);
        state.counters["broken_elements"] = double(h.broken);
        state.counters["lost_ms"] = double(h.lostFrames) * 1000.0 / 22050.0;
        state.counters["longest_hole_ms"] = double(h.longest) * 1000.0 / 22050.0;
        state.counters["delay_ms"] = double(h.delay) * 1000.0 / 22050.0;
        state.counters["underruns"] = take.underruns;
        state.counters["realtime"] = take.realtime;
        state.counters["feeders_raised"] = take.feeders;
        state.counters["buffer_ms"] = take.bufferMs;
    }
}
BENCHMARK(BM_HolesInElements)->Args({60, 1})->Args({20, 1})->Args({60, 6})->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_GapsAsHeard, eeeee, std::string("eeeee"))->Arg(12)->Arg(40)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_GapsAsHeard, paris, std::string("paris paris"))->Arg(12)->Arg(40)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_KeyerGapsAsHeard)->ArgsProduct({{12, 30}, {0, 10, 80}})->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

KESTRELON_BENCHMARK_MAIN_WITH_EVENT_LOOP()
