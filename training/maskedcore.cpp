#include "training/maskedcore.h"

namespace masked {

namespace {

unsigned char markerOf(const std::string &value, std::size_t i)
{
    if (i >= value.size())
        return 0;
    const auto byte = static_cast<unsigned char>(value[i]);
    return byte == NoMarkerByte ? 0 : byte;
}

char byteOf(unsigned char marker)
{
    return static_cast<char>(marker == 0 ? NoMarkerByte : marker);
}

} // namespace

Markers ParseSetting(const std::string &value)
{
    return {markerOf(value, 0), markerOf(value, 1)};
}

std::string FormatSetting(Markers markers)
{
    return {byteOf(markers.start), byteOf(markers.end)};
}

EditsVerdict CheckEdits(std::optional<unsigned char> start, std::optional<unsigned char> end)
{
    if (!start && !end)
        return EditsVerdict::Clear;
    if (start == end)
        return EditsVerdict::Same;
    if (start == NoMarkerByte || end == NoMarkerByte || start == 0 || end == 0)
        return EditsVerdict::Refused;
    return EditsVerdict::Store;
}

} // namespace masked
