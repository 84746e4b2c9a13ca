#include "engine/tone.h"

#include "engine/random.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

// Nearest integer, halves to even, for the hot loops: adding and removing 1.5 x 2^52 leaves
// the value rounded by the current (to-nearest) mode. Exact for |x| < 2^51.
inline double roundEven(double x)
{
    constexpr double magic = 6755399441055744.0;
    return (x + magic) - magic;
}

// Frames after which a tone of an integral frequency repeats exactly.
long long SampleRatePeriod(long long hz)
{
    return 22050 / std::gcd(22050LL, hz);
}

inline std::int16_t limit16(double x)
{
    return static_cast<std::int16_t>(std::clamp(x, -32767.0, 32767.0));
}

} // namespace

// --- tables ---------------------------------------------------------------------------------

ToneTables::ToneTables()
    : toneAmplitude_(std::pow(10.0, DefaultLevel / 20.0)),
      toneBuffer_(static_cast<std::size_t>(ToneTableFrames) * 2, 0),
      noiseBuffer_(static_cast<std::size_t>(NoiseTableFrames) * 2, 0)
{
    // Built at once, so nothing (the WAV writer without a sound device, say) can ever render
    // from an empty table.
    BuildToneTables();
}

bool ToneTables::setToneFrequency(double hz)
{
    double f =
        std::isfinite(hz) ? std::clamp(hz, double(MinPitch), double(MaxPitch)) : DefaultPitch;
    bool changed = f != toneFrequency_;
    toneFrequency_ = f;
    return changed;
}

void ToneTables::setBaseFrequency(double hz)
{
    baseFrequency_ =
        std::isfinite(hz) ? std::clamp(hz, double(MinPitch), double(MaxPitch)) : DefaultPitch;
}

bool ToneTables::setLevel(int dB)
{
    level_ = std::clamp(dB, MinLevel, MaxLevel);
    double amplitude = std::pow(10.0, level_ / 20.0);
    bool changed = amplitude != toneAmplitude_;
    toneAmplitude_ = amplitude;
    return changed;
}

bool ToneTables::UpVolume()
{
    return level_ < MaxLevel && setLevel(level_ + LevelStep);
}

bool ToneTables::DownVolume()
{
    return level_ > MinLevel && setLevel(level_ - LevelStep);
}

bool ToneTables::setExamTone(bool on)
{
    bool changed = on != examTone_;
    examTone_ = on;
    return changed;
}

bool ToneTables::setNoiseLevel(int level)
{
    level = std::clamp(level, 0, 65536);
    bool changed = level != noiseLevel_;
    noiseLevel_ = level;
    noiseHalf_ = static_cast<int>(std::llrint(level / 2.0));
    return changed;
}

int ToneTables::NoiseLevelForPosition(int position)
{
    position = std::clamp(position, 0, 20);
    return static_cast<int>(std::llrint((20 - position) * 65536 / 40.0));
}

bool ToneTables::setNoiseBandDivisor(int divisor)
{
    if (divisor != 1 && divisor != 2 && divisor != 4 && divisor != 8)
        return false;
    bool changed = divisor != noiseBandDivisor_;
    noiseBandDivisor_ = divisor;
    return changed;
}

std::int16_t ToneTables::NoiseValue() const
{
    // Random(0) is 0, so a noise level of 0 gives silence.
    return static_cast<std::int16_t>(Random(noiseLevel_) - noiseHalf_);
}

void ToneTables::BuildToneTables()
{
    buildTone();
    buildNoise();
}

