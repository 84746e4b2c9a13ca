// The sidetone voice rendered through the output mixer without a device: what leaves the
// mixer for each key-down and key-up, and the end of each key-down handed back once.

#include "platform/outputmixer.h"
#include "platform/sidetonevoice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;

// A tone table whose left and right values differ and are never 0, with a rise over its
// first 50 frames as the real table has.
Samples toneTable(std::size_t frames, int seed = 0)
{
    Samples s(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double rise = i < 50 ? double(i + 1) / 50.0 : 1.0;
        const auto v = static_cast<std::int16_t>(rise * (((i * 37 + seed * 101) % 20000) + 100));
        s[2 * i] = v;
        s[2 * i + 1] = static_cast<std::int16_t>(-v);
    }
    return s;
}

struct Rig {
    SidetoneVoice voice;
    OutputMixer mixer;
    std::vector<std::uint32_t> done;
    Rig()
    {
        mixer.attachSidetone(&voice);
        voice.setDoneHandler([this](std::uint32_t keyDown) { done.push_back(keyDown); });
    }
    // `frames` frames out of the mixer in callbacks of `block` frames; the ends reported so
    // far are delivered as the output does after each callback that says so.
    Samples render(std::size_t frames, std::size_t block = 256)
    {
        Samples out(frames * 2);
        for (std::size_t at = 0; at < frames; at += block) {
            if (mixer.render(out.data() + 2 * at, std::min(block, frames - at)))
                voice.deliverDone();
        }
        return out;
    }
};

std::int16_t fallValue(std::int16_t tone, std::size_t k)
{
    return static_cast<std::int16_t>(std::nearbyint(tone * double(49 - k) / 50.0));
}

bool silent(const Samples &s, std::size_t fromValue = 0)
{
    for (std::size_t i = fromValue; i < s.size(); ++i)
        if (s[i] != 0)
            return false;
    return true;
}

} // namespace

TEST(SidetoneVoice, KeyDownPlaysTheTableWithItsRiseAndKeyUpFallsOverExactlyFiftyFrames)
{
    Rig rig;
    const Samples table = toneTable(5000);
    rig.voice.setTone(table);
    EXPECT_TRUE(silent(rig.render(100))); // nothing before the key goes down

    const std::uint32_t key = rig.voice.keyDown();
    const Samples held = rig.render(300, 64);
    EXPECT_EQ(held, Samples(table.begin(), table.begin() + 600)); // rise included, frame for frame
    EXPECT_TRUE(rig.done.empty());

    rig.voice.keyUp();
    const Samples after = rig.render(200, 64);
    for (std::size_t k = 0; k < SidetoneVoice::FallFrames; ++k) {
        EXPECT_EQ(after[2 * k], fallValue(table[2 * (300 + k)], k)) << "fall frame " << k;
        EXPECT_EQ(after[2 * k + 1], fallValue(table[2 * (300 + k) + 1], k)) << "fall frame " << k;
    }
    EXPECT_EQ(after[2 * 49], 0); // the fall's last frame is silent
    EXPECT_NE(after[2 * 48], 0);
    EXPECT_TRUE(silent(after, 2 * SidetoneVoice::FallFrames));
    EXPECT_EQ(rig.done, std::vector<std::uint32_t>{key});

    // Nothing more is reported, whatever else happens to the ended key-down.
    rig.voice.keyUp();
    rig.render(1000);
    EXPECT_EQ(rig.done, std::vector<std::uint32_t>{key});
}

