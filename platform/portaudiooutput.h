#pragma once

// Sound output over one PortAudio stream: 22050 Hz, 2 channels, 16 bit, opened once and kept
// open, at the lowest latency the device offers. The stream always runs (silence when
// nothing is queued); written buffers are played in order by the audio callback, which hands
// each finished or dropped one back through an eventfd. A socket notifier on the thread that
// created the object (the user-interface thread) then calls the done handler, once per
// buffer, in the order written.
//
// Create, open, write, reset and close on the user-interface thread only.

#include "platform/audiooutput.h"
#include "platform/outputmixer.h"
#include "platform/sidetonevoice.h"

#include <portaudio.h>

#include <memory>

class QSocketNotifier;

class PortAudioOutput : public AudioOutput {
public:
    PortAudioOutput();
    // Closes the stream; done reports still pending are not delivered.
    ~PortAudioOutput() override;

    PortAudioOutput(const PortAudioOutput &) = delete;
    PortAudioOutput &operator=(const PortAudioOutput &) = delete;

    // `device` is an index into audiodevices::outputDeviceNames(), or -1 for the default.
    // Closes first when already open. On failure the object stays closed and the PortAudio
    // error number is returned.
    int open(int device) override;
    // Stops the stream after what the device holds has been heard; buffers still queued
    // are reported done (later, from the event loop), like a reset.
    void close() override;
    bool isOpen() const override;

    // Fails (nothing reported) when closed, when `values` is not a whole number of frames,
    // or when too many buffers are out. Zero values is allowed: reported done in its turn.
    int write(Tag tag, const std::int16_t *data, std::size_t values) override;
    // Returns at once; the callback stops the playing buffer within one block and reports
    // every buffer queued so far done, unplayed, in order. Their data stays in use until
    // then. Buffers written after reset() play normally.
    int reset() override;

    void setGain(double gain) override;
    double gain() const override;
    double outputLatency() const override;
    // The voice is mixed while the stream runs; its endings come with the done reports.
    SidetoneVoice *sidetone() override { return isOpen() ? &m_sidetone : nullptr; }

private:
    static int callback(const void *input, void *output, unsigned long frames,
                        const PaStreamCallbackTimeInfo *time, PaStreamCallbackFlags flags,
                        void *self);
    void signalDone();
    void deliverDone();

    SidetoneVoice m_sidetone; // before the mixer, which reads it
    OutputMixer m_mixer;
    PaStream *m_stream = nullptr;
    int m_eventFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
