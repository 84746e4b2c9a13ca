#pragma once

// A random series without widgets: the generator run through the real sending engine and
// playback cycle (fake output), with a seeded generator and a memo kept as a string.

#include "tests/common/fakeaudiooutput.h"
#include "tests/engine/fakeenginehost.h"

#include "engine/playbackcycle.h"
#include "engine/random.h"
#include "engine/sendingengine.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "training/randomseries.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

class MemoView : public RandomSeriesView {
public:
    std::string memo;
    bool cancelCountdown = false;
    int countdowns = 0;
    int endedQuietly = 0;
    FakeEngineHost *host = nullptr;
    PlaybackCycle *cycle = nullptr;

    bool memoLastLineEmpty() override
    {
        const std::size_t p = memo.rfind('\n');
        return p == std::string::npos ? memo.empty() : p + 1 == memo.size();
    }
    void memoNewLine() override { memo += '\n'; }
    void memoAppend(unsigned char c) override { memo += static_cast<char>(c); }
    void enterSeries() override {}
    bool countdown() override
    {
        ++countdowns;
        return !cancelCountdown;
    }
    void endQuietly() override { ++endedQuietly; }
    bool handOff() override { return host->raisePTT(); }
    void startEngine() override { cycle->StartClick(); }
};

// The main window's part of the hand-back, as the random module fills it.
class SeriesHost : public FakeEngineHost {
public:
    RandomSeries *series = nullptr;
    RandomSeriesView *view = nullptr;
    PlaybackCycle *cycle = nullptr;
    int seriesEnds = 0;

    int randomCharCount() override { return series->RandomCharCount; }
    void randomUnitSent() override { series->UnitSent(); }
    bool randomWordsChecked() override { return series->Options.RandomWords; }
    void randomNextUnit() override { series->Step(*view); }
    // What the exam adds before the stop, and its chaining after it.
    std::function<void()> beforeSeriesStop;
    std::function<void()> chainNextPhase;
    void randomSeriesEnded() override
    {
        ++seriesEnds;
        if (beforeSeriesStop)
            beforeSeriesStop();
        cycle->ButtonStopClick(); // BitBtnStopRandom
    }
    void examChainNextPhase() override
    {
        if (chainNextPhase)
            chainNextPhase();
    }
    void randomSeriesStopped() override { series->Stopped(); }
};

struct SeriesRig {
    EngineState state;
    CharacterSets sets;
    RandomSeries series{state, sets};
    SeriesHost host;
    FakeAudioOutput output;
    Timing timing;
    ToneGenerator tone;
    EffectSwitches effects;
    SendingEngine engine{state, host, output, timing, tone, effects};
    PlaybackCycle cycle{state, host, output, engine};
    MemoView view;

    explicit SeriesRig(unsigned seed = 1)
    {
        RandomSeed(seed);
        output.open(-1);
        tone.Tables.BuildToneTables();
        timing.setStartSilence(0);
        host.randomChecked = true;
        host.series = &series;
        host.view = &view;
        host.cycle = &cycle;
        view.host = &host;
        view.cycle = &cycle;
        state.GroupLength = 5;
    }

    // Play: a new series, or the continuation of a stopped one.
    RandomSeries::StepResult play()
    {
        state.StopRequested = false;
        return series.Step(view);
    }
    // A quick series of `count` units: written at once, no sound.
    void quick(int count)
    {
        series.RandomCharCount = count + 1;
        state.GroupPosition = 0;
        state.QuickSeries = true;
        play();
    }
    // The memo's groups (blank- and line-separated).
    std::vector<std::string> groups() const
    {
        std::vector<std::string> out;
        std::string word;
        for (char c : view.memo + " ") {
            if (c == ' ' || c == '\n') {
                if (!word.empty())
                    out.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        }
        return out;
    }
    std::size_t sentCharacters() const
    {
        return static_cast<std::size_t>(std::count_if(view.memo.begin(), view.memo.end(),
                                                       [](char c) { return c != ' ' && c != '\n'; }));
    }
};

