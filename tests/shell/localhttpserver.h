#pragma once

// A small HTTP server on 127.0.0.1 for the download tests: each path answers with a status and
// a body, or holds the connection until released. Tests never leave the machine.

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace shelltest {

class LocalHttpServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
        bool hold = false; // answer only once released (or never, when the server stops first)
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    // "http://127.0.0.1:<port>"
    std::string base() const;
    // Paths without a reply answer 404.
    void setReply(const std::string &path, Reply reply);
    // Requests seen for a path so far.
    int requests(const std::string &path) const;
    // Held connections answer now, with the path's reply as it is by then (hold cleared).
    void releaseHeld();

private:
    void acceptLoop();
    void serve(int client);

    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool releasedAll_ = false;
    bool stopping_ = false;
    std::map<std::string, Reply> replies_;
    std::map<std::string, int> requests_;
    std::thread acceptor_;
    std::vector<std::thread> clients_;
};

} // namespace shelltest
