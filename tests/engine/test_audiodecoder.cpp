// The audio decoder: its band-pass filter, the level detector with its threshold, the
// adaptive dot, dash and space estimates with their rules, and whole texts: the engine's own
// rendering decoded back, and keyed tones in noise.

#include "tests/engine/enginerig.h"
#include "tests/engine/morsesignal.h"

#include "engine/audiodecoder.h"
#include "engine/bandpass.h"
#include "platform/audioinput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace morsesignal;

namespace {

// Square bursts of magnitude `level` on both channels. The detector holds a peak for 30
// frames, so a burst of n frames is measured as a tone of n + 29 and the gap after it 29
// shorter: `tone` gives bursts for measured lengths.
struct Bursts {
    int level = 100;
    std::vector<std::uint8_t> frames = silence(100);

    Bursts &on(int measured)
    {
        const int n = measured - (AudioDecoder::WindowFrames - 1);
        frames.insert(frames.end(), static_cast<std::size_t>(2 * n), static_cast<std::uint8_t>(128 + level));
        return *this;
    }
    Bursts &off(int measured)
    {
        const int n = measured + (AudioDecoder::WindowFrames - 1);
        frames.insert(frames.end(), static_cast<std::size_t>(2 * n), 128);
        return *this;
    }
};

struct Decoding {
    Recorder out;
    AudioDecoder decoder{out};
    void run(const Bursts &b) { feed(decoder, b.frames); }
};

} // namespace

TEST(BandPass, CoefficientsAreThoseOfTheFilterWindowsSettings)
{
    const BandPassCoefficients c = ComputeBandPassCoefficients(800, 100);
    EXPECT_NEAR(double(c.a0), 0.0277129863, 1e-9);
    EXPECT_EQ(double(c.a1), 0.0);
    EXPECT_NEAR(double(c.a2), -0.0277129863, 1e-9);
    EXPECT_NEAR(double(c.b1), -1.7459457756, 1e-9);
    EXPECT_NEAR(double(c.b2), 0.9445740274, 1e-9);
    const BandPassCoefficients narrow = ComputeBandPassCoefficients(500, 50);
    EXPECT_NEAR(double(narrow.a0), 0.0140483808, 1e-9);
    EXPECT_NEAR(double(narrow.b1), -1.8923866886, 1e-9);
    const BandPassCoefficients wide = ComputeBandPassCoefficients(1500, 400);
    EXPECT_NEAR(double(wide.b2), 0.7945639511, 1e-9);
    // Settings from a damaged file are held to the up-downs' ranges: no division by zero.
    const BandPassCoefficients held = ComputeBandPassCoefficients(0, -5);
    EXPECT_EQ(double(held.a0), double(narrow.a0));
    EXPECT_EQ(double(held.b1), double(narrow.b1));
    EXPECT_EQ(double(ComputeBandPassCoefficients(99999, 99999).b2), double(wide.b2));
}

TEST(BandPass, PassesTheCentreWholeAndTheBandEdgesAtThreeDecibelsDown)
{
    const BandPassCoefficients c = ComputeBandPassCoefficients(800, 100);
    auto gain = [&](double hz) {
        BandPassChannel channel;
        int peak = 0;
        for (int n = 0; n < 11025; ++n) {
            const auto in = static_cast<std::uint8_t>(std::lround(128 + 100 * std::sin(2 * std::numbers::pi * hz * n / 11025)));
            const int out = std::abs(channel.Filter(in, c) - 128);
            if (n > 5000) // settled
                peak = std::max(peak, out);
        }
        return peak / 100.0;
    };
    EXPECT_NEAR(gain(800), 1.0, 0.02);
    EXPECT_NEAR(gain(750), 0.707, 0.03);
    EXPECT_NEAR(gain(850), 0.707, 0.03);
    EXPECT_LT(gain(2000), 0.1);
}

TEST(AudioDecoder, LearnsTheDotFromTheFirstToneAndTellsDashesByTwiceIt)
{
    Decoding d;
    // A first dot of 660 frames (20 wpm), a gap of one dot and a dash of three.
    d.run(Bursts{}.on(660).off(660).on(1980).off(700));
    EXPECT_EQ(d.decoder.Elements(), ".-");
    EXPECT_EQ(d.decoder.DotEstimate(), 660);
    EXPECT_EQ(d.decoder.DashEstimate(), 1980);
    EXPECT_EQ(d.decoder.SpaceEstimate(), 660);
    EXPECT_EQ(d.out.line, ".-");
    EXPECT_EQ(d.out.estimates, " p=660  t=1980  i=660  C=.-");

    // A tone of exactly twice the dot is still a dot.
    Decoding twice;
    twice.run(Bursts{}.on(660).off(660).on(1320).off(700));
    EXPECT_EQ(twice.decoder.Elements(), "..");
    EXPECT_EQ(twice.decoder.DotEstimate(), 990);
    EXPECT_EQ(twice.decoder.DashEstimate(), 2970);
}

TEST(AudioDecoder, AGapOverTwiceTheSpaceEndsTheCharacterAndALongSilenceAddsOneWordSpace)
{
    // i = 660 after the first dot: a gap of 1320 is not more than 2i, 1321 is.
    Decoding within;
    within.run(Bursts{}.on(660).off(1320).on(660).off(700));
    EXPECT_TRUE(within.out.codes.empty());
    EXPECT_EQ(within.decoder.Elements(), "..");
    Decoding ended;
    ended.run(Bursts{}.on(660).off(1321).on(660).off(3600));
    EXPECT_EQ(ended.out.codes, (std::vector<std::string>{"."}));
    EXPECT_EQ(ended.decoder.Elements(), ".");
    // More than 5.5 i (3630) of silence writes the letter and one word space, however long
    // the silence lasts.
    EXPECT_EQ(ended.out.text, "E");
    ended.run(Bursts{}.off(100));
    EXPECT_EQ(ended.out.text, "EE ");
    ended.run(Bursts{}.off(30000));
    EXPECT_EQ(ended.out.text, "EE ");
}

