#pragma once

// The silences between the sounds of interleaved stereo samples, in frames: runs of frames
// where both channels are 0, between two sounds, at least `shortest` long (a tone's zero
// crossing is none).

#include <cstddef>
#include <cstdint>
#include <vector>

inline std::vector<std::size_t> SilencesBetweenSounds(const std::vector<std::int16_t> &s, std::size_t shortest = 20)
{
    std::vector<std::size_t> result;
    std::size_t run = 0;
    bool sounded = false;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        if (s[i] == 0 && s[i + 1] == 0) {
            ++run;
            continue;
        }
        if (sounded && run >= shortest)
            result.push_back(run);
        sounded = true;
        run = 0;
    }
    return result;
}
