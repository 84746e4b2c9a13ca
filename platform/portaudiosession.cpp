#include "platform/portaudiosession.h"

#include <portaudio.h>

PortAudioSession::PortAudioSession() : m_error(Pa_Initialize()) {}

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
