#pragma once

// Sound input for the audio decoder: blocks of 1110 frames (about 0.1 s) at 11025 frames per
// second, 2 channels, 8 bit unsigned (silence 128), handed to the thread that opened the
// input (the user-interface thread) in the order captured. A device with one channel is
// heard on both; a device that cannot capture at 11025 is captured at a higher rate and
// brought down to it. Separate from the sound output, which is never closed for it.
//
// Open and close on the user-interface thread only.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

class AudioInput {
public:
    static constexpr int SampleRate = 11025;
    static constexpr int Channels = 2;
    static constexpr std::size_t BlockFrames = 1110;
    static constexpr std::size_t BlockBytes = BlockFrames * Channels;

    using BlockHandler = std::function<void(std::span<const std::uint8_t> frames)>;
    using FailureHandler = std::function<void(int error)>;

    virtual ~AudioInput() = default;

    // Opens and starts the input on a device (an index into audiodevices::inputDeviceNames(),
    // -1 for the system's default). 0, or an error number; a failed input stays closed.
    virtual int open(int device) = 0;
    // Stops the input, or its opening; no block is handed over afterwards.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // After an open() that failed: its device has not answered yet. The input then opens by
    // itself when it does (blocks come), or the failure handler runs when it refuses.
    virtual bool opening() const { return false; }

    void setBlockHandler(BlockHandler handler) { m_block = std::move(handler); }
    // Called once when an open input stops by itself (a device unplugged), or an opening that
    // went on refuses; it is closed by then.
    void setFailureHandler(FailureHandler handler) { m_failure = std::move(handler); }

protected:
    void deliver(std::span<const std::uint8_t> frames)
    {
        if (m_block)
            m_block(frames);
    }
    void reportFailure(int error)
    {
        if (m_failure)
            m_failure(error);
    }

private:
    BlockHandler m_block;
    FailureHandler m_failure;
};

// Captured 16-bit frames, at the device's rate and channel count, made into the input's
// blocks: each output frame is the average of the captured frames that fall into its time
// (exact halves and quarters at 22050 and 44100), a single channel copied to both sides, and
// 16 bits brought to 8 unsigned.
class InputConverter {
public:
    // `rate` of at least 11025 frames per second, `channels` at least 1 (two are used).
    void configure(int rate, int channels);
    int rate() const { return m_rate; }
    int channels() const { return m_channels; }

    // Feeds `frames` interleaved frames; `emit` gets each block as it fills.
    void feed(const std::int16_t *samples, std::size_t frames,
              const std::function<void(std::span<const std::uint8_t>)> &emit);

private:
    static std::uint8_t toUnsigned8(long long sum, int count);

    int m_rate = AudioInput::SampleRate;
    int m_channels = AudioInput::Channels;
    long long m_phase = 0; // in units of 1 / (rate x 11025) s
    long long m_sum[2] = {0, 0};
    int m_count = 0;
    std::uint8_t m_block[AudioInput::BlockBytes] = {};
    std::size_t m_filled = 0; // bytes of m_block filled
};
