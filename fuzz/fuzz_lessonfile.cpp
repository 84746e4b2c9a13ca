// Any bytes as a lesson file: the reading ends, never reads out of bounds, and every lesson it
// gives is one the editor could have made but for its case (1 to 55 characters, no blank, no
// control character at either end, no comment), at most 60 of them, whether the bytes are a
// whole file or the first part of a larger one (the first byte's low bit). Placing them from a
// start number taken from the same bytes touches only lessons 1 to 60. Built and run by
// scripts/fuzz.sh.

#include "training/lessoncore.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool editorCouldMake(const std::string &lesson)
{
    if (lesson.empty() || lesson.size() > static_cast<std::size_t>(lessons::MaxLessonLength))
        return false;
    const auto first = static_cast<unsigned char>(lesson.front());
    const auto last = static_cast<unsigned char>(lesson.back());
    return first >= 33 && last >= 33 && lesson.find(' ') == std::string::npos && !lesson.starts_with("//");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const bool cut = size > 0 && (data[0] & 1) != 0;
    const lessons::ImportResult read = lessons::ParseLessonFile(bytes, cut);
    if (read.lessons.size() > static_cast<std::size_t>(lessons::LessonCount))
        __builtin_trap();
    // A whole file stops as too many only at a 61st lesson; a cut one always stops.
    if (!cut && read.stop == lessons::ImportStop::TooMany
        && read.lessons.size() != static_cast<std::size_t>(lessons::LessonCount))
        __builtin_trap();
    if (cut && read.stop == lessons::ImportStop::None)
        __builtin_trap();
    for (const std::string &lesson : read.lessons) {
        if (!editorCouldMake(lesson))
            __builtin_trap();
    }

    int start = -1;
    const lessons::Placement placement = lessons::CheckPlacement(read.lessons, bytes.substr(0, 2), start);
    if (placement == lessons::Placement::Ok) {
        if (start < 1 || start + static_cast<int>(read.lessons.size()) - 1 > lessons::LessonCount)
            __builtin_trap();
        lessons::LessonTable table = lessons::DefaultLocalLessons();
        lessons::PlaceLessons(table, read.lessons, start);
        if (table[static_cast<std::size_t>(start - 1)] != read.lessons.front())
            __builtin_trap();
    } else if (start != 0) {
        __builtin_trap();
    }
    return 0;
}
