#pragma once

// An AudioInput with no device: opening can be made to fail or to answer late, and the test hands it the
// blocks a device would capture (on the test's thread, as the real input delivers them on
// the user-interface thread) or makes it fail as an unplugged device would.

#include "platform/audioinput.h"

#include <vector>

class FakeAudioInput : public AudioInput {
public:
    int open(int device) override
    {
        openedDevices.push_back(device);
        if (answersLate) {
            m_opening = true;
            return -9987; // timed out
        }
        if (openError != 0)
            return openError;
        m_open = true;
        return 0;
    }
    void close() override { m_open = m_opening = false; }
    bool isOpen() const override { return m_open; }
    bool opening() const override { return m_opening; }

    // The answer to an opening that went on (answersLate): opened, or refused with `error`.
    void answer(int error)
    {
        if (!m_opening)
            return;
        m_opening = false;
        if (error != 0)
            reportFailure(error);
        else
            m_open = true;
    }

    // Delivers `frames` (interleaved left, right) in blocks of the input's size; nothing while
    // closed, as a closed stream delivers nothing.
    void capture(const std::vector<std::uint8_t> &frames)
    {
        for (std::size_t at = 0; at < frames.size() && m_open; at += BlockBytes) {
            const std::size_t n = std::min(BlockBytes, frames.size() - at);
            deliver(std::span<const std::uint8_t>(frames.data() + at, n));
        }
    }
    void fail(int error)
    {
        m_open = false;
        reportFailure(error);
    }

    std::vector<int> openedDevices;
    int openError = 0;
    bool answersLate = false; // openings do not answer within their bound

private:
    bool m_open = false;
    bool m_opening = false;
};
