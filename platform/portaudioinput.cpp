#include "platform/portaudioinput.h"

#include "platform/audiodevices.h"
#include "platform/portaudiosession.h"
#include "platform/soundreason.h"
#include "platform/stderrcapture.h"

#include <QSocketNotifier>

#include <portaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <vector>

namespace {

// Rates tried in turn: the decoder's own, then rates devices commonly take.
constexpr int Rates[] = {AudioInput::SampleRate, 22050, 44100, 48000, 16000, 32000, 96000};

void wake(int fd)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
}

} // namespace

PortAudioInput::PortAudioInput()
{
    m_eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_eventFd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_eventFd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { drain(); });
    }
}

PortAudioInput::~PortAudioInput()
{
    close();
    m_notifier.reset();
    if (m_eventFd >= 0)
        ::close(m_eventFd);
}

int PortAudioInput::open(int device)
{
    close();
    // The session's probe is not the opening's explanation: it keeps its own capture.
    if (const int error = PortAudioSession::start(); error != paNoError)
        return error;
    // The rates tried make ALSA print each refusal; shown only when none opens.
    StderrCapture capture;
    const int error = openStream(device);
    if (error != 0)
        capture.failed(SoundDeviceFailure(device, true));
    return error;
}

int PortAudioInput::openStream(int device)
{
    if (m_eventFd < 0)
        return paInsufficientMemory;
    if (const int error = PortAudioSession::start(); error != paNoError)
        return error;
    const PaDeviceIndex index = audiodevices::inputDeviceIndex(device);
    const PaDeviceInfo *info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
    if (!info || info->maxInputChannels < 1)
        return paInvalidDevice;
    PaStreamParameters params{};
    params.device = index;
    params.channelCount = std::min(info->maxInputChannels, Channels);
    params.sampleFormat = paInt16;
    params.suggestedLatency = info->defaultHighInputLatency;
    int error = paInvalidSampleRate;
    for (int rate : Rates) {
        if (Pa_IsFormatSupported(&params, nullptr, rate) != paFormatIsSupported)
            continue;
        const unsigned long framesPerRead = static_cast<unsigned long>(ReadFrames) * rate / SampleRate;
        PaStream *stream = nullptr;
        error = Pa_OpenStream(&stream, &params, nullptr, rate, framesPerRead, paClipOff, nullptr, nullptr);
        if (error != paNoError)
            continue;
        if (error = Pa_StartStream(stream); error != paNoError) {
            Pa_CloseStream(stream);
            continue;
        }
        m_stream = stream;
        m_converter.configure(rate, params.channelCount);
        m_stop = false;
        m_error = 0;
        m_taken = 0;
        // Blocks of an earlier stream still in the ring are not this one's.
        Block stale;
        while (m_ring.pop(stale)) {
        }
        m_worker = std::thread([this, framesPerRead] { run(static_cast<int>(framesPerRead)); });
        return 0;
    }
    return error;
}

void PortAudioInput::close()
{
    if (!m_stream)
        return;
    m_stop = true;
    m_events.fetch_add(1);
    m_events.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    auto *stream = static_cast<PaStream *>(m_stream);
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
    m_stream = nullptr;
}

// The worker: reads, converts, and waits for room in the ring.
void PortAudioInput::run(int framesPerRead)
{
    auto *stream = static_cast<PaStream *>(m_stream);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(framesPerRead * m_converter.channels()));
    std::uint64_t pushed = 0;
    while (!m_stop.load()) {
        const PaError error = Pa_ReadStream(stream, samples.data(), static_cast<unsigned long>(framesPerRead));
        // An overrun loses sound, but what was read is good.
        if (error != paNoError && error != paInputOverflowed) {
            m_error = error;
            wake(m_eventFd);
            return;
        }
        m_converter.feed(samples.data(), static_cast<std::size_t>(framesPerRead),
                         [&](std::span<const std::uint8_t> frames) {
                             Block block;
                             std::copy(frames.begin(), frames.end(), block.begin());
                             // Room comes when the user-interface thread takes a block.
                             for (;;) {
                                 const std::uint64_t events = m_events.load();
                                 if (m_stop.load() || pushed - m_taken.load() < RingBlocks)
                                     break;
                                 m_events.wait(events);
                             }
                             if (m_stop.load() || !m_ring.push(block))
                                 return;
                             ++pushed;
                             wake(m_eventFd);
                         });
    }
}

void PortAudioInput::drain()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(m_eventFd, &count, sizeof count);
    Block block;
    while (m_stream && m_ring.pop(block)) {
        m_taken.fetch_add(1);
        m_events.fetch_add(1);
        m_events.notify_all();
        deliver(block);
    }
    if (m_stream && m_error.load() != 0) {
        const int error = m_error.load();
        close();
        reportFailure(error);
    }
}
