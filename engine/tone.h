#pragma once

// Tone and noise for the sending engine. Elements are not synthesised one by one: they are
// copied from a precomputed tone table (with its rise built in) and a precomputed noise table,
// and per-character effects are applied while copying: the fall at the end of every element,
// fading (QSB), additive noise and frequency drift. Buffers are 22050 Hz stereo, 16-bit values
// interleaved left/right; positions and lengths are in values (2 per frame).
//
// Everything here runs on the user-interface thread. The tables change on a rebuild, so a
// consumer on another thread (the sound callback playing the noise tail) must play a copy.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

constexpr int ToneTableFrames = 441000;
constexpr int NoiseTableFrames = 30000;
constexpr int FadeFrames = 50; // rise built into the tone table, fall applied per element
constexpr int MinPitch = 100;
constexpr int MaxPitch = 1500;
constexpr int DefaultPitch = 800;
constexpr double ExamToneFrequency = 830.0;
constexpr int MinLevel = -15; // dB
constexpr int MaxLevel = 0;
constexpr int DefaultLevel = -12;
constexpr int LevelStep = 3;

// The tone and noise tables and the settings they are built from. A setter only stores (and
// clamps) its value and says whether it changed; the caller then runs BuildToneTables(), as
// the pitch, level, noise and exam-tone handlers do.
class ToneTables {
public:
    // 800 Hz, -12 dB, noise level 32768 held by 8; the tables are built at once.
    ToneTables();

    // Pitch in use (moved by drift), clamped to 100..1500 Hz.
    double ToneFrequency() const { return toneFrequency_; }
    bool setToneFrequency(double hz);
    // Pitch before drift.
    double BaseFrequency() const { return baseFrequency_; }
    void setBaseFrequency(double hz);
    double SamplesPerCycle() const { return 22050.0 / toneFrequency_; }

    // Level in dB, -15..0 (clamped); ToneAmplitude = 10^(level / 20). True when the amplitude
    // differs from the one last used.
    int Level() const { return level_; }
    double ToneAmplitude() const { return toneAmplitude_; }
    bool setLevel(int dB);
    // Volume menu: a step of 3 dB up while below 0, down while above -15; true when changed.
    bool UpVolume();
    bool DownVolume();

    // Exam tone: 830 Hz with its second and third harmonics, whatever the pitch.
    bool ExamTone() const { return examTone_; }
    bool setExamTone(bool on);

    // Noise span: values are drawn from -round(level / 2) to level - 1 - round(level / 2);
    // 0 gives silence. Clamped to 0..65536.
    int NoiseLevel() const { return noiseLevel_; }
    bool setNoiseLevel(int level);
    // The noise window's track bar: round((20 - p) x 65536 / 40), p clamped to 0..20.
    static int NoiseLevelForPosition(int position);
    // Each noise value is held for 1, 2, 4 or 8 frames (10, 5, 2.5, 1.3 kHz). Anything else
    // is refused.
    int NoiseBandDivisor() const { return noiseBandDivisor_; }
    bool setNoiseBandDivisor(int divisor);

    // Rebuilds both tables from the settings above.
    void BuildToneTables();
    bool ToneTablesBuilt() const { return toneTablesBuilt_; }
    bool NoiseTableBuilt() const { return noiseTableBuilt_; }

    // 441000 and 30000 stereo frames, left and right equal.
    std::span<const std::int16_t> ToneBuffer() const { return toneBuffer_; }
    std::span<const std::int16_t> NoiseBuffer() const { return noiseBuffer_; }

    // One fresh noise value: Random(NoiseLevel) - round(NoiseLevel / 2).
    std::int16_t NoiseValue() const;

private:
    void buildTone();
    void buildNoise();

    double toneFrequency_ = DefaultPitch;
    double baseFrequency_ = DefaultPitch;
    int level_ = DefaultLevel;
    double toneAmplitude_;
    bool examTone_ = false;
    int noiseLevel_ = 32768;
    int noiseHalf_ = 16384;
    int noiseBandDivisor_ = 8;
    bool toneTablesBuilt_ = false;
    bool noiseTableBuilt_ = false;
    std::vector<std::int16_t> toneBuffer_;
    std::vector<std::int16_t> noiseBuffer_;
};

// Whether noise frame f repeats the frame before it (sample-and-hold by the band divisor).
constexpr bool NoiseHeld(long long frame, int divisor)
{
    return (divisor >= 2 && frame % 2 == 1) || (divisor >= 4 && frame % 4 == 2) ||
           (divisor == 8 && frame % 8 == 4);
}

