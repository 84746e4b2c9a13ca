#pragma once

// The one way the program reads a file that the user or the settings name (settings, word
// lists, lesson imports, practice texts, beacon texts, the joystick calibration, the kid
// mode's sound): only a regular file, and only up to a limit that fits what it holds.
//
// What the path names is looked at before anything is opened: a device, a FIFO or a socket is
// never opened at all (opening a serial port raises its DTR and RTS lines and keys whatever
// hangs on them; opening a FIFO wakes its writer), a folder is not read, and a file that grows
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
    std::string bytes; // the whole file for Read; for TooLarge its first limit bytes when asked for
    std::string error; // what went wrong, naming the path, unless Read
    int errorNumber = 0; // the system's error code for NotAFile and Unreadable, else 0
};

// What to do with a regular file of more than the limit.
enum class Beyond {
    Refuse,     // TooLarge, bytes empty
    KeepPrefix, // TooLarge, bytes hold its first limit bytes (for readers that stop by themselves)
};

// Reads the regular file at path when it holds at most limit bytes. At most limit + 1 bytes
// are ever read.
ReadResult ReadUserFile(const std::string &path, std::size_t limit, Beyond beyond = Beyond::Refuse);

// Whether a file at path opens for reading (a test-open): a regular file that could be read,
// whatever its size. Reads at most one byte.
bool OpensForReading(const std::string &path);

// Whether a file may be written at path (by a new file renamed over it): 0 when nothing is
// there or a regular file is, links followed; else the system's error code that refuses it
// (EISDIR for a folder, EINVAL for a device, a FIFO or a socket; ELOOP, EACCES, ... when the
// path cannot even be looked at). Nothing is opened.
int WritableTarget(const std::string &path);

} // namespace userfile
