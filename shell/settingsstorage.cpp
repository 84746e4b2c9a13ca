#include "shell/settingsstorage.h"

#include "platform/userfile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {

namespace {

std::string describe(const char *what, const std::string &path, int err)
{
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

std::string folderOf(const std::string &path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// As many links as the system's own path lookup follows before it gives up (ELOOP): a file
// the reader reached is a file the writer reaches.
constexpr int MaxLinks = 40;

// Where a write to `path` lands. A symbolic link, or a chain of them (dotfiles kept elsewhere),
// is followed to the file it finally names, so the link stays and that file gets the bytes; a
// relative link counts from the link's own folder, and a dangling link's target is created.
bool followLinks(const std::string &path, std::string *target, std::string *error)
{
    std::string current = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *target = current;
            return true;
        }
        if (links == MaxLinks) {
            *error = describe("cannot follow the link", path, ELOOP);
            return false;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link);
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof link) {
            *error = describe("cannot follow the link", current, n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string next(link, static_cast<std::size_t>(n));
        current = next.front() == '/' ? next : folderOf(current) + "/" + next;
    }
}

} // namespace

ReadResult ReadWholeFile(const std::string &path)
{
    userfile::ReadResult file = userfile::ReadUserFile(path, MaxFileBytes);
    ReadResult result;
    switch (file.status) {
    case userfile::ReadStatus::Read:
        result.status = ReadStatus::Read;
        result.bytes = std::move(file.bytes);
        break;
    case userfile::ReadStatus::Missing:
        break;
    default:
        result.status = ReadStatus::Unreadable;
        result.error = std::move(file.error);
        break;
    }
    return result;
}

bool WriteFileSafely(const std::string &linkOrPath, std::string_view bytes, std::string *error)
{
    auto fail = [&](std::string message) {
        if (error)
            *error = std::move(message);
        return false;
    };

    std::string path;
    std::string why;
    if (!followLinks(linkOrPath, &path, &why))
        return fail(why);
    // A device or a FIFO there is not the settings file: never replaced (a folder the rename
    // refuses by itself).
    if (const int refused = userfile::WritableTarget(path); refused != 0 && refused != EISDIR)
        return fail(describe("cannot replace", path, refused));
    const std::string folder = folderOf(path);
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data()); // O_CREAT | O_EXCL: never someone else's file
    if (fd < 0)
        return fail(describe("cannot create a temporary file for", path, errno));

    auto discard = [&](const char *what) {
        int err = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return fail(describe(what, temp, err));
    };

    if (::fchmod(fd, 0644) != 0)
        return discard("cannot set the mode of");
    if (!writeAll(fd, bytes))
        return discard("cannot write");
    if (::fsync(fd) != 0)
        return discard("cannot sync");
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return discard("cannot close");
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return discard("cannot rename");

    // The new file is in place; what follows only hardens it.
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    ::chmod(path.c_str(), 0444);
    return true;
}

} // namespace settings
