// How long a straight key waits for its sidetone: from the key-down (SidetoneVoice::keyDown on
// this thread) to the first sample of the tone leaving the mixer in the audio callback, and
// to its being heard (plus the stream's reported output latency). The stream is opened as the
// program opens its own: the default device, 22050 Hz stereo 16 bit, the device's lowest
// latency but at least the buffer time the output would take on this machine now (its lowest,
// or a larger step when the processors are crowded; KESTRELON_BUFFER_MS in ms to try another),
// in the blocks the output asks for at that step, the callback thread asking for real-time
// scheduling on its first block.
//
// Each iteration's time is the key-down-to-heard latency; the counters give it in parts:
//   to_mixer_ms / to_mixer_frames  key-down to the first tone sample leaving the mixer
//   callback_frames                frames per callback (the period the key-down may wait)
//   output_latency_ms              the stream's reported output latency
//   bound_ms                       one callback period plus the output latency (the target)
//   worst_ms                       the longest key-down to heard
//   buffer_ms                      the buffer time asked for
// Key-downs start once the stream has taken sound for StreamWarmUp: a PulseAudio stream takes
// up to two seconds before its first block, and the program opens its own at start, long
// before a key goes down.

#include "bench/eventloopmain.h"
#include "platform/audiodevices.h"
#include "platform/outputmixer.h"
#include "platform/portaudiooutput.h"
#include "platform/portaudiosession.h"
#include "platform/realtime.h"
#include "platform/runqueue.h"
#include "platform/sidetonevoice.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double Rate = 22050.0;
constexpr auto StreamWarmUp = std::chrono::milliseconds(500);

struct Probe {
    SidetoneVoice voice;
    OutputMixer mixer;
    std::atomic<bool> waiting{false};
    std::atomic<std::int64_t> soundAt{0}; // ns of the callback that carried the first sample
    std::atomic<long> frameInBlock{0};
    std::atomic<long> blockFrames{0};
    std::atomic<bool> ended{false};
    std::atomic<long> framesOut{0};
    realtime::AudioThreadRequest scheduling;
    Probe() { mixer.attachSidetone(&voice); }
};

int callback(const void *, void *output, unsigned long frames, const PaStreamCallbackTimeInfo *,
             PaStreamCallbackFlags, void *user)
{
    auto *probe = static_cast<Probe *>(user);
    probe->scheduling.onAudioThread();
    const auto start = Clock::now();
    auto *out = static_cast<std::int16_t *>(output);
    if (probe->mixer.render(out, frames))
        probe->ended = true;
    probe->blockFrames = static_cast<long>(frames);
    probe->framesOut += static_cast<long>(frames);
    if (probe->waiting) {
        for (unsigned long f = 0; f < frames; ++f) {
            if (out[2 * f] != 0 || out[2 * f + 1] != 0) {
                probe->frameInBlock = static_cast<long>(f);
                probe->soundAt = std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
                probe->waiting = false;
                break;
            }
        }
    }
    return paContinue;
}

// A tone with a rise, like the program's table (what it sounds like does not matter here).
std::vector<std::int16_t> tone()
{
    std::vector<std::int16_t> values(2 * 22050);
    for (std::size_t i = 0; i < values.size() / 2; ++i) {
        const double rise = i < 50 ? double(i + 1) / 50.0 : 1.0;
        const auto v = static_cast<std::int16_t>(8000 * rise * std::sin(2 * M_PI * 800.0 * double(i) / Rate));
        values[2 * i] = values[2 * i + 1] = v == 0 ? 1 : v;
    }
    return values;
}

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

