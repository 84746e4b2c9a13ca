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

} // namespace

ReadResult ReadUserFile(const std::string &path, std::size_t limit)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer that never comes. It changes
    // nothing for a regular file.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        const int err = errno;
        if (err == ENOENT)
            return failure(ReadStatus::Missing, "no file " + path);
        return systemFailure("cannot open", path, err);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return systemFailure("cannot read", path, errno);
    if (!S_ISREG(st.st_mode))
        return failure(ReadStatus::NotAFile, "cannot read " + path + ": not a regular file");
    const auto tooLarge = [&] {
        return failure(ReadStatus::TooLarge,
                       "cannot read " + path + ": larger than " + std::to_string(limit) + " bytes");
    };
    if (static_cast<unsigned long long>(st.st_size) > limit)
        return tooLarge();

    // The size said may be wrong (a file that grows, a file system that reports 0): the
    // reading itself stops one byte past the limit.
    ReadResult result;
    result.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == result.bytes.size()) {
            if (got > limit)
                return tooLarge();
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
    if (got > limit)
        return tooLarge();
    result.bytes.resize(got);
    result.status = ReadStatus::Read;
    return result;
}

bool OpensForReading(const std::string &path)
{
    const ReadStatus status = ReadUserFile(path, 0).status;
    return status == ReadStatus::Read || status == ReadStatus::TooLarge;
}

} // namespace userfile
