#include "engine/random.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

int peak(std::span<const std::int16_t> values)
{
    int m = 0;
    for (std::int16_t v : values)
        m = std::max(m, std::abs(int(v)));
    return m;
}

ToneTables builtTables(int level, double pitch = 800)
{
    ToneTables t;
    t.setLevel(level);
    t.setToneFrequency(pitch);
    t.setNoiseLevel(0);
    t.BuildToneTables();
    return t;
}

} // namespace

TEST(ToneTable, FirstFramesRiseAndPeakFollowsTheLevel)
{
    struct Case {
        int level;
        int f0, f1, f2;
        int peak;
    };
    const Case cases[] = {{0, 0, 296, 866, 32767}, {-12, 0, 74, 217, 8231}};
    for (const Case &c : cases) {
        ToneTables t = builtTables(c.level);
        auto tone = t.ToneBuffer();
        ASSERT_EQ(tone.size(), 882000u);
        EXPECT_EQ(tone[0], c.f0) << c.level;
        EXPECT_EQ(tone[2], c.f1) << c.level;
        EXPECT_EQ(tone[4], c.f2) << c.level;
        EXPECT_EQ(tone[3], tone[2]); // both channels
        EXPECT_EQ(peak(tone), c.peak) << c.level;
    }
    // Frame 49 carries the full sine value; the table's tail is the plain sine as well.
    ToneTables t = builtTables(0);
    EXPECT_EQ(t.ToneBuffer()[98], std::lrint(32767 * std::sin(2 * M_PI * 49 * 800 / 22050.0)));
    const long long n = 440999;
    EXPECT_EQ(t.ToneBuffer()[2 * n], std::lrint(32767 * std::sin(2 * M_PI * n * 800 / 22050.0)));
}

TEST(ToneTable, NonIntegralPitchAndPitchClamp)
{
    ToneTables t;
    t.setLevel(0);
    t.setToneFrequency(812.5);
    t.BuildToneTables();
    for (long long n : {100LL, 12345LL, 440999LL})
        EXPECT_NEAR(t.ToneBuffer()[2 * n], 32767 * std::sin(2 * M_PI * n * 812.5 / 22050.0), 0.5);
    t.setToneFrequency(0);
    EXPECT_EQ(t.ToneFrequency(), 100);
    t.setToneFrequency(20000);
    EXPECT_EQ(t.ToneFrequency(), 1500);
    t.setBaseFrequency(-5);
    EXPECT_EQ(t.BaseFrequency(), 100);
}

TEST(ToneTable, ExamToneIgnoresThePitch)
{
    ToneTables a = builtTables(0, 800);
    a.setExamTone(true);
    a.BuildToneTables();
    ToneTables b = builtTables(0, 1400);
    b.setExamTone(true);
    b.BuildToneTables();
    EXPECT_TRUE(std::equal(a.ToneBuffer().begin(), a.ToneBuffer().end(), b.ToneBuffer().begin()));
    EXPECT_EQ(peak(a.ToneBuffer()), 28952);
    const long long n = 1000;
    double s = 0.214 * std::sin(2 * M_PI * n * 830 / 22050.0) +
               0.557 * std::sin(2 * M_PI * 2 * n * 830 / 22050.0) +
               0.228 * std::sin(2 * M_PI * 3 * n * 830 / 22050.0);
    EXPECT_EQ(a.ToneBuffer()[2 * n], std::lrint(s * 32767));
}

TEST(ToneTable, LevelAndVolumeSteps)
{
    ToneTables t;
    EXPECT_EQ(t.Level(), -12);
    EXPECT_FALSE(t.setLevel(-12));
    EXPECT_TRUE(t.UpVolume());
    EXPECT_TRUE(t.UpVolume());
    EXPECT_TRUE(t.UpVolume());
    EXPECT_EQ(t.Level(), -3);
    EXPECT_TRUE(t.UpVolume());
    EXPECT_FALSE(t.UpVolume());
    EXPECT_DOUBLE_EQ(t.ToneAmplitude(), 1.0);
    t.setLevel(-40);
    EXPECT_EQ(t.Level(), -15);
    EXPECT_FALSE(t.DownVolume());
}