// Fading (QSB): the level follows a triangle in dB from 0 to -QsbDepth and back over a cycle of
// characters whose length depends on the speed and the fading speed.
class Fading {
public:
    int QsbDepth() const { return qsbDepth_; }
    void setQsbDepth(int dB); // 0..20, clamped
    // 2 fast, 6 medium, 10 slow (anything else is refused); QSBPeriod = 2 x QSBSpeed. The caller
    // then restarts the phase.
    int QSBSpeed() const { return qsbSpeed_; }
    int QSBPeriod() const { return 2 * qsbSpeed_; }
    bool setQSBSpeed(int qsbSpeed);

    int QSBPhase() const { return qsbPhase_; }
    void setQSBPhase(int phase) { qsbPhase_ = phase < 0 ? 0 : phase; }
    // After a change of the speed or of the fading speed: a random point of the cycle,
    // Random(round(speed x QSBPeriod / 12)). The speed is the timing model's (5..70).
    void RestartPhase(int speed);

    // The gain of the next character, once per character before its elements; advances the
    // phase by one.
    double NextGain(int speed);

private:
    int qsbDepth_ = 10;
    int qsbSpeed_ = 6;
    int qsbPhase_ = 0;
};

// Frequency drift: the pitch moves by DriftNow Hz per character and turns at the limits.
class Drift {
public:
    // Hz per character, 0..50 (clamped); DriftNow keeps its direction.
    int DriftAmount() const { return driftAmount_; }
    void setDriftAmount(int hz);
    int DriftNow() const { return driftNow_; }
    // Limits, clamped to the drift window's ranges: upper 800..1500, lower 100..800.
    int DriftUpper() const { return driftUpper_; }
    int DriftLower() const { return driftLower_; }
    void setDriftUpper(int hz);
    void setDriftLower(int hz);

    // One step, once per character before its elements (when drift is active). True when the
    // pitch moved: the caller rebuilds the tables after this character's buffer is written, so
    // the new pitch sounds from the next character on.
    bool Step(ToneTables &tables);

    // The random series' drift button going down: remember the pitch, start the drift in its
    // last direction.
    void SwitchOn(ToneTables &tables);
    // The file text's drift button going down: remember the pitch only.
    void SwitchFileOn(ToneTables &tables);
    // Either button going up (and Stop): back to the remembered pitch. True when the pitch
    // changed, and the caller rebuilds the tables.
    bool SwitchOff(ToneTables &tables);

private:
    int driftAmount_ = 10;
    int driftNow_ = 10;
    int driftUpper_ = 1300;
    int driftLower_ = 300;
};

// The six effect buttons of the main window: the first three act while a random series plays,
// the File ones while a file text plays; no effect applies in any other mode.
struct EffectSwitches {
    bool SpeedButtonNoise = false;
    bool SpeedButtonQSB = false;
    bool SpeedButtonDrift = false;
    bool SpeedButtonNoiseFile = false;
    bool SpeedButtonQSBFile = false;
    bool SpeedButtonDriftFile = false;
};

struct ActiveEffects {
    bool Noise = false;
    bool QSB = false;
    bool Drift = false;
};

ActiveEffects ActiveEffectsFor(const EffectSwitches &switches, bool RandomPlaying,
                               bool TextPlaying);

// What the elements of one character get.
struct ElementEffects {
    bool Fading = false;
    double Gain = 1.0; // the character's fading gain
    bool Noise = false;
};

// The tables and the effect state together, as the sending engine uses them.
struct ToneGenerator {
    ToneTables Tables;
    Fading Fade;
    Drift drift;

    struct CharacterStart {
        ElementEffects effects;
        bool driftStepped = false; // rebuild the tables once this character's buffer is written
    };
    // Once per character, before its elements: the fading gain (advancing the phase) and the
    // drift step, as far as the effects are active. Speed from the timing model.
    CharacterStart BeginCharacter(const ActiveEffects &active, int speed);
};

// Renders one element (a dot or a dash) of `length` values into buffer[position ...]: the tone
// table from its start, the fall over its last 50 frames (the last frame is 0), the fading
// gain, then the noise table added to the left value and limited to +-32767, the right value
// copying the left. Returns the position after the element. Writes nothing past the end of
// the buffer; position and length are whole frames (even), an odd length is cut by one value.
// Frame j of the element takes the table's frame j x tableStep: 1 as played, 2 for a
// recording at half the rate.
std::size_t RenderElement(const ToneTables &tables, const ElementEffects &effects,
                          std::span<std::int16_t> buffer, std::size_t position, std::size_t length,
                          std::size_t tableStep = 1);

// Renders a silence of `length` values into buffer[position ...]: zeros, or with noise a fresh
// noise value per frame held by the band divisor, counted by the frame's position in the
// buffer. In the gap right after an element (`followsElement`) the first frame is never held;
// otherwise a held first frame repeats the frame before it in the buffer. Returns the position
// after the silence; writes nothing past the end of the buffer.
std::size_t RenderSilence(const ToneTables &tables, bool noise, std::span<std::int16_t> buffer,
                          std::size_t position, std::size_t length, bool followsElement);
