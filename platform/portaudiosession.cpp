#include "platform/portaudiosession.h"

#include "platform/stderrcapture.h"

#include <portaudio.h>

namespace {
// Starting PortAudio probes every ALSA device and a JACK server, printing each miss.
int initialize()
{
    StderrCapture capture;
    const int error = Pa_Initialize();
    if (error != paNoError)
        capture.failed();
    return error;
}
} // namespace

PortAudioSession::PortAudioSession() : m_error(initialize()) {}

PortAudioSession::~PortAudioSession()
{
    if (m_error == paNoError)
        Pa_Terminate();
}

int PortAudioSession::start()
{
    static PortAudioSession session;
    return session.m_error;
}
