#include "platform/userfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace userfile {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

ReadResult failure(ReadStatus status, std::string error, int errorNumber = 0)
{
    ReadResult result;
    result.status = status;
    result.error = std::move(error);
    result.errorNumber = errorNumber;
    return result;
}

ReadResult systemFailure(const char *what, const std::string &path, int err)
{
    return failure(ReadStatus::Unreadable, std::string(what) + " " + path + ": " + std::strerror(err), err);
}

int notAFileError(mode_t mode)
{
    return S_ISDIR(mode) ? EISDIR : EINVAL;
}

ReadResult notAFile(const std::string &path, mode_t mode)
{
    return failure(ReadStatus::NotAFile, "cannot read " + path + ": not a regular file", notAFileError(mode));
}

// Opens for reading the file that `where` (an O_PATH descriptor) names: through /proc, the
// very file that was looked at, whatever has been put at the path since. Without /proc the
// path itself is opened, and the caller checks that it is still the same file.
int openNamed(int where, const std::string &path)
{
    constexpr int Flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const std::string named = "/proc/self/fd/" + std::to_string(where);
    const int fd = ::open(named.c_str(), Flags);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    return ::open(path.c_str(), Flags);
}

} // namespace

ReadResult ReadUserFile(const std::string &path, std::size_t limit, Beyond beyond)
{
    // O_PATH names the file without opening it: no driver is asked (a serial port's lines stay
    // down), no FIFO's writer is woken, nothing waits.
    const Descriptor where(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (where.get() < 0) {
        const int err = errno;
        if (err == ENOENT)
            return failure(ReadStatus::Missing, "no file " + path);
        return systemFailure("cannot open", path, err);
    }
    struct stat looked {};
    if (::fstat(where.get(), &looked) != 0)
        return systemFailure("cannot read", path, errno);
    if (!S_ISREG(looked.st_mode))
        return notAFile(path, looked.st_mode);
    const auto tooLarge = [&] {
        return failure(ReadStatus::TooLarge,
                       "cannot read " + path + ": larger than " + std::to_string(limit) + " bytes");
    };
    if (static_cast<unsigned long long>(looked.st_size) > limit && beyond == Beyond::Refuse)
        return tooLarge();

    const Descriptor fd(openNamed(where.get(), path));
    if (fd.get() < 0)
        return systemFailure("cannot open", path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return systemFailure("cannot read", path, errno);
    if (st.st_dev != looked.st_dev || st.st_ino != looked.st_ino)
        return failure(ReadStatus::NotAFile, "cannot read " + path + ": replaced while it was opened", EAGAIN);

    // The size said may be wrong (a file that grows, a file system that reports 0): the
    // reading itself stops one byte past the limit.
    ReadResult result;
    result.bytes.resize(std::min(static_cast<std::size_t>(st.st_size), limit) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == result.bytes.size()) {
            if (got > limit)
                break;
            result.bytes.resize(std::min(limit + 1, std::max<std::size_t>(got * 2, 4096)));
        }
        const ssize_t n = ::read(fd.get(), result.bytes.data() + got, result.bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemFailure("cannot read", path, errno);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > limit) {
        ReadResult cut = tooLarge();
        if (beyond == Beyond::KeepPrefix) {
            result.bytes.resize(limit);
            cut.bytes = std::move(result.bytes);
        }
        return cut;
    }
    result.bytes.resize(got);
    result.status = ReadStatus::Read;
    return result;
}

bool OpensForReading(const std::string &path)
{
    const ReadStatus status = ReadUserFile(path, 0).status;
    return status == ReadStatus::Read || status == ReadStatus::TooLarge;
}

int WritableTarget(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    return S_ISREG(st.st_mode) ? 0 : notAFileError(st.st_mode);
}

} // namespace userfile