void ToneTables::buildTone()
{
    const double scale = 32767.0 * toneAmplitude_;
    std::int16_t *out = toneBuffer_.data();

    // An integral frequency repeats exactly every 22050 / gcd(22050, f) frames, so one period
    // is computed, with the phase reduced exactly in integers, and the rest copied. Other
    // frequencies are computed frame by frame.
    const double f = examTone_ ? ExamToneFrequency : toneFrequency_;
    const bool integral = f == std::floor(f);
    long long period = ToneTableFrames;
    if (integral)
        period = SampleRatePeriod(static_cast<long long>(f));

    for (long long n = 0; n < period && n < ToneTableFrames; ++n) {
        double s;
        if (examTone_) {
            auto partial = [n](int harmonic) {
                long long m = (n * harmonic * 830) % 22050;
                return std::sin(TwoPi * static_cast<double>(m) / 22050.0);
            };
            s = 0.214 * partial(1) + 0.557 * partial(2) + 0.228 * partial(3);
        } else if (integral) {
            long long m = (n * static_cast<long long>(f)) % 22050;
            s = std::sin(TwoPi * static_cast<double>(m) / 22050.0);
        } else {
            s = std::sin(TwoPi * static_cast<double>(n) * f / 22050.0);
        }
        auto v = static_cast<std::int16_t>(std::llrint(s * scale));
        out[2 * n] = v;
        out[2 * n + 1] = v;
    }
    for (long long n = period; n < ToneTableFrames; n += period) {
        long long frames = std::min<long long>(period, ToneTableFrames - n);
        std::memcpy(out + 2 * n, out, static_cast<std::size_t>(frames) * 2 * sizeof(std::int16_t));
    }

    // Rise over the first 50 frames.
    for (int k = 0; k < FadeFrames; ++k) {
        auto v = static_cast<std::int16_t>(std::llrint(out[2 * k] * (k + 1) / 50.0));
        out[2 * k] = v;
        out[2 * k + 1] = v;
    }
    toneTablesBuilt_ = true;
}

void ToneTables::buildNoise()
{
    std::int16_t *out = noiseBuffer_.data();
    std::int16_t v = 0;
    for (int f = 0; f < NoiseTableFrames; ++f) {
        if (f == 0 || !NoiseHeld(f, noiseBandDivisor_))
            v = NoiseValue();
        out[2 * f] = v;
        out[2 * f + 1] = v;
    }
    noiseTableBuilt_ = true;
}

// --- fading ---------------------------------------------------------------------------------

void Fading::setQsbDepth(int dB)
{
    qsbDepth_ = std::clamp(dB, 0, 20);
}

bool Fading::setQSBSpeed(int qsbSpeed)
{
    if (qsbSpeed != 2 && qsbSpeed != 6 && qsbSpeed != 10)
        return false;
    qsbSpeed_ = qsbSpeed;
    return true;
}

void Fading::RestartPhase(int speed)
{
    qsbPhase_ = Random(static_cast<int>(std::llrint(speed * QSBPeriod() / 12.0)));
}

double Fading::NextGain(int speed)
{
    const double p = speed * qsbSpeed_ / 12.0;
    const long long r = std::max<long long>(1, std::llrint(p));
    // A phase left from a longer cycle (the speed changed without a restart) is brought into
    // this one, so the attenuation never turns into a gain.
    qsbPhase_ = static_cast<int>(qsbPhase_ % (2 * r));
    double att = qsbPhase_ <= r ? qsbPhase_ * qsbDepth_ / p : (2 * p - qsbPhase_) * qsbDepth_ / p;
    double gain = std::pow(10.0, -att / 20.0);
    ++qsbPhase_;
    if (qsbPhase_ >= 2 * r)
        qsbPhase_ -= static_cast<int>(2 * r);
    return gain;
}

// --- drift ----------------------------------------------------------------------------------

void Drift::setDriftAmount(int hz)
{
    driftAmount_ = std::clamp(hz, 0, 50);
    driftNow_ = driftNow_ < 0 ? -driftAmount_ : driftAmount_;
}

void Drift::setDriftUpper(int hz)
{
    driftUpper_ = std::clamp(hz, 800, 1500);
}

void Drift::setDriftLower(int hz)
{
    driftLower_ = std::clamp(hz, 100, 800);
}

bool Drift::Step(ToneTables &tables)
{
    if (driftAmount_ == 0)
        return false;
    double f = tables.ToneFrequency() + driftNow_;
    if (driftNow_ <= 0 && f < driftLower_) {
        f = driftLower_;
        driftNow_ = driftAmount_;
    }
    if (driftNow_ > 0 && f >= driftUpper_) {
        f = driftUpper_;
        driftNow_ = -driftAmount_;
    }
    return tables.setToneFrequency(f);
}

void Drift::SwitchOn(ToneTables &tables)
{
    tables.setBaseFrequency(tables.ToneFrequency());
    driftNow_ = driftNow_ < 0 ? -driftAmount_ : driftAmount_;
}

void Drift::SwitchFileOn(ToneTables &tables)
{
    tables.setBaseFrequency(tables.ToneFrequency());
}

bool Drift::SwitchOff(ToneTables &tables)
{
    if (tables.ToneFrequency() == tables.BaseFrequency())
        return false;
    tables.setToneFrequency(tables.BaseFrequency());
    driftNow_ = driftAmount_;
    return true;
}

// --- effects --------------------------------------------------------------------------------

