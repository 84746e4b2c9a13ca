#include "shell/download.h"

#include "shell/languages/messages.h"
#include "shell/releasecheck.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace {

std::mutex baseMutex;
std::string &baseAddress()
{
    static std::string base = [] {
        std::string value;
        if (const char *fromEnvironment = std::getenv("KESTRELON_WEB_BASE"); fromEnvironment && *fromEnvironment)
            value = fromEnvironment;
        else
#ifdef KESTRELON_WEB_BASE
            value = KESTRELON_WEB_BASE;
#else
            value = MakerWebAddress;
#endif
        while (!value.empty() && value.back() == '/')
            value.pop_back();
        return value;
    }();
    return base;
}

std::atomic<long> connectTimeoutMs{DownloadTimeouts{}.connectMs};
std::atomic<long> totalTimeoutMs{DownloadTimeouts{}.totalMs};

bool hasScheme(const std::string &address)
{
    const std::size_t colon = address.find("://");
    if (colon == std::string::npos || colon == 0)
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = address[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-'
              || c == '.'))
            return false;
    }
    return true;
}

struct CurlDeleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
struct HeaderDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

struct Sink {
    std::string *body;
    bool tooLong = false;
};

size_t writeBody(char *data, size_t size, size_t count, void *user)
{
    auto *sink = static_cast<Sink *>(user);
    const size_t bytes = size * count;
    if (sink->body->size() + bytes > MaxDownloadBytes) {
        sink->tooLong = true;
        return 0; // ends the transfer with a write error
    }
    sink->body->append(data, bytes);
    return bytes;
}

int progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto *abort = static_cast<const std::atomic<bool> *>(user);
    return abort && abort->load() ? 1 : 0;
}

// The loopback never goes through a proxy, whatever the environment says of other hosts.
std::string noProxyList()
{
    std::string list = "localhost,127.0.0.1,::1";
    for (const char *name : {"no_proxy", "NO_PROXY"}) {
        if (const char *value = std::getenv(name); value && *value) {
            list += ',';
            list += value;
            break;
        }
    }
    return list;
}

} // namespace

std::string DownloadBase()
{
    std::lock_guard lock(baseMutex);
    return baseAddress();
}

void SetDownloadBase(const std::string &base)
{
    std::lock_guard lock(baseMutex);
    baseAddress() = base;
    while (!baseAddress().empty() && baseAddress().back() == '/')
        baseAddress().pop_back();
}

std::string DownloadAddress(const std::string &pathOrUrl)
{
    if (hasScheme(pathOrUrl))
        return pathOrUrl;
    std::string path = pathOrUrl;
    if (path.empty() || path.front() != '/')
        path.insert(path.begin(), '/');
    return DownloadBase() + path;
}

DownloadTimeouts CurrentDownloadTimeouts()
{
    return {connectTimeoutMs.load(), totalTimeoutMs.load()};
}

void SetDownloadTimeouts(DownloadTimeouts timeouts)
{
    connectTimeoutMs = std::max(1L, timeouts.connectMs);
    totalTimeoutMs = std::max(1L, timeouts.totalMs);
}

DownloadResult DownloadToMemory(const std::string &pathOrUrl, const std::atomic<bool> *abort)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    DownloadResult result;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        result.error = "cannot start a download";
        return result;
    }
    curl_slist *headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = headers ? curl_slist_append(headers, "Pragma: no-cache") : nullptr;
    std::unique_ptr<curl_slist, HeaderDeleter> headerList(headers);

    const std::string address = DownloadAddress(pathOrUrl);
    const std::string noProxy = noProxyList();
    const std::string agent = std::string("Kestrelon/") + ProgramVersion;
    char errorText[CURL_ERROR_SIZE] = {};
    Sink sink{&result.body};
    CURL *h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L); // several threads download
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs.load());
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, totalTimeoutMs.load());
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(h, CURLOPT_NOPROXY, noProxy.c_str());
    if (headerList)
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool> *>(abort));

    const CURLcode code = curl_easy_perform(h);
    if (code == CURLE_OK) {
        result.ok = true;
        return result;
    }
    result.body.clear();
    if (sink.tooLong)
        result.error = "the answer is too long";
    else if (errorText[0])
        result.error = errorText;
    else
        result.error = curl_easy_strerror(code);
    return result;
}

void DownloadUrlToFile(const std::string &Url, const std::string &FileName)
{
    std::remove(FileName.c_str());
    const DownloadResult download = DownloadToMemory(Url);
    if (!download.ok)
        throw DownloadError(download.error);

    // "x": a new file only, never one that appeared meanwhile.
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(FileName.c_str(), "wbx"), std::fclose);
    if (!file)
        throw DownloadError("cannot create " + FileName);
    const bool written = std::fwrite(download.body.data(), 1, download.body.size(), file.get()) == download.body.size();
    if (std::fclose(file.release()) != 0 || !written) {
        std::remove(FileName.c_str());
        throw DownloadError("cannot write " + FileName);
    }
}

std::string UrlFileName(const std::string &Url)
{
    const std::size_t slash = Url.rfind('/');
    return slash == std::string::npos ? Url : Url.substr(slash + 1);
}

bool DownloadUrlLine(const std::string &Line, const std::string &FileName)
{
    std::string address = Line.substr(0, Line.find(" //"));
    while (!address.empty() && (address.back() == ' ' || address.back() == '\r' || address.back() == '\t'))
        address.pop_back();
    const std::string target = FileName.empty() ? UrlFileName(address) : FileName;
    if (address.empty() || target.empty())
        return false;
    try {
        DownloadUrlToFile(address, target);
        return true;
    } catch (const DownloadError &) {
        return false;
    }
}
