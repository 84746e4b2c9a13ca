#pragma once

// The sound devices the user can choose from, by name, in a stable list order. A choice is
// an index into the list of its direction; -1 is the system's default device.

#include <QStringList>

#include <functional>

namespace audiodevices {

// Longest name shown in the device lists.
constexpr int MaxNameLength = 32;
// The output stream is stereo, so output devices need two channels; the audio decoder takes
// its channel from what an input device has, so one is enough there.
constexpr int OutputChannelsNeeded = 2;
constexpr int InputChannelsNeeded = 1;

// Whether the sound library can name the devices yet (it has started) without waiting; when
// it cannot, `then` runs once it has answered (on the sound session's thread), and false is
// returned. Until then the lists are empty.
bool devicesKnown(std::function<void()> then = {});
QStringList outputDeviceNames();
QStringList inputDeviceNames();

// The PortAudio device behind a choice: the default device for -1, the listed device for an
// index in range, else -1 (no device). Waits for the library's start (at most its bound).
int outputDeviceIndex(int choice);
int inputDeviceIndex(int choice);

} // namespace audiodevices
