#pragma once

// The program's one downloader (libcurl): the version file of the release check and the news
// pages of the file mode come through it. Addresses without a scheme ("/index_fichiers/...")
// are taken on the maker's web server, whose base address is a setting of the downloader:
// KESTRELON_WEB_BASE in the environment, else the address built in (CMake cache variable
// KESTRELON_WEB_BASE, a placeholder on an example domain until the real server is known).
// Tests point it at a server of their own on 127.0.0.1.
//
// Every download runs to its end on the calling thread: the user-interface thread only ever
// calls these through a worker (releasecheck.h).

#include <atomic>
#include <stdexcept>
#include <string>

// The base address of the maker's web server, without a trailing "/".
std::string DownloadBase();
void SetDownloadBase(const std::string &base);

// An address with a scheme ("http://...") stays as it is; any other is a path on the base.
std::string DownloadAddress(const std::string &pathOrUrl);

// Connect and total time-outs in milliseconds, so that a download always ends (a worker
// that waits for ever could not be joined at exit). Values below 1 are taken as 1.
struct DownloadTimeouts {
    long connectMs = 15000;
    long totalMs = 100000;
};
DownloadTimeouts CurrentDownloadTimeouts();
void SetDownloadTimeouts(DownloadTimeouts timeouts);

// The largest body a download accepts; a longer one fails.
inline constexpr std::size_t MaxDownloadBytes = 16u * 1024u * 1024u;

struct DownloadResult {
    bool ok = false;
    std::string body;  // the whole answer when ok
    std::string error; // what went wrong otherwise
};

// Fetches `pathOrUrl` into memory, bypassing caches, following redirects, failing on an HTTP
// error status. When `abort` becomes true the download ends soon as failed.
DownloadResult DownloadToMemory(const std::string &pathOrUrl, const std::atomic<bool> *abort = nullptr);

// A failed download or file write; what() carries the reason.
class DownloadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Copies the resource at `Url` into the new local file `FileName` (an old one is deleted
// first). Throws DownloadError; a failure leaves no file behind.
void DownloadUrlToFile(const std::string &Url, const std::string &FileName);

// The part of `Url` after its last "/" (the whole text when there is none).
std::string UrlFileName(const std::string &Url);

// A line of the news list: the address, cut at its first " //" (a trailing comment), is
// downloaded to `FileName`, or to its own file name when `FileName` is empty. False when the
// download failed.
bool DownloadUrlLine(const std::string &Line, const std::string &FileName);
