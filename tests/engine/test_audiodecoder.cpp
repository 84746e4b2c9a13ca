// The audio decoder: its band-pass filter, the level detector with its threshold, the
// adaptive dot, dash and space estimates with their rules, and whole texts: the engine's own
// rendering decoded back, and keyed tones in noise.

#include "tests/engine/enginerig.h"
#include "tests/engine/morsesignal.h"

#include "platform/audioinput.h"

#include <gtest/gtest.h>

using namespace morsesignal;

namespace {

// Square bursts of magnitude `level`. The detector holds a peak for 30 frames, so a burst of
// n frames is measured as a tone of n + 29 and the gap after it 29 shorter: `on` and `off`
// take the lengths to be measured.
struct Bursts {
    int level = 100;
    std::vector<std::uint8_t> frames = silence(100);
    Bursts &on(int measured) { return add(measured - 29, static_cast<std::uint8_t>(128 + level)); }
    Bursts &off(int measured) { return add(measured + 29, 128); }
    Bursts &add(int n, std::uint8_t value)
    {
        frames.insert(frames.end(), static_cast<std::size_t>(2 * n), value);
        return *this;
    }
};

struct Decoding {
    Recorder out;
    AudioDecoder decoder{out};
    Decoding &run(const Bursts &b)
    {
        feed(decoder, b.frames);
        return *this;
    }
};

double gainAt(double hz)
{
    const BandPassCoefficients c = ComputeBandPassCoefficients(800, 100);
    BandPassChannel channel;
    int peak = 0;
    for (int n = 0; n < 11025; ++n) {
        const double in = 128 + 100 * std::sin(2 * std::numbers::pi * hz * n / 11025);
        const int out = std::abs(channel.Filter(static_cast<std::uint8_t>(std::lround(in)), c) - 128);
        peak = n > 5000 ? std::max(peak, out) : 0; // once settled
    }
    return peak / 100.0;
}

} // namespace

TEST(BandPass, CoefficientsAndGainAreThoseOfTheFilterWindowsSettings)
{
    const BandPassCoefficients c = ComputeBandPassCoefficients(800, 100);
    EXPECT_NEAR(double(c.a0), 0.0277129863, 1e-9);
    EXPECT_EQ(double(c.a1), 0.0);
    EXPECT_NEAR(double(c.a2), -0.0277129863, 1e-9);
    EXPECT_NEAR(double(c.b1), -1.7459457756, 1e-9);
    EXPECT_NEAR(double(c.b2), 0.9445740274, 1e-9);
    EXPECT_NEAR(double(ComputeBandPassCoefficients(500, 50).b1), -1.8923866886, 1e-9);
    EXPECT_NEAR(double(ComputeBandPassCoefficients(1500, 400).b2), 0.7945639511, 1e-9);
    // Settings from a damaged file are held to the up-downs' ranges: no division by zero.
    EXPECT_EQ(double(ComputeBandPassCoefficients(0, -5).b1), double(ComputeBandPassCoefficients(500, 50).b1));
    EXPECT_EQ(double(ComputeBandPassCoefficients(9999, 9999).b2), double(ComputeBandPassCoefficients(1500, 400).b2));
    // Unity at the centre, 3 dB down at its edges.
    EXPECT_NEAR(gainAt(800), 1.0, 0.02);
    EXPECT_NEAR(gainAt(750), 0.707, 0.03);
    EXPECT_NEAR(gainAt(850), 0.707, 0.03);
    EXPECT_LT(gainAt(2000), 0.1);
}

TEST(AudioDecoder, LearnsTheDotFromTheFirstToneAndTellsDashesByTwiceIt)
{
    Decoding d;
    // A first dot of 660 frames (20 wpm), a gap of one dot and a dash of three.
    d.run(Bursts{}.on(660).off(660).on(1980).off(700));
    EXPECT_EQ(d.decoder.Elements(), ".-");
    EXPECT_EQ(d.out.line, ".-");
    EXPECT_EQ(d.out.estimates, " p=660  t=1980  i=660  C=.-");
    // A tone of exactly twice the dot is still a dot.
    Decoding twice;
    twice.run(Bursts{}.on(660).off(660).on(1320).off(700));
    EXPECT_EQ(twice.decoder.Elements(), "..");
    EXPECT_EQ(twice.out.estimates, " p=990  t=2970  i=660  C=..");
}

TEST(AudioDecoder, AGapOverTwiceTheSpaceEndsTheCharacterAndALongSilenceAddsOneWordSpace)
{
    // i = 660 after the first dot: a gap of 1320 is not more than 2i, 1321 is.
    EXPECT_EQ(Decoding{}.run(Bursts{}.on(660).off(1320).on(660).off(700)).decoder.Elements(), "..");
    Decoding ended;
    ended.run(Bursts{}.on(660).off(1321).on(660).off(3600));
    EXPECT_EQ(ended.out.codes, (std::vector<std::string>{"."}));
    // More than 5.5 i (3630) of silence writes the letter and one word space, however long.
    EXPECT_EQ(ended.out.text, "E");
    EXPECT_EQ(ended.run(Bursts{}.off(100)).out.text, "EE ");
    EXPECT_EQ(ended.run(Bursts{}.off(30000)).out.text, "EE ");
}

TEST(AudioDecoder, AGapUnderHalfTheSpaceTurnsTheElementsSoFarIntoDashes)
{
    Decoding d;
    d.run(Bursts{}.on(660).off(300).on(300));
    // The old dot becomes the dash, the gap the new dot and space.
    EXPECT_EQ(d.out.rewrites, 1);
    EXPECT_EQ(d.decoder.DashEstimate(), 660);
    EXPECT_EQ(d.decoder.DotEstimate(), 300);
    EXPECT_EQ(d.decoder.SpaceEstimate(), 300);
    EXPECT_EQ(d.out.line, "-");
    d.run(Bursts{}.off(300));
    EXPECT_EQ(d.out.line, "-.");
}

