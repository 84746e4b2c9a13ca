#pragma once

// The audio decoder's input through PortAudio: a capture stream read in short pieces by a
// worker thread of its own (so closing waits at most one piece), converted into the input's
// blocks and passed through a lock-free ring to the user-interface thread, woken by an
// eventfd. While the ring is full the worker waits, so a capture device that delivers faster
// than real time (a file) is taken at the pace the decoder keeps; a real device then loses
// what it captured meanwhile, as an overrun would.

#include "platform/audioinput.h"
#include "platform/outputmixer.h" // SpscRing

#include <array>
#include <atomic>
#include <memory>
#include <thread>

class QSocketNotifier;

class PortAudioInput : public AudioInput {
public:
    // Blocks the ring holds (about 1.6 s).
    static constexpr std::size_t RingBlocks = 16;
    // Frames read at a time, at 11025 frames per second (about 23 ms).
    static constexpr int ReadFrames = 256;

    PortAudioInput();
    ~PortAudioInput() override;
    PortAudioInput(const PortAudioInput &) = delete;
    PortAudioInput &operator=(const PortAudioInput &) = delete;

    int open(int device) override;
    void close() override;
    bool isOpen() const override { return m_stream != nullptr; }

    // The rate and channel count the device was opened with (0 when closed).
    int deviceRate() const { return isOpen() ? m_converter.rate() : 0; }
    int deviceChannels() const { return isOpen() ? m_converter.channels() : 0; }

private:
    using Block = std::array<std::uint8_t, BlockBytes>;

    int openStream(int device);
    void run(int framesPerRead);
    void drain();

    void *m_stream = nullptr; // PaStream
    InputConverter m_converter;
    SpscRing<Block, RingBlocks> m_ring;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_error{0};
    std::atomic<std::uint64_t> m_taken{0}; // blocks the user-interface thread took
    std::atomic<std::uint64_t> m_events{0}; // wakes the worker: a block taken, or stop
    std::thread m_worker;
    int m_eventFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
