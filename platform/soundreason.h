#pragma once

#include <string>

// Why the system's default sound device cannot be opened, in the sound library's own words:
// its first complaint while it is asked once more to open the device ("PulseAudio: Unable to
// connect: Connection refused", "Invalid card index 97"), the error's text when it says
// nothing, and empty when the device opens after all. Nothing is printed meanwhile.
std::string DefaultSoundDeviceProblem(bool input);

// The line that says so when opening sound `device` failed (-1: the system's default, the only
// one asked about): "no sound output: " or "no sound input: " and the problem; empty for a
// chosen device, or when the default opens after all.
std::string SoundDeviceFailure(int device, bool input);
