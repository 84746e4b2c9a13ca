#include "platform/audiodevices.h"

#include "platform/portaudiosession.h"

#include <portaudio.h>

#include <vector>

namespace audiodevices {
namespace {

enum class Direction { Output, Input };

bool usable(const PaDeviceInfo *info, Direction direction)
{
    return direction == Direction::Output ? info->maxOutputChannels >= OutputChannelsNeeded
                                          : info->maxInputChannels >= InputChannelsNeeded;
}

// `wait`: for the sound library's start, at most its bound; else the lists are empty until
// it has come back.
std::vector<PaDeviceIndex> listed(Direction direction, bool wait)
{
    std::vector<PaDeviceIndex> devices;
    if (wait ? PortAudioSession::start() != paNoError : !PortAudioSession::ready())
        return devices;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo *info = Pa_GetDeviceInfo(i);
        if (info && usable(info, direction))
            devices.push_back(i);
    }
    return devices;
}

QStringList names(Direction direction)
{
    QStringList result;
    for (PaDeviceIndex i : listed(direction, false)) {
        const PaDeviceInfo *info = Pa_GetDeviceInfo(i);
        QString name = QString::fromUtf8(info->name ? info->name : "");
        name.truncate(MaxNameLength);
        result << name;
    }
    return result;
}

int deviceIndex(Direction direction, int choice)
{
    if (PortAudioSession::start() != paNoError)
        return paNoDevice;
    if (choice == -1) {
        const PaDeviceIndex device =
            direction == Direction::Output ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
        return device;
    }
    const std::vector<PaDeviceIndex> devices = listed(direction, true);
    if (choice < 0 || choice >= int(devices.size()))
        return paNoDevice;
    return devices[choice];
}

} // namespace

bool devicesKnown(std::function<void()> then)
{
    return PortAudioSession::ready(std::move(then));
}

QStringList outputDeviceNames()
{
    return names(Direction::Output);
}

QStringList inputDeviceNames()
{
    return names(Direction::Input);
}

int outputDeviceIndex(int choice)
{
    return deviceIndex(Direction::Output, choice);
}

int inputDeviceIndex(int choice)
{
    return deviceIndex(Direction::Input, choice);
}

} // namespace audiodevices
