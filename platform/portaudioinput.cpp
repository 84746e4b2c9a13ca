#include "platform/portaudioinput.h"

#include "platform/audiodevices.h"
#include "platform/portaudiosession.h"
#include "platform/soundreason.h"

#include "platform/outputmixer.h" // SpscRing

#include <portaudio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// Rates tried in turn: the decoder's own, then rates devices commonly take.
constexpr int Rates[] = {AudioInput::SampleRate, 22050, 44100, 48000, 16000, 32000, 96000};

} // namespace

// The stream and what its worker shares with the user-interface thread.
struct PortAudioInput::Reader {
    using Block = std::array<std::uint8_t, BlockBytes>;

    PaStream *stream = nullptr;
    InputConverter converter;
    SpscRing<Block, RingBlocks> ring;
    std::atomic<bool> stop{false};
    std::atomic<int> error{0};
    // The opening's result, and whether it came after its caller had stopped waiting.
    std::atomic<int> opened{paTimedOut};
    std::atomic<bool> answeredLate{false};
    std::atomic<std::uint64_t> taken{0};  // blocks the user-interface thread took
    std::atomic<std::uint64_t> events{0}; // wakes the worker: a block taken, or stop
    std::thread worker;
    int eventFd = -1; // its own copy of the wake-up, valid as long as the worker may wake

    ~Reader()
    {
        if (eventFd >= 0)
            ::close(eventFd);
    }

    // On the session's thread.
    int openStream(int device);
    // Any thread: the worker ends at its next read or wait.
    void askToStop()
    {
        stop = true;
        events.fetch_add(1);
        events.notify_all();
    }
    void closeStream()
    {
        askToStop();
        if (worker.joinable())
            worker.join();
        if (stream) {
            Pa_AbortStream(stream);
            Pa_CloseStream(stream);
            stream = nullptr;
        }
    }
    void run(int framesPerRead);
};

PortAudioInput::PortAudioInput()
    : m_wakeup([this] { drain(); })
{
}

PortAudioInput::~PortAudioInput()
{
    close();
}

int PortAudioInput::deviceRate() const
{
    return m_reader ? m_reader->converter.rate() : 0;
}

int PortAudioInput::deviceChannels() const
{
    return m_reader ? m_reader->converter.channels() : 0;
}

int PortAudioInput::open(int device)
{
    close();
    if (!m_wakeup.valid())
        return paInsufficientMemory;
    auto reader = std::make_shared<Reader>();
    reader->eventFd = m_wakeup.duplicate();
    if (reader->eventFd < 0)
        return paInsufficientMemory;
    const bool inTime = PortAudioSession::call(
        [reader, device] {
            // The rates tried make ALSA print each refusal; shown only when none opens.
            PortAudioSession::Capture capture;
            reader->opened = reader->openStream(device);
            if (reader->opened.load() != 0)
                capture.failed(SoundDeviceFailure(device, true));
        },
        OpenBound,
        // Nobody waited for the answer: it comes through the reader's own wake-up, which
        // outlives this object.
        [reader] {
            reader->answeredLate = true;
            Wakeup::wake(reader->eventFd);
        });
    if (!inTime) {
        // A slow or frozen sound server, not a refusal: taken when it answers.
        m_opening = std::move(reader);
        return paTimedOut;
    }
    if (const int error = reader->opened.load(); error != 0)
        return error;
    m_reader = std::move(reader);
    return 0;
}

int PortAudioInput::Reader::openStream(int device)
{
    const PaDeviceIndex index = audiodevices::inputDeviceIndex(device);
    const PaDeviceInfo *info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
    if (!info || info->maxInputChannels < 1)
        return paInvalidDevice;
    PaStreamParameters params{};
    params.device = index;
    params.channelCount = std::min(info->maxInputChannels, Channels);
    params.sampleFormat = paInt16;
    params.suggestedLatency = info->defaultHighInputLatency;
    int result = paInvalidSampleRate;
    for (int rate : Rates) {
        if (Pa_IsFormatSupported(&params, nullptr, rate) != paFormatIsSupported)
            continue;
        const unsigned long framesPerRead = static_cast<unsigned long>(ReadFrames) * rate / SampleRate;
        PaStream *opened = nullptr;
        result = Pa_OpenStream(&opened, &params, nullptr, rate, framesPerRead, paClipOff, nullptr, nullptr);
        if (result != paNoError)
            continue;
        if (result = Pa_StartStream(opened); result != paNoError) {
            Pa_CloseStream(opened);
            continue;
        }
        stream = opened;
        converter.configure(rate, params.channelCount);
        worker = std::thread([this, framesPerRead] { run(static_cast<int>(framesPerRead)); });
        return 0;
    }
    return result;
}

void PortAudioInput::close()
{
    std::shared_ptr<Reader> reader = m_reader ? std::move(m_reader) : std::move(m_opening);
    m_reader.reset();
    m_opening.reset();
    if (!reader)
        return;
    reader->askToStop();
    // The worker may be held in a read by a frozen server, the opening by the server itself:
    // joined and closed where nobody waits for it, after the opening.
    PortAudioSession::post([reader] { reader->closeStream(); });
}

// The worker: reads, converts, and waits for room in the ring.
void PortAudioInput::Reader::run(int framesPerRead)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(framesPerRead * converter.channels()));
    std::uint64_t pushed = 0;
    while (!stop.load()) {
        const PaError result = Pa_ReadStream(stream, samples.data(), static_cast<unsigned long>(framesPerRead));
        // An overrun loses sound, but what was read is good.
        if (result != paNoError && result != paInputOverflowed) {
            error = result;
            Wakeup::wake(eventFd);
            return;
        }
        converter.feed(samples.data(), static_cast<std::size_t>(framesPerRead),
                       [&](std::span<const std::uint8_t> frames) {
                           Block block;
                           std::copy(frames.begin(), frames.end(), block.begin());
                           // Room comes when the user-interface thread takes a block.
                           for (;;) {
                               const std::uint64_t seen = events.load();
                               if (stop.load() || pushed - taken.load() < RingBlocks)
                                   break;
                               events.wait(seen);
                           }
                           if (stop.load() || !ring.push(block))
                               return;
                           ++pushed;
                           Wakeup::wake(eventFd);
                       });
    }
}

void PortAudioInput::drain()
{
    // An opening that went on past its bound has answered: the input is taken (with what it
    // captured meanwhile), or the refusal told.
    if (m_opening && m_opening->answeredLate.load()) {
        std::shared_ptr<Reader> reader = std::move(m_opening);
        if (const int error = reader->opened.load(); error != 0) {
            reportFailure(error);
            return;
        }
        m_reader = std::move(reader);
    }
    Reader::Block block;
    // A handler may close the input (and open another): the reader is looked at each time.
    while (m_reader && m_reader->ring.pop(block)) {
        Reader &reader = *m_reader;
        reader.taken.fetch_add(1);
        reader.events.fetch_add(1);
        reader.events.notify_all();
        deliver(block);
    }
    if (m_reader && m_reader->error.load() != 0) {
        const int error = m_reader->error.load();
        close();
        reportFailure(error);
    }
}