TEST(SidetoneVoice, AKeyHeldTenSecondsFallsSilentAtTenSecondsAndEndsOnce)
{
    Rig rig;
    const Samples table = toneTable(SidetoneVoice::MaxFrames + 4000); // longer than 10 s
    rig.voice.setTone(table);
    const std::uint32_t key = rig.voice.keyDown();
    const Samples out = rig.render(SidetoneVoice::MaxFrames + 2000);
    const std::size_t fallStart = SidetoneVoice::MaxFrames - SidetoneVoice::FallFrames;
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + 2 * fallStart, out.begin()));
    for (std::size_t k = 0; k < SidetoneVoice::FallFrames; ++k)
        ASSERT_EQ(out[2 * (fallStart + k)], fallValue(table[2 * (fallStart + k)], k)) << k;
    EXPECT_TRUE(silent(out, 2 * SidetoneVoice::MaxFrames));
    EXPECT_EQ(rig.done, std::vector<std::uint32_t>{key});

    // The key-up that finally comes changes nothing.
    rig.voice.keyUp();
    EXPECT_TRUE(silent(rig.render(500)));
    EXPECT_EQ(rig.done, std::vector<std::uint32_t>{key});
}

TEST(SidetoneVoice, EveryKeyDownEndsExactlyOnceInOrder)
{
    Rig rig;
    rig.voice.setTone(toneTable(3000));
    // Down and up between two callbacks: it never sounds but still ends.
    const std::uint32_t quick = rig.voice.keyDown();
    rig.voice.keyUp();
    EXPECT_TRUE(silent(rig.render(256)));
    // A new key-down while the previous one still sounds: that one ends where it is.
    const std::uint32_t first = rig.voice.keyDown();
    rig.render(100);
    rig.voice.keyUp();
    const std::uint32_t second = rig.voice.keyDown();
    const Samples restart = rig.render(10, 10);
    EXPECT_EQ(restart[0], toneTable(3000)[0]); // from the table's start again
    rig.voice.keyUp();
    rig.render(256);
    EXPECT_EQ(rig.done, (std::vector<std::uint32_t>{quick, first, second}));
}

TEST(SidetoneVoice, ANewToneNeverChangesTheSoundOfAKeyDownAlreadyPlaying)
{
    Rig rig;
    const Samples a = toneTable(4000, 1);
    rig.voice.setTone(a);
    rig.voice.keyDown();
    Samples heard = rig.render(500);
    // Pitch changes while the key is held: each new table goes into a copy of its own, and
    // none may reuse the one being read.
    for (int seed = 2; seed < 8; ++seed) {
        rig.voice.setTone(toneTable(4000, seed));
        const Samples more = rig.render(200);
        heard.insert(heard.end(), more.begin(), more.end());
    }
    EXPECT_EQ(heard, Samples(a.begin(), a.begin() + 2 * 1700));
    rig.voice.keyUp();
    rig.render(256);
    // The next key-down plays the last tone given.
    rig.voice.keyDown();
    const Samples last = toneTable(4000, 7);
    EXPECT_EQ(rig.render(100), Samples(last.begin(), last.begin() + 200));
}

TEST(SidetoneVoice, AnAudioThreadAndTheUserInterfaceTogetherLoseNoEnd)
{
    Rig rig;
    rig.voice.setTone(toneTable(2000));
    std::atomic<bool> stop{false};
    std::atomic<int> endsSignalled{0};
    std::thread audio([&] {
        std::vector<std::int16_t> out(2 * 64);
        while (!stop) {
            if (rig.mixer.render(out.data(), 64))
                ++endsSignalled;
            std::this_thread::yield();
        }
    });
    std::uint32_t last = 0;
    for (int i = 0; i < 300; ++i) {
        last = rig.voice.keyDown();
        if (i % 7 == 0)
            rig.voice.setTone(toneTable(2000, i));
        std::this_thread::yield();
        rig.voice.keyUp();
        rig.voice.deliverDone();
    }
    // The last key-up is seen within a callback or two and its fall ends.
    for (int spin = 0; spin < 20000 && (rig.done.empty() || rig.done.back() != last); ++spin) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        rig.voice.deliverDone();
    }
    stop = true;
    audio.join();
    rig.voice.deliverDone();
    // Key-downs the audio thread never saw (down and up between two of its calls) end too.
    std::vector<std::uint32_t> expected;
    for (std::uint32_t k = 1; k <= last; ++k)
        expected.push_back(k);
    EXPECT_EQ(rig.done, expected);
    EXPECT_GE(endsSignalled.load(), 1);
}
