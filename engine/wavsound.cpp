#include "engine/wavsound.h"

#include "engine/timing.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t le32(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]))
         | static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8
         | static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16
         | static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t le16(std::string_view b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at])
                                      | static_cast<unsigned char>(b[at + 1]) << 8);
}

struct Format {
    int channels = 0;
    int rate = 0;
    int bits = 0;
};

} // namespace

std::optional<std::vector<std::int16_t>> ParseWavSound(std::string_view bytes)
{
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<Format> format;
    std::string_view data;
    bool haveData = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string_view id = bytes.substr(at, 4);
        const std::uint64_t size = le32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body) {
            // A data chunk cut short (a file still being written) plays what is there.
            if (id != "data")
                return std::nullopt;
            data = bytes.substr(body);
            haveData = true;
            break;
        }
        if (id == "fmt " && size >= 16) {
            if (le16(bytes, body) != 1) // PCM only
                return std::nullopt;
            format = Format{le16(bytes, body + 2), static_cast<int>(le32(bytes, body + 4)), le16(bytes, body + 14)};
        } else if (id == "data") {
            data = bytes.substr(body, static_cast<std::size_t>(size));
            haveData = true;
            break;
        }
        at = body + static_cast<std::size_t>(size) + (size & 1);
    }
    if (!format || !haveData || (format->channels != 1 && format->channels != 2)
        || (format->bits != 8 && format->bits != 16) || format->rate < 4000 || format->rate > 192000)
        return std::nullopt;

    const std::size_t frameBytes = static_cast<std::size_t>(format->channels * format->bits / 8);
    std::size_t frames = data.size() / frameBytes;
    frames = std::min<std::size_t>(frames, static_cast<std::size_t>(format->rate) * MaxWavSoundSeconds);
    auto value = [&](std::size_t frame, int channel) -> double {
        const std::size_t at = frame * frameBytes + static_cast<std::size_t>(channel * format->bits / 8);
        if (format->bits == 8)
            return (static_cast<unsigned char>(data[at]) - 128) * 256.0;
        return static_cast<std::int16_t>(le16(data, at));
    };
    // Linear interpolation to the output's rate; one channel is heard on both sides.
    const double step = static_cast<double>(format->rate) / SampleRate;
    const std::size_t outFrames = frames == 0 ? 0 : static_cast<std::size_t>((frames - 1) / step) + 1;
    std::vector<std::int16_t> out;
    out.reserve(outFrames * 2);
    for (std::size_t k = 0; k < outFrames; ++k) {
        const double position = k * step;
        const std::size_t first = static_cast<std::size_t>(position);
        const std::size_t second = std::min(first + 1, frames - 1);
        const double part = position - static_cast<double>(first);
        for (int c = 0; c < 2; ++c) {
            const int channel = std::min(c, format->channels - 1);
            const double v = value(first, channel) * (1 - part) + value(second, channel) * part;
            out.push_back(static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0)));
        }
    }
    return out;
}
