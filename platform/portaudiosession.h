#pragma once

// PortAudio is started once per process, on first use, and shut down when the process ends.
// Every user of PortAudio calls PortAudioSession::start() first.

class PortAudioSession {
public:
    // 0 when PortAudio is ready, else the error from its start (the same on every call).
    static int start();

    PortAudioSession(const PortAudioSession &) = delete;
    PortAudioSession &operator=(const PortAudioSession &) = delete;

private:
    PortAudioSession();
    ~PortAudioSession();

    int m_error;
};