TEST(NoiseTable, RangeHoldAndSilence)
{
    struct Case {
        int position, level;
    };
    for (Case c : {Case{0, 32768}, Case{10, 16384}, Case{17, 4915}, Case{20, 0}})
        EXPECT_EQ(ToneTables::NoiseLevelForPosition(c.position), c.level) << c.position;

    RandomSeed(7);
    ToneTables t;
    t.setNoiseLevel(32768);
    for (int divisor : {1, 2, 4, 8}) {
        ASSERT_TRUE(t.setNoiseBandDivisor(divisor) || divisor == 8);
        t.BuildToneTables();
        auto noise = t.NoiseBuffer();
        ASSERT_EQ(noise.size(), 60000u);
        int lo = 0, hi = 0, changes = 0;
        for (int f = 0; f < 30000; ++f) {
            EXPECT_EQ(noise[2 * f], noise[2 * f + 1]);
            lo = std::min(lo, int(noise[2 * f]));
            hi = std::max(hi, int(noise[2 * f]));
            if (f % divisor != 0)
                ASSERT_EQ(noise[2 * f], noise[2 * f - 2]) << divisor << " " << f;
            else if (f > 0)
                changes += noise[2 * f] != noise[2 * f - 2];
        }
        EXPECT_GE(lo, -16384);
        EXPECT_LE(hi, 16383);
        EXPECT_LT(lo, -15000);
        EXPECT_GT(hi, 15000);
        EXPECT_GT(changes, 30000 / divisor - 50); // a new value at every step of the divisor
    }
    EXPECT_FALSE(t.setNoiseBandDivisor(3));
    EXPECT_EQ(t.NoiseBandDivisor(), 8);

    t.setNoiseLevel(0);
    t.BuildToneTables();
    EXPECT_EQ(peak(t.NoiseBuffer()), 0);
}

TEST(Rendering, ElementFallsToZeroAndKeepsItsLength)
{
    ToneTables t = builtTables(0);
    Timing timing; // 12 wpm: dot 4166 values
    const std::size_t len = timing.DotValues();
    std::vector<std::int16_t> buffer(len + 10, 12345);
    std::size_t end = RenderElement(t, {}, buffer, 0, len);
    EXPECT_EQ(end, len);
    EXPECT_EQ(buffer[len - 2], 0); // last frame
    EXPECT_EQ(buffer[len - 1], 0);
    EXPECT_EQ(buffer[len], 12345); // nothing beyond
    auto tone = t.ToneBuffer();
    const std::size_t frames = len / 2;
    for (std::size_t j = 0; j < frames; ++j) {
        std::size_t m = frames - 1 - j;
        double expected = m < 50 ? std::nearbyint(tone[2 * j] * double(m) / 50) : tone[2 * j];
        ASSERT_EQ(buffer[2 * j], expected) << j;
        ASSERT_EQ(buffer[2 * j + 1], buffer[2 * j]);
    }
    // The first value of the fall is 49/50.
    std::size_t j49 = frames - 50;
    EXPECT_EQ(buffer[2 * j49], std::nearbyint(tone[2 * j49] * 49 / 50.0));
}

TEST(Rendering, NeverWritesPastTheBuffer)
{
    ToneTables t = builtTables(0);
    t.setNoiseLevel(32768);
    t.BuildToneTables();
    std::vector<std::int16_t> buffer(1000, 7);
    std::span<std::int16_t> part(buffer.data(), 600);
    EXPECT_EQ(RenderElement(t, {true, 0.5, true}, part, 100, 4166), 600u);
    EXPECT_EQ(RenderSilence(t, true, part, 500, 4166, true), 600u);
    EXPECT_EQ(RenderSilence(t, false, part, 600, 10, false), 600u);
    EXPECT_EQ(RenderElement(t, {}, part, 601, 10), 601u); // odd position: refused
    for (std::size_t i = 600; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], 7);
    EXPECT_EQ(buffer[99], 7);
}