ActiveEffects ActiveEffectsFor(const EffectSwitches &switches, bool RandomPlaying, bool TextPlaying)
{
    ActiveEffects a;
    a.Noise = (RandomPlaying && switches.SpeedButtonNoise) ||
              (TextPlaying && switches.SpeedButtonNoiseFile);
    a.QSB =
        (RandomPlaying && switches.SpeedButtonQSB) || (TextPlaying && switches.SpeedButtonQSBFile);
    a.Drift = (RandomPlaying && switches.SpeedButtonDrift) ||
              (TextPlaying && switches.SpeedButtonDriftFile);
    return a;
}

ToneGenerator::CharacterStart ToneGenerator::BeginCharacter(const ActiveEffects &active, int speed)
{
    CharacterStart start;
    start.effects.Noise = active.Noise;
    if (active.QSB) {
        start.effects.Fading = true;
        start.effects.Gain = Fade.NextGain(speed);
    }
    if (active.Drift)
        start.driftStepped = drift.Step(Tables);
    return start;
}

// --- rendering ------------------------------------------------------------------------------

std::size_t RenderElement(const ToneTables &tables, const ElementEffects &effects,
                          std::span<std::int16_t> buffer, std::size_t position, std::size_t length,
                          std::size_t tableStep)
{
    const std::span<const std::int16_t> tone = tables.ToneBuffer();
    const std::span<const std::int16_t> noise = tables.NoiseBuffer();
    tableStep = std::max<std::size_t>(tableStep, 1);
    length &= ~std::size_t(1);
    length = std::min(length, 2 * ((tone.size() / 2 - 1) / tableStep + 1));
    if (position % 2 != 0 || position >= buffer.size())
        return position;

    const std::size_t frames = length / 2;
    const std::size_t room = (buffer.size() - position) / 2;
    const std::size_t writable = std::min(frames, room);
    std::int16_t *out = buffer.data() + position;
    const std::size_t fallStart = frames > FadeFrames ? frames - FadeFrames : 0;

    if (!effects.Fading && !effects.Noise) {
        std::size_t plain = std::min(fallStart, writable);
        if (tableStep == 1) {
            std::memcpy(out, tone.data(), plain * 2 * sizeof(std::int16_t));
        } else {
            for (std::size_t j = 0; j < plain; ++j)
                out[2 * j] = out[2 * j + 1] = tone[2 * j * tableStep];
        }
        for (std::size_t j = plain; j < writable; ++j) {
            double x = roundEven(tone[2 * j * tableStep] * double(frames - 1 - j) / 50.0);
            out[2 * j] = out[2 * j + 1] = static_cast<std::int16_t>(x);
        }
        return position + 2 * writable;
    }

    const double gain = effects.Fading ? effects.Gain : 1.0;
    const std::size_t noiseFrames = noise.size() / 2;
    for (std::size_t j = 0; j < writable; ++j) {
        double x = tone[2 * j * tableStep];
        if (j >= fallStart)
            x = roundEven(x * double(frames - 1 - j) / 50.0);
        if (effects.Fading)
            x = roundEven(x * gain);
        if (effects.Noise)
            x = std::clamp(x + noise[2 * (j % noiseFrames)], -32767.0, 32767.0);
        out[2 * j] = out[2 * j + 1] = limit16(x);
    }
    return position + 2 * writable;
}

std::size_t RenderSilence(const ToneTables &tables, bool noise, std::span<std::int16_t> buffer,
                          std::size_t position, std::size_t length, bool followsElement)
{
    length &= ~std::size_t(1);
    if (position % 2 != 0 || position >= buffer.size())
        return position;
    const std::size_t writable = std::min(length, buffer.size() - position) / 2;
    std::int16_t *out = buffer.data() + position;
    if (!noise || tables.NoiseLevel() == 0) {
        std::memset(out, 0, writable * 2 * sizeof(std::int16_t));
        return position + 2 * writable;
    }

    const int divisor = tables.NoiseBandDivisor();
    const std::size_t firstFrame = position / 2;
    std::int16_t v = position >= 2 ? buffer[position - 2] : 0;
    for (std::size_t j = 0; j < writable; ++j) {
        bool held = NoiseHeld(static_cast<long long>(firstFrame + j), divisor);
        if (j == 0 && (followsElement || position == 0))
            held = false;
        if (!held)
            v = tables.NoiseValue();
        out[2 * j] = out[2 * j + 1] = v;
    }
    return position + 2 * writable;
}
