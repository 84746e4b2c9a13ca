#pragma once

// The sending engine and its playback cycle wired to a recording host and a fake output, at
// 12 wpm with the tables built, as the main window wires them.

#include "engine/enginestate.h"
#include "engine/playbackcycle.h"
#include "engine/sendingengine.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "tests/common/fakeaudiooutput.h"
#include "tests/engine/fakeenginehost.h"

#include <string>
#include <vector>

struct EngineRig {
    EngineState state;
    FakeEngineHost host;
    FakeAudioOutput output;
    Timing timing;
    ToneGenerator tone;
    EffectSwitches effects;
    SendingEngine engine{state, host, output, timing, tone, effects};
    PlaybackCycle cycle{state, host, output, engine};

    explicit EngineRig(int startSilence = 0)
    {
        output.open(-1);
        tone.Tables.BuildToneTables();
        timing.setStartSilence(startSilence);
    }

    // A mode hands text over while the engine is idle.
    void send(const std::string &text)
    {
        const bool wasEmpty = state.PlayQueue.empty();
        state.PlayQueue += text;
        cycle.BeginTransmission(wasEmpty);
    }

    // Lets the output play everything queued, and whatever that queues in turn.
    void playAll() { output.finishAll(); }

    // The lengths in values of every buffer written so far.
    std::vector<std::size_t> lengths() const
    {
        std::vector<std::size_t> result;
        for (const auto &b : output.written)
            result.push_back(b.values.size());
        return result;
    }
};
