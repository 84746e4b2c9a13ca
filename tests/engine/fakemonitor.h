#pragma once

// The key decoder's surroundings for tests: a gap timer that the test fires, and a monitor
// that writes what the real one shows (the memo, through the real character decoder, the
// element line and the timings label).

#include "engine/characterdecoder.h"
#include "engine/keydecoder.h"

#include <string>

struct FakeGapTimer : GapTimer {
    int armedMs = 0; // 0: stopped
    int starts = 0;
    void Start(int ms) override
    {
        armedMs = ms;
        ++starts;
    }
    void Stop() override { armedMs = 0; }
};

struct FakeMonitor : MonitorOutput {
    std::string memo, line, timings;
    CharacterDecoderOptions options;
    void AppendElementLine(const std::string &signs) override { line += signs; }
    void DecodeCharacter(const std::string &code) override
    {
        line += ' ';
        const DecodedCharacter c = DecodeElements(code, DefaultMorseCodes, options, {}, {});
        memo += c.text;
    }
    void WordSpace() override { memo += ' '; }
    void ShowTimings(const std::string &text) override { timings = text; }
};