void BM_KeyDownToSidetone(benchmark::State &state)
{
    if (PortAudioSession::start() != paNoError) {
        state.SkipWithError("PortAudio does not start");
        return;
    }
    const PaDeviceIndex device = audiodevices::outputDeviceIndex(-1);
    const PaDeviceInfo *info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (!info) {
        state.SkipWithError("no default output device");
        return;
    }
    Probe probe;
    probe.voice.setTone(tone());
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = 2;
    parameters.sampleFormat = paInt16;
    double bufferTime = PortAudioOutput::DefaultBufferTime;
    int step = 0;
    if (const char *ms = std::getenv("KESTRELON_BUFFER_MS")) {
        bufferTime = std::atof(ms) / 1000.0;
        step = bufferTime > StreamOutput::DefaultBufferTime ? 1 : 0;
    } else {
        // The step the output would take under the load of the moment, read as it reads it.
        RunQueueGauge gauge;
        double perCore = -1.0;
        for (std::size_t i = 0; i < RunQueueGauge::Window; ++i) {
            perCore = gauge();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        step = StreamOutput::loadStepFor(perCore);
        bufferTime = StreamOutput::BufferSteps[step];
    }
    // In the blocks the output asks for at that step.
    const unsigned long block = StreamOutput::blockFramesAt(step, bufferTime);
    parameters.suggestedLatency = std::max(info->defaultLowOutputLatency, bufferTime);
    PaStream *stream = nullptr;
    const std::vector<pid_t> before = realtime::threadsOfThisProcess();
    if (Pa_OpenStream(&stream, nullptr, &parameters, Rate, block > 0 ? block : paFramesPerBufferUnspecified,
                      paNoFlag, callback, &probe) != paNoError) {
        state.SkipWithError("the default device does not open");
        return;
    }
    probe.scheduling.arm(realtime::threadsStartedSince(before));
    if (Pa_StartStream(stream) != paNoError) {
        state.SkipWithError("the default device does not start");
        return;
    }
    const double outputLatency = Pa_GetStreamInfo(stream)->outputLatency;
    const long warmFrames = static_cast<long>(Rate * std::chrono::duration<double>(StreamWarmUp).count());
    if (!waitUntil([&] { return probe.framesOut.load() >= warmFrames; }, std::chrono::seconds(10))) {
        state.SkipWithError("the stream took no sound within 10 s");
        Pa_CloseStream(stream);
        return;
    }

    double toMixerMs = 0, toMixerFrames = 0, maxBlock = 0, worstMs = 0;
    int measured = 0;
    for (auto _ : state) {
        // Key down somewhere inside a callback period, as a hand would.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + 1777 * (measured % 7)));
        probe.ended = false;
        probe.waiting = true;
        const auto down = Clock::now();
        probe.voice.keyDown();
        if (!waitUntil([&] { return !probe.waiting; }, std::chrono::seconds(2))) {
            state.SkipWithError("the tone never left the mixer");
            break;
        }
        const double callbackMs = double(probe.soundAt.load()
                                         - std::chrono::duration_cast<std::chrono::nanoseconds>(down.time_since_epoch()).count())
            / 1e6;
        const double inBlockMs = double(probe.frameInBlock.load()) * 1000.0 / Rate;
        const double mixerMs = std::max(0.0, callbackMs) + inBlockMs;
        state.SetIterationTime((mixerMs + outputLatency * 1000.0) / 1000.0);
        worstMs = std::max(worstMs, mixerMs + outputLatency * 1000.0);
        toMixerMs += mixerMs;
        toMixerFrames += mixerMs * Rate / 1000.0;
        maxBlock = std::max(maxBlock, double(probe.blockFrames.load()));
        ++measured;
        probe.voice.keyUp();
        waitUntil([&] { return probe.ended.load(); }, std::chrono::seconds(2));
        probe.voice.deliverDone();
    }
    Pa_StopStream(stream);
    Pa_CloseStream(stream);
    if (measured > 0) {
        state.counters["to_mixer_ms"] = toMixerMs / measured;
        state.counters["to_mixer_frames"] = toMixerFrames / measured;
        state.counters["callback_frames"] = maxBlock;
        state.counters["output_latency_ms"] = outputLatency * 1000.0;
        state.counters["bound_ms"] = maxBlock * 1000.0 / Rate + outputLatency * 1000.0;
        state.counters["worst_ms"] = worstMs;
        state.counters["buffer_ms"] = bufferTime * 1000.0;
        const realtime::Scheduling granted = probe.scheduling.scheduling();
        state.counters["realtime"]
            = granted == realtime::Scheduling::Fifo || granted == realtime::Scheduling::RealtimeKit;
        state.counters["feeders_raised"] = probe.scheduling.feedersRaised();
    }
}
BENCHMARK(BM_KeyDownToSidetone)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace

KESTRELON_BENCHMARK_MAIN_WITH_EVENT_LOOP()
