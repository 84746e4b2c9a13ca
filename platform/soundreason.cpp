#include "platform/soundreason.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex asking; // the library's error handler is one for the whole process
std::string *firstComplaint = nullptr;

// The first complaint is the cause; those after it follow from it.
void collect(const char *, int, const char *, int err, const char *format, ...)
{
    if (!firstComplaint || !firstComplaint->empty())
        return;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    std::string said(text);
    if (err != 0)
        said += std::string(": ") + snd_strerror(err);
    while (!said.empty() && static_cast<unsigned char>(said.back()) <= ' ')
        said.pop_back();
    *firstComplaint = said;
}

} // namespace

std::string DefaultSoundDeviceProblem(bool input)
{
    std::lock_guard lock(asking);
    std::string complaint;
    firstComplaint = &complaint;
    snd_lib_error_set_handler(collect);
    snd_pcm_t *pcm = nullptr;
    const int error
        = snd_pcm_open(&pcm, "default", input ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    snd_lib_error_set_handler(nullptr);
    firstComplaint = nullptr;
    if (error >= 0) {
        snd_pcm_close(pcm);
        return {};
    }
    return complaint.empty() ? snd_strerror(error) : complaint;
}

std::string SoundDeviceFailure(int device, bool input)
{
    if (device >= 0)
        return {};
    const std::string problem = DefaultSoundDeviceProblem(input);
    if (problem.empty())
        return {};
    return (input ? "no sound input: " : "no sound output: ") + problem;
}
