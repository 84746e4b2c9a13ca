#pragma once

// Reading and writing the settings file on disk without ever losing it: a write goes to a
// unique temporary file in the same folder, is synced, and only then renamed over the old
// file, so a failure or a crash at any point leaves the old file as it was.

#include <cstddef>
#include <string>
#include <string_view>

namespace settings {

enum class ReadStatus {
    Missing,    // no file: the defaults stand, and the file may be written at exit
    Read,       // the bytes were read
    Unreadable, // the file exists but cannot be read: it must not be overwritten at exit
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string error; // what went wrong, for Unreadable
};

// A real settings file is a few kilobytes; anything larger is no settings file.
inline constexpr std::size_t MaxFileBytes = 1 << 20;

// Reads a regular file of at most MaxFileBytes. Anything else at the path (a folder, a FIFO,
// a device such as /dev/zero, a larger file) is Unreadable, is never opened, and reading it
// never blocks.
ReadResult ReadWholeFile(const std::string &path);

// Replaces the file at path with bytes: unique temporary file beside it, write, flush,
// fsync, rename over the old file (a read-only old file does not stop it), sync the
// folder, then make the new file read-only. Returns false with a description in error when
// anything before the rename fails; the old file is then untouched and the temporary file
// removed. When path is a symbolic link (or a chain of them) all of this happens to the
// file the link finally names, beside it, and the link stays: a dangling link's target is
// created when its folder exists; a missing folder, a loop of links or a chain longer than the
// system follows (40 links) is a failure, and so is anything but a regular file at the end.
bool WriteFileSafely(const std::string &path, std::string_view bytes, std::string *error = nullptr);

} // namespace settings