TEST(Rendering, FadingAndNoiseOnAnElement)
{
    ToneTables t = builtTables(0);
    t.setNoiseLevel(65536);
    t.BuildToneTables();
    std::vector<std::int16_t> buffer(2000);
    RenderElement(t, {true, 0.5, true}, buffer, 0, 2000);
    auto tone = t.ToneBuffer();
    auto noise = t.NoiseBuffer();
    bool limited = false;
    for (std::size_t j = 0; j < 1000; ++j) {
        std::size_t m = 999 - j;
        double x = tone[2 * j];
        if (m < 50)
            x = std::nearbyint(x * double(m) / 50);
        x = std::nearbyint(x * 0.5) + noise[2 * j];
        limited = limited || std::abs(x) > 32767;
        ASSERT_EQ(buffer[2 * j], std::clamp(x, -32767.0, 32767.0)) << j;
        ASSERT_EQ(buffer[2 * j + 1], buffer[2 * j]);
    }
    EXPECT_TRUE(limited); // full-scale noise on a half-level tone does reach the limit
}

TEST(Rendering, SilenceNoiseHoldFollowsTheBufferPosition)
{
    RandomSeed(3);
    ToneTables t = builtTables(0);
    t.setNoiseLevel(32768);
    t.setNoiseBandDivisor(8);
    t.BuildToneTables();
    std::vector<std::int16_t> buffer(400, 0);
    // An element of 3 frames, then its gap starting at frame 3: frame 3 would be held, but the
    // first frame after an element is always fresh; frames 4..7 hold, 8 is fresh.
    std::size_t p = RenderElement(t, {}, buffer, 0, 6);
    p = RenderSilence(t, true, buffer, p, 40, true);
    EXPECT_NE(buffer[6], buffer[4]);
    for (int f = 4; f < 8; ++f)
        EXPECT_EQ(buffer[2 * f], buffer[6]) << f;
    for (int f = 9; f < 16; ++f)
        EXPECT_EQ(buffer[2 * f], buffer[16]) << f;
    EXPECT_NE(buffer[16], buffer[14]);
    // A following silence continues the hold from the buffer.
    p = RenderSilence(t, true, buffer, p, 40, false); // starts at frame 23, held
    EXPECT_EQ(buffer[46], buffer[44]);
    for (std::size_t i = 1; i < p; i += 2)
        ASSERT_EQ(buffer[i], buffer[i - 1]);

    // Without noise, or at noise level 0, a silence is zeros.
    std::vector<std::int16_t> quiet(100, 5);
    RenderSilence(t, false, quiet, 0, 100, false);
    EXPECT_EQ(peak(quiet), 0);
    t.setNoiseLevel(0);
    std::fill(quiet.begin(), quiet.end(), 5);
    RenderSilence(t, true, quiet, 0, 100, false);
    EXPECT_EQ(peak(quiet), 0);
}

TEST(Fading, GainCyclesOverTwelveCharactersAt12WpmMedium)
{
    Fading q;
    ASSERT_EQ(q.QsbDepth(), 10);
    ASSERT_EQ(q.QSBSpeed(), 6);
    q.setQSBPhase(0);
    const double expected[12] = {1.0,    0.8254, 0.6813, 0.5623, 0.4642, 0.3831,
                                 0.3162, 0.3831, 0.4642, 0.5623, 0.6813, 0.8254};
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (int i = 0; i < 12; ++i)
            EXPECT_NEAR(q.NextGain(12), expected[i], 5e-5) << i;
    }
    EXPECT_EQ(q.QSBPhase(), 0);

    q.setQsbDepth(20);
    q.setQSBPhase(6);
    EXPECT_NEAR(q.NextGain(12), 0.1, 1e-12);

    // A phase left from a longer cycle never gives more than full level.
    q.setQSBPhase(40);
    for (int i = 0; i < 30; ++i)
        EXPECT_LE(q.NextGain(12), 1.0);

    // Restart draws a point of the cycle; fast, medium and slow set the period.
    EXPECT_TRUE(q.setQSBSpeed(10));
    EXPECT_EQ(q.QSBPeriod(), 20);
    EXPECT_FALSE(q.setQSBSpeed(3));
    RandomSeed(1);
    for (int i = 0; i < 50; ++i) {
        q.RestartPhase(12);
        ASSERT_GE(q.QSBPhase(), 0);
        ASSERT_LT(q.QSBPhase(), 20);
    }
}

