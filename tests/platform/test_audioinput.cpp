// The sound input of the audio decoder: captured frames made into the decoder's blocks. (The
// real PortAudio stream is tested through the audio monitor, reading ALSA's capture device
// pointed at a file.)

#include "platform/audioinput.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> convert(int rate, int channels, const std::vector<std::int16_t> &samples)
{
    InputConverter converter;
    converter.configure(rate, channels);
    std::vector<std::uint8_t> out;
    converter.feed(samples.data(), samples.size() / static_cast<std::size_t>(channels),
                   [&](std::span<const std::uint8_t> block) { out.insert(out.end(), block.begin(), block.end()); });
    return out;
}

std::uint8_t unsigned8(int value)
{
    return static_cast<std::uint8_t>((value >> 8) + 128);
}

} // namespace

TEST(InputConverter, SixteenBitsBecomeEightUnsignedBlocksAndHigherRatesAreAveragedDown)
{
    const std::vector<std::int16_t> edges = {-32768, 32767, -1, 0, 255, 256};
    std::vector<std::int16_t> samples;
    for (int k = 0; k < 370; ++k) // 1110 frames: one block
        samples.insert(samples.end(), edges.begin(), edges.end());
    const std::vector<std::uint8_t> out = convert(11025, 2, samples);
    ASSERT_EQ(out.size(), AudioInput::BlockBytes);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 6), (std::vector<std::uint8_t>{0, 255, 127, 128, 128, 129}));
    // Less than a block gives nothing yet.
    EXPECT_TRUE(convert(11025, 2, std::vector<std::int16_t>(2 * 1109, 0)).empty());

    // 22050: the mean of two frames; 44100 with one channel: of four, heard on both sides.
    std::vector<std::int16_t> twice, four;
    for (int n = 0; n < 1110; ++n) {
        twice.insert(twice.end(), {1000, -1000, 3000, -3000});
        four.insert(four.end(), {0, 256, 512, 768});
    }
    const std::vector<std::uint8_t> half = convert(22050, 2, twice);
    ASSERT_EQ(half.size(), AudioInput::BlockBytes);
    EXPECT_EQ(half[0], unsigned8(2000));
    EXPECT_EQ(half[1], unsigned8(-2000));
    const std::vector<std::uint8_t> mono = convert(44100, 1, four);
    ASSERT_EQ(mono.size(), AudioInput::BlockBytes);
    EXPECT_TRUE(std::all_of(mono.begin(), mono.end(), [](std::uint8_t v) { return v == unsigned8(384); }));
    // 48000: ten seconds of capture give ten seconds of frames.
    InputConverter converter;
    converter.configure(48000, 2);
    std::size_t frames = 0;
    const std::vector<std::int16_t> second(2 * 48000, 0);
    for (int k = 0; k < 10; ++k)
        converter.feed(second.data(), 48000, [&](std::span<const std::uint8_t> block) { frames += block.size() / 2; });
    EXPECT_NEAR(double(frames), 10 * 11025.0, double(AudioInput::BlockFrames));
}

