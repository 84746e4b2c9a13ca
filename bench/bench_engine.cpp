// The sending engine's turn-around: from the output's done report of one character to the
// next character's buffer handed to the output (head selection, rendering with noise, fading
// and drift, element table, queueing), at 12 and 70 wpm. Target: under 1 ms per character.

#include "engine/enginehost.h"
#include "engine/enginestate.h"
#include "engine/playbackcycle.h"
#include "engine/random.h"
#include "engine/sendingengine.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "platform/audiooutput.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <deque>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// A main window that answers as during a random series with a keying output.
class QuietHost : public EngineHost {
public:
    void showStopButton() override {}
    void showQuitButton() override {}
    void freezeFileEdit() override {}
    void releaseFileEdit() override {}
    void updateDemoCaret() override {}
    void fileTextShowSent() override {}
    std::optional<unsigned char> fileSelectionLastChar() override { return std::nullopt; }
    bool lineEndAsWordSpace() override { return false; }
    void typedTextShowSent() override {}
    std::optional<std::string> shortcutText(unsigned char) override { return std::nullopt; }
    void zoomShowCharacter(unsigned char, const std::string &) override {}
    void zoomClear() override {}
    bool randomModeChecked() override { return true; }
    bool paddleKeyerWithMonitor() override { return false; }
    double keyCalibration() override { return 0.0; }
    void appendMonitorElements(const std::string &) override {}
    void keyerTextEnded(int) override {}
    bool keyingOutputConfigured() override { return true; }
    void keyFirstElement(const CWElementTable &table) override { benchmark::DoNotOptimize(table); }
    bool raisePTT() override { return false; }
    void stopElementClock() override {}
    void releaseKeyingLines() override {}
    void startTimer1(int) override {}
    void stopTimer1() override {}
    void showProgramMessage(const std::string &) override {}
    std::string msgCannotOpenSoundCard() override { return {}; }
    void processEvents() override {}
    void endApplication() override {}
    void sidetoneOff() override {}
    bool tuneEnhancementChecked() override { return false; }
    bool waveInputOpen() override { return false; }
    void closeWaveInput() override {}
    bool continuousReplayChecked() override { return false; }
    void typedTextLoopPassEnded() override {}
    void quizSeriesSent() override {}
    void releaseModeButtons() override {}
    bool fileTextFinished() override { return false; }
    void updateReplayButton() override {}
    void fileTextShowAgain() override {}
    void enableModeControls() override {}
    void focusTypingBoxAtEnd() override {}
    int randomCharCount() override { return 1000; }
    void randomSeriesEnded() override {}
    void examChainNextPhase() override {}
    void randomUnitSent() override {}
    bool randomWordsChecked() override { return false; }
    void randomNextUnit() override {}
    void audioMonitorResume() override {}
    void focusHandOffWindow(HandOffWindow) override {}
    bool closeOpenPanel() override { return false; }
    void stopRestoreModeControls() override {}
    bool quizSeriesStopped() override { return false; }
    void randomSeriesStopped() override {}
    void updatePlayRandomHint() override {}
    void typedTextStopped() override {}
    void showHiddenTexts() override {}
    void playClosingSound() override {}
};

// Queues buffers without playing them and notes when the first one after a done report came.
class TimingOutput : public AudioOutput {
public:
    int open(int) override { return 0; }
    void close() override {}
    bool isOpen() const override { return true; }
    int write(Tag tag, const std::int16_t *data, std::size_t values) override
    {
        if (!handed) {
            handed = true;
            handedAt = Clock::now();
        }
        benchmark::DoNotOptimize(data[values - 1]);
        queue.push_back(tag);
        return 0;
    }
    int reset() override
    {
        std::deque<Tag> dropped;
        dropped.swap(queue);
        for (Tag t : dropped)
            reportDone(t);
        return 0;
    }
    void setGain(double) override {}
    double gain() const override { return 1.0; }

    // The character that is playing ends.
    void finishHead()
    {
        handed = false;
        const Tag t = queue.front();
        queue.pop_front();
        reportDone(t);
    }

    std::deque<Tag> queue;
    bool handed = false;
    Clock::time_point handedAt;
};

std::string randomGroups(int groups)
{
    std::string text;
    for (int g = 0; g < groups; ++g) {
        for (int i = 0; i < 5; ++i)
            text += static_cast<char>('a' + Random(26));
        text += ' ';
    }
    return text;
}

// Manual time = done report to the next buffer handed over. The counter "handler_ms" is the
// whole done handler per character, the drift's table rebuild after the hand-over included.
void BM_DoneToNextBuffer(benchmark::State &state)
{
    RandomSeed(7);
    EngineState s;
    QuietHost host;
    TimingOutput output;
    Timing timing;
    timing.setSpeed(static_cast<int>(state.range(0)));
    timing.setStartSilence(0);
    ToneGenerator tone;
    tone.Tables.setNoiseLevel(ToneTables::NoiseLevelForPosition(10));
    tone.Tables.BuildToneTables();
    EffectSwitches effects;
    effects.SpeedButtonNoise = true;
    effects.SpeedButtonQSB = true;
    effects.SpeedButtonDrift = true;
    tone.drift.SwitchOn(tone.Tables);
    SendingEngine engine(s, host, output, timing, tone, effects);
    PlaybackCycle cycle(s, host, output, engine);
    s.RandomPlaying = true;

    s.PlayQueue = randomGroups(200);
    cycle.StartClick();
    double handlerSeconds = 0;
    for (auto _ : state) {
        if (s.PlayQueue.size() < 10)
            s.PlayQueue += randomGroups(200);
        const auto start = Clock::now();
        output.finishHead();
        const auto end = Clock::now();
        if (!output.handed)
            state.SkipWithError("no buffer was handed over");
        state.SetIterationTime(std::chrono::duration<double>(output.handedAt - start).count());
        handlerSeconds += std::chrono::duration<double>(end - start).count();
    }
    state.counters["handler_ms"] = benchmark::Counter(
        handlerSeconds * 1000.0 / static_cast<double>(state.iterations()));
    state.SetLabel(std::to_string(state.range(0)) + " wpm, noise + fading + drift");
}
BENCHMARK(BM_DoneToNextBuffer)
    ->Arg(12)
    ->Arg(70)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
