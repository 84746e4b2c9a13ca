#pragma once

// The audio decoder's input through PortAudio: a capture stream read in short pieces by a
// worker thread of its own, converted into the input's blocks and passed through a lock-free
// ring to the user-interface thread, woken through a Wakeup. While the ring is full the worker
// waits, so a capture device that delivers faster than real time (a file) is taken at the pace
// the decoder keeps; a real device then loses what it captured meanwhile, as an overrun would.
//
// The stream is opened on the sound session's thread (PortAudioSession), waited for at most
// OpenBound, and stopped and closed there without being waited for: a frozen sound server
// freezes no window. An opening past the bound goes on: the input is taken when it answers, or
// the failure handler runs when it was refused. What the worker and the closing use lives in a
// reader of their own, which outlives this object when they are still held up.

#include "platform/audioinput.h"
#include "platform/portaudiosession.h"
#include "platform/wakeup.h"

#include <chrono>
#include <memory>

class PortAudioInput : public AudioInput {
public:
    // Blocks the ring holds (about 1.6 s).
    static constexpr std::size_t RingBlocks = 16;
    // Frames read at a time, at 11025 frames per second (about 23 ms).
    static constexpr int ReadFrames = 256;
    // The longest the user-interface thread waits for the stream to open (as for the output).
    static constexpr std::chrono::milliseconds OpenBound = PortAudioSession::OpenBound;

    PortAudioInput();
    ~PortAudioInput() override;
    PortAudioInput(const PortAudioInput &) = delete;
    PortAudioInput &operator=(const PortAudioInput &) = delete;

    int open(int device) override;
    void close() override;
    bool isOpen() const override { return m_reader != nullptr; }
    bool opening() const override { return m_opening != nullptr; }

    // The rate and channel count the device was opened with (0 when closed).
    int deviceRate() const;
    int deviceChannels() const;

    struct Reader;

private:
    void drain();

    std::shared_ptr<Reader> m_reader;
    std::shared_ptr<Reader> m_opening; // an opening that did not answer within OpenBound
    Wakeup m_wakeup;
};