TEST(AudioDecoder, TonesAndGapsUnderFifteenMillisecondsDropTheLetterAndTheThresholdCounts)
{
    EXPECT_EQ(Decoding{}.run(Bursts{}.on(660).off(660).on(164).off(660).on(660).off(5000)).out.text, "E ");
    EXPECT_EQ(Decoding{}.run(Bursts{}.on(660).off(660).on(165).off(660).on(660).off(5000)).out.text, "S ");
    EXPECT_EQ(Decoding{}.run(Bursts{}.on(660).off(164).on(660).off(5000)).out.text, "");
    EXPECT_EQ(Decoding{}.run(Bursts{}.on(660).off(165).on(660).off(5000)).out.text, "M ");
    for (int level : {63, 64}) {
        Decoding d;
        d.decoder.SetThreshold(64);
        Bursts b;
        b.level = level;
        EXPECT_EQ(d.run(b.on(660).off(5000)).out.text, level == 64 ? "E " : "") << level;
    }
}

TEST(AudioDecoder, TheFilterWorksOnTheChosenChannelOnly)
{
    Recorder out;
    AudioDecoder decoder(out);
    decoder.SetFilter(true);
    decoder.SetChannel(AudioDecoder::Right);
    Options far;
    far.frequency = 2500; // well outside 800 ± 50 Hz
    far.amplitude = 0.5;
    const std::vector<std::uint8_t> dash = signal("T", far);
    // Within the dash the left channel keeps its raw level; the filtered right one does not.
    feed(decoder, std::span(dash).first(2 * 4500));
    EXPECT_NEAR(decoder.LeftPeak(), 64, 2);
    EXPECT_EQ(AudioDecoder::LevelPercent(decoder.LeftPeak()), 50);
    EXPECT_LT(decoder.RightPeak(), 12);
    const std::vector<std::uint8_t> em = signal("EM", far);
    feed(decoder, em);
    EXPECT_EQ(out.text, "");
    decoder.SetFilter(false);
    feed(decoder, em);
    EXPECT_EQ(out.text, "EM ");
}

namespace {

// The engine's own sound brought to the input's format by the input's converter.
std::vector<std::uint8_t> rendered(const std::string &text, int wpm, int levelDb)
{
    EngineRig rig;
    rig.timing.setSpeed(wpm);
    rig.tone.Tables.setLevel(levelDb);
    rig.tone.Tables.BuildToneTables();
    rig.send(text);
    rig.playAll();
    std::vector<std::int16_t> sound;
    for (const auto &buffer : rig.output.written)
        sound.insert(sound.end(), buffer.values.begin(), buffer.values.end());
    sound.resize(sound.size() + 22050 * 2, 0);
    InputConverter converter;
    converter.configure(22050, 2);
    std::vector<std::uint8_t> frames;
    converter.feed(sound.data(), sound.size() / 2,
                   [&](std::span<const std::uint8_t> block) { frames.insert(frames.end(), block.begin(), block.end()); });
    return frames;
}

int peakOf(const std::vector<std::uint8_t> &frames)
{
    int peak = 0;
    for (std::uint8_t v : frames)
        peak = std::max(peak, std::abs(v - 128));
    return peak;
}

Recorder decoded(const std::vector<std::uint8_t> &frames, int threshold)
{
    Recorder out;
    AudioDecoder decoder(out);
    decoder.SetThreshold(threshold);
    feed(decoder, frames);
    return out;
}

} // namespace

TEST(AudioDecoderLoopback, TheEnginesOwnSoundDecodesBackAtEverySpeed)
{
    for (int wpm : {5, 12, 20, 40, 60}) {
        const Recorder out = decoded(rendered("PARIS PARIS ", wpm, 0), 64);
        EXPECT_EQ(out.text, "PARIS PARIS ") << wpm;
        // Every element reaches the element line, also where two end within one block.
        EXPECT_EQ(out.line, ".--. .- .-. .. ... .--. .- .-. .. ... ") << wpm;
    }
    // At the default level the peak (32) stays under the default threshold.
    const std::vector<std::uint8_t> quiet = rendered("PARIS PARIS ", 20, -12);
    EXPECT_EQ(peakOf(quiet), 32);
    EXPECT_EQ(decoded(quiet, 64).text, "");
    EXPECT_EQ(decoded(quiet, 16).text, "PARIS PARIS ");
}

TEST(AudioDecoderLoopback, ALoneTWithinAWordStaysItselfWithALowThreshold)
{
    for (int wpm : {12, 30}) {
        const std::vector<std::uint8_t> frames = rendered("VVV AT THAT TNT TO IT ET TT ", wpm, 0);
        EXPECT_EQ(decoded(frames, peakOf(frames) / 4).text, "VVV AT THAT TNT TO IT ET TT ") << wpm;
    }
}

TEST(AudioDecoderInNoise, TenDecibelsInAFiveHundredHertzBandLoseAtMostTwoPercent)
{
    Options o;
    o.amplitude = 0.25;
    o.snrDb = 10;
    Recorder out;
    AudioDecoder decoder(out);
    decoder.SetFilter(true);
    decoder.SetFilterCoefficients(ComputeBandPassCoefficients(800, 50));
    decoder.SetThreshold(19); // 60 % of the tone's peak
    feed(decoder, signal(PlainText, o));
    EXPECT_LE(static_cast<double>(editDistance(out.text, PlainText)) / PlainText.size(), 0.02) << out.text;
}
