#include "platform/portaudiooutput.h"

#include "platform/audiodevices.h"
#include "platform/portaudiosession.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

namespace {
// Below this the callback, which is not a real-time thread everywhere, risks gaps.
constexpr double MinimumLatency = 0.010;
} // namespace

PortAudioOutput::PortAudioOutput()
{
    m_mixer.attachSidetone(&m_sidetone);
    m_eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_eventFd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_eventFd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { deliverDone(); });
    }
}

PortAudioOutput::~PortAudioOutput()
{
    close();
    m_notifier.reset();
    if (m_eventFd >= 0)
        ::close(m_eventFd);
}

int PortAudioOutput::open(int device)
{
    close();
    if (m_eventFd < 0)
        return paInsufficientMemory;
    if (const int error = PortAudioSession::start(); error != paNoError)
        return error;
    const PaDeviceIndex index = audiodevices::outputDeviceIndex(device);
    const PaDeviceInfo *info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
    if (!info)
        return paInvalidDevice;

    PaStreamParameters parameters{};
    parameters.device = index;
    parameters.channelCount = Channels;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = std::max(info->defaultLowOutputLatency, MinimumLatency);
    PaStream *stream = nullptr;
    PaError error = Pa_OpenStream(&stream, nullptr, &parameters, SampleRate,
                                  paFramesPerBufferUnspecified, paNoFlag, &PortAudioOutput::callback,
                                  this);
    if (error != paNoError)
        return error;
    error = Pa_StartStream(stream);
    if (error != paNoError) {
        Pa_CloseStream(stream);
        return error;
    }
    m_stream = stream;
    return paNoError;
}

void PortAudioOutput::close()
{
    if (!m_stream)
        return;
    Pa_StopStream(m_stream);
    Pa_CloseStream(m_stream);
    m_stream = nullptr;
    // No callback runs any more: what it still held goes back as dropped.
    m_mixer.dropAllStopped();
    signalDone();
}

bool PortAudioOutput::isOpen() const
{
    return m_stream != nullptr;
}

int PortAudioOutput::write(Tag tag, const std::int16_t *data, std::size_t values)
{
    if (!m_stream)
        return paBadStreamPtr;
    if (values % Channels != 0)
        return paInvalidChannelCount;
    if (!data && values > 0)
        return paInternalError;
    // A stream that stopped by itself would never hand the buffer back.
    if (const PaError active = Pa_IsStreamActive(m_stream); active != 1)
        return active < 0 ? active : paStreamIsStopped;
    if (!m_mixer.push(tag, data, values))
        return paInsufficientMemory;
    return paNoError;
}

int PortAudioOutput::reset()
{
    if (!m_stream)
        return paBadStreamPtr;
    m_mixer.dropQueued();
    return paNoError;
}

void PortAudioOutput::setGain(double gain)
{
    m_mixer.setGain(gain);
}

double PortAudioOutput::gain() const
{
    return m_mixer.gain();
}

double PortAudioOutput::outputLatency() const
{
    if (!m_stream)
        return 0.0;
    const PaStreamInfo *info = Pa_GetStreamInfo(m_stream);
    return info ? info->outputLatency : 0.0;
}

int PortAudioOutput::callback(const void *, void *output, unsigned long frames,
                              const PaStreamCallbackTimeInfo *, PaStreamCallbackFlags, void *self)
{
    auto *out = static_cast<PortAudioOutput *>(self);
    if (out->m_mixer.render(static_cast<std::int16_t *>(output), frames))
        out->signalDone();
    return paContinue;
}

void PortAudioOutput::signalDone()
{
    // A write to an eventfd neither blocks nor allocates: safe on the audio thread.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_eventFd, &one, sizeof one);
}

void PortAudioOutput::deliverDone()
{
    // Clear the count before taking the tags, so a tag pushed meanwhile wakes us again.
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_eventFd, &count, sizeof count);
    Tag tag = 0;
    // One at a time: a handler may run the event loop and take the next ones itself.
    while (m_mixer.popDone(tag))
        reportDone(tag);
    m_sidetone.deliverDone();
}
