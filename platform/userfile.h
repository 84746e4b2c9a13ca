#pragma once

// The one way the program reads a file that the user or the settings name (settings, word
// lists, lesson imports, practice texts, beacon texts, the joystick calibration, the kid
// mode's sound): only a regular file, and only up to a limit that fits what it holds. A FIFO
// never blocks the opening, a device such as /dev/zero is never read, and a file that grows
// while it is read is cut off at the limit instead of filling the memory.

#include <cstddef>
#include <string>

namespace userfile {

enum class ReadStatus {
    Read,       // bytes holds the whole file
    Missing,    // nothing at the path
    NotAFile,   // a folder, a FIFO, a device, a socket
    TooLarge,   // a regular file of more than the limit
    Unreadable, // it cannot be opened or read (permissions, a file where a folder should be, input/output error)
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes; // empty unless Read
    std::string error; // what went wrong, naming the path, unless Read
    int errorNumber = 0; // the system's error code for Unreadable, else 0
};

// Reads the regular file at path when it holds at most limit bytes. At most limit + 1 bytes
// are ever read.
ReadResult ReadUserFile(const std::string &path, std::size_t limit);

// Whether a file at path opens for reading (a test-open): a regular file that could be read,
// whatever its size. Reads at most one byte.
bool OpensForReading(const std::string &path);

} // namespace userfile
