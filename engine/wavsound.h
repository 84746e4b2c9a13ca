#pragma once

// Short sounds from WAV files (kid mode's "APP.WAV"): a RIFF PCM file of 8 or 16 bits, one or
// two channels, at any common rate, made into the output's format (22050 frames per second,
// stereo, 16 bit) for the mixer's one-shot voice. Anything else, and anything damaged, is
// refused: a sound that cannot be read stays silent.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Sounds longer than this are cut.
constexpr int MaxWavSoundSeconds = 30;

std::optional<std::vector<std::int16_t>> ParseWavSound(std::string_view bytes);