TEST(AudioDecoder, AGapUnderHalfTheSpaceTurnsTheElementsSoFarIntoDashes)
{
    Decoding d;
    d.run(Bursts{}.on(660).off(300).on(300));
    // The first tone was a dash: the old dot becomes the dash, the gap the new dot and space.
    EXPECT_EQ(d.out.rewrites, 1);
    EXPECT_EQ(d.decoder.DashEstimate(), 660);
    EXPECT_EQ(d.decoder.DotEstimate(), 300);
    EXPECT_EQ(d.decoder.SpaceEstimate(), 300);
    EXPECT_EQ(d.decoder.Elements(), "-");
    EXPECT_EQ(d.out.line, "-");
    d.run(Bursts{}.off(300));
    EXPECT_EQ(d.decoder.Elements(), "-.");
    EXPECT_EQ(d.out.line, "-.");
}

TEST(AudioDecoder, TonesAndGapsShorterThanFifteenMillisecondsDropTheLetter)
{
    for (int length : {164, 165}) {
        SCOPED_TRACE(length);
        Decoding tone;
        tone.run(Bursts{}.on(660).off(660).on(length).off(660).on(660).off(5000));
        Decoding gap;
        gap.run(Bursts{}.on(660).off(length).on(660).off(5000));
        if (length == 164) {
            // The short tone drops the letter so far; the one after starts afresh.
            EXPECT_EQ(tone.out.text, "E ");
            EXPECT_EQ(gap.out.text, "");
        } else {
            EXPECT_EQ(tone.out.codes, (std::vector<std::string>{"..."}));
            EXPECT_EQ(gap.out.codes, (std::vector<std::string>{"--"}));
        }
    }
}

TEST(AudioDecoder, ALevelEqualToTheThresholdIsATone)
{
    for (int level : {63, 64}) {
        Decoding d;
        d.decoder.SetThreshold(64);
        Bursts b;
        b.level = level;
        d.run(b.on(660).off(5000));
        EXPECT_EQ(d.out.text, level == 64 ? "E " : "") << level;
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
    const std::vector<std::uint8_t> dash = signal("TT", far);
    // Within the first dash: the left channel keeps its raw level, the filtered right one
    // stays far below it.
    feed(decoder, std::span(dash).first(2 * 4500));
    EXPECT_NEAR(decoder.LeftPeak(), 64, 2);
    EXPECT_LT(decoder.RightPeak(), 12);
    EXPECT_EQ(AudioDecoder::LevelPercent(decoder.LeftPeak()), 50);
    feed(decoder, std::span(dash).subspan(2 * 4500));
    const std::vector<std::uint8_t> em = signal("EM", far);
    feed(decoder, em);
    EXPECT_EQ(out.text, "");
    // Without the filter the right channel hears it.
    decoder.SetFilter(false);
    feed(decoder, em);
    EXPECT_EQ(out.text, "EM ");
}

// The engine's own sound, as the input would capture it: 22050 stereo 16 bit brought to
// 11025 stereo 8 bit unsigned by the input's converter.
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

Recorder decoding(const std::vector<std::uint8_t> &frames, int threshold)
{
    Recorder out;
    AudioDecoder decoder(out);
    decoder.SetThreshold(threshold);
    feed(decoder, frames);
    return out;
}

std::string decoded(const std::vector<std::uint8_t> &frames, int threshold)
{
    return decoding(frames, threshold).text;
}

TEST(AudioDecoderLoopback, TheEnginesOwnSoundDecodesBackAtEverySpeed)
{
    for (int wpm : {5, 12, 20, 40, 60}) {
        SCOPED_TRACE(wpm);
        const Recorder out = decoding(rendered("PARIS PARIS ", wpm, 0), 64);
        EXPECT_EQ(out.text, "PARIS PARIS ");
        // Every element reaches the element line, also where two end within one block.
        EXPECT_EQ(out.line, ".--. .- .-. .. ... .--. .- .-. .. ... ");
    }
    // At the default level the peak (32) stays under the default threshold: nothing.
    const std::vector<std::uint8_t> quiet = rendered("PARIS PARIS ", 20, -12);
    EXPECT_EQ(peakOf(quiet), 32);
    EXPECT_EQ(decoded(quiet, 64), "");
    EXPECT_EQ(decoded(quiet, 16), "PARIS PARIS ");
}

TEST(AudioDecoderLoopback, ALoneTWithinAWordStaysItselfWithALowThreshold)
{
    for (int wpm : {12, 30}) {
        SCOPED_TRACE(wpm);
        const std::vector<std::uint8_t> frames = rendered("VVV AT THAT TNT TO IT ET TT ", wpm, 0);
        EXPECT_EQ(decoded(frames, peakOf(frames) / 4), "VVV AT THAT TNT TO IT ET TT ");
    }
}

TEST(AudioDecoderInNoise, TenDecibelsInAFiveHundredHertzBandLoseAtMostTwoPercent)
{
    Options o;
    o.wpm = 20;
    o.amplitude = 0.25;
    o.snrDb = 10;
    Recorder out;
    AudioDecoder decoder(out);
    decoder.SetFilter(true);
    decoder.SetFilterCoefficients(ComputeBandPassCoefficients(800, 50));
    decoder.SetThreshold(19); // 60 % of the tone's peak (32)
    feed(decoder, signal(PlainText, o));
    const double errors = static_cast<double>(editDistance(out.text, PlainText)) / PlainText.size();
    EXPECT_LE(errors, 0.02) << out.text;
}