TEST(Drift, TurnsAtTheLimitsAndSwitchesBack)
{
    ToneTables t;
    Drift d;
    t.setToneFrequency(1290);
    d.SwitchOn(t);
    EXPECT_EQ(t.BaseFrequency(), 1290);
    EXPECT_EQ(d.DriftNow(), 10);
    EXPECT_TRUE(d.Step(t));
    EXPECT_EQ(t.ToneFrequency(), 1300);
    EXPECT_EQ(d.DriftNow(), -10);
    EXPECT_TRUE(d.Step(t));
    EXPECT_EQ(t.ToneFrequency(), 1290);

    // Falling below the lower limit stops at it and turns upward.
    d.setDriftLower(800);
    t.setToneFrequency(805);
    EXPECT_TRUE(d.Step(t));
    EXPECT_EQ(t.ToneFrequency(), 800);
    EXPECT_EQ(d.DriftNow(), 10);
    EXPECT_TRUE(d.Step(t));
    EXPECT_EQ(t.ToneFrequency(), 810);

    // A new amount keeps the direction.
    d.setDriftAmount(25);
    EXPECT_EQ(d.DriftNow(), 25);
    d.setDriftUpper(830);
    d.Step(t); // 830: turns
    EXPECT_EQ(d.DriftNow(), -25);
    d.setDriftAmount(20);
    EXPECT_EQ(d.DriftNow(), -20);

    EXPECT_TRUE(d.SwitchOff(t));
    EXPECT_EQ(t.ToneFrequency(), 1290);
    EXPECT_EQ(d.DriftNow(), 20);
    EXPECT_FALSE(d.SwitchOff(t));

    d.setDriftAmount(0);
    EXPECT_FALSE(d.Step(t));
    EXPECT_EQ(t.ToneFrequency(), 1290);
}

TEST(Drift, LimitsAreClampedSoThePitchStaysInRange)
{
    ToneTables t;
    Drift d;
    d.setDriftUpper(20000);
    d.setDriftLower(-2000);
    EXPECT_EQ(d.DriftUpper(), 1500);
    EXPECT_EQ(d.DriftLower(), 100);
    d.setDriftUpper(10);
    d.setDriftLower(5000);
    EXPECT_EQ(d.DriftUpper(), 800);
    EXPECT_EQ(d.DriftLower(), 800);
    d.setDriftAmount(500);
    EXPECT_EQ(d.DriftAmount(), 50);
    d.setDriftUpper(1500);
    d.setDriftLower(100);
    t.setToneFrequency(800);
    for (int i = 0; i < 200; ++i) {
        d.Step(t);
        ASSERT_GE(t.ToneFrequency(), 100);
        ASSERT_LE(t.ToneFrequency(), 1500);
    }
}

TEST(Effects, ButtonsActOnlyInTheirMode)
{
    EffectSwitches s;
    s.SpeedButtonNoise = true;
    s.SpeedButtonQSBFile = true;
    ActiveEffects none = ActiveEffectsFor(s, false, false);
    EXPECT_FALSE(none.Noise || none.QSB || none.Drift);
    ActiveEffects random = ActiveEffectsFor(s, true, false);
    EXPECT_TRUE(random.Noise);
    EXPECT_FALSE(random.QSB);
    ActiveEffects file = ActiveEffectsFor(s, false, true);
    EXPECT_FALSE(file.Noise);
    EXPECT_TRUE(file.QSB);

    ToneGenerator g;
    g.Fade.setQSBPhase(6);
    g.Tables.setToneFrequency(1290);
    auto start = g.BeginCharacter({true, true, true}, 12);
    EXPECT_TRUE(start.effects.Noise);
    EXPECT_TRUE(start.effects.Fading);
    EXPECT_NEAR(start.effects.Gain, 0.3162, 5e-5);
    EXPECT_TRUE(start.driftStepped);
    EXPECT_EQ(g.Tables.ToneFrequency(), 1300);
    start = g.BeginCharacter({}, 12);
    EXPECT_FALSE(start.effects.Fading || start.effects.Noise || start.driftStepped);
    EXPECT_EQ(g.Fade.QSBPhase(), 7);
}
