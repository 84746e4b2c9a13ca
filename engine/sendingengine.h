#pragma once

// The start routine: takes the head of the play queue, renders that one character (or one
// pause) into a buffer of its own with its gaps and effects, fills the element table for the
// keying outputs and hands the buffer to the sound output. The playback cycle calls it and
// acts on its result; it never calls the cycle itself.

#include "engine/enginehost.h"
#include "engine/enginestate.h"
#include "platform/audiooutput.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

class Timing;
struct ToneGenerator;
struct EffectSwitches;

class SendingEngine {
public:
    // The timing model, the tone tables with their effects and the six effect buttons belong
    // to the main window, like the state.
    SendingEngine(EngineState &state, EngineHost &host, AudioOutput &output, Timing &timing,
                  ToneGenerator &tone, const EffectSwitches &effects);
    SendingEngine(const SendingEngine &) = delete;
    SendingEngine &operator=(const SendingEngine &) = delete;

    enum class StartResult {
        Busy,        // a buffer is playing: the click is ignored
        QueueEmpty,  // nothing (left) to send: the done handler must run directly
        QuickSeries, // the head was "sent" without sound: the done handler must run directly
        Handed,      // a buffer was handed over (or Timer1 stands in for it)
    };
    StartResult startNext();

    // The buffer whose done report ends the character in flight (0 = none).
    AudioOutput::Tag characterTag() const { return m_characterTag; }
    void forgetCharacter() { m_characterTag = 0; }
    // A buffer was reported done: its memory may be used again.
    void releaseBuffer(AudioOutput::Tag tag);
    std::size_t buffersInUse() const { return m_inUse.size(); }

    // Stop puts the pitch back where drift started.
    void restoreBasePitch();
    void buildToneTables();

    // Without a sound card a buffer lasts as long as it would sound, at least this long.
    static constexpr int MinTimerMs = 500;

private:
    enum class BufferKind { Blank, LeadingSpace, StartSilence, Character };
    bool selectHead(unsigned char &c);
    bool noiseActive() const;
    std::vector<std::int16_t> takeBuffer(std::size_t values);
    void renderSilence(std::vector<std::int16_t> &buffer);
    std::size_t renderCharacter(std::vector<std::int16_t> &buffer, int gapValues,
                                int characterSpaceUnits);
    void reopenOutputForInput();
    void handOver(std::vector<std::int16_t> buffer, BufferKind kind);
    void reportWaveError(int error, const char *place);

    EngineState &m_state;
    EngineHost &m_host;
    AudioOutput &m_output;
    Timing &m_timing;
    ToneGenerator &m_tone;
    const EffectSwitches &m_effects;

    AudioOutput::Tag m_nextTag = 1;
    AudioOutput::Tag m_characterTag = 0;
    bool m_driftStepped = false;
    // Buffers stay alive until the output reports them done; then their memory is reused.
    std::unordered_map<AudioOutput::Tag, std::vector<std::int16_t>> m_inUse;
    std::vector<std::vector<std::int16_t>> m_free;
};
