#include "tests/shell/localhttpserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace shelltest {

LocalHttpServer::LocalHttpServer()
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int pipeEnds[2];
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0
        || pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot start the local HTTP server");
    port_ = ntohs(address.sin_port);
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    released_.notify_all();
    [[maybe_unused]] auto written = write(wakeWrite_, "x", 1);
    acceptor_.join();
    for (std::thread &client : clients_)
        client.join();
    close(listener_);
    close(wakeRead_);
    close(wakeWrite_);
}

std::string LocalHttpServer::base() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

void LocalHttpServer::setReply(const std::string &path, Reply reply)
{
    std::lock_guard lock(mutex_);
    replies_[path] = std::move(reply);
}

int LocalHttpServer::requests(const std::string &path) const
{
    std::lock_guard lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? 0 : found->second;
}

void LocalHttpServer::releaseHeld()
{
    {
        std::lock_guard lock(mutex_);
        releasedAll_ = true;
        for (auto &[path, reply] : replies_)
            reply.hold = false;
    }
    released_.notify_all();
}

void LocalHttpServer::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents)
            return;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            clients_.emplace_back([this, client] { serve(client); });
    }
}

void LocalHttpServer::serve(int client)
{
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
        pollfd fd{client, POLLIN, 0};
        if (poll(&fd, 1, 5000) <= 0)
            break;
        const ssize_t got = read(client, buffer, sizeof buffer);
        if (got <= 0)
            break;
        request.append(buffer, static_cast<size_t>(got));
    }
    const size_t start = request.find(' ') + 1;
    const std::string path = start > 0 ? request.substr(start, request.find(' ', start) - start) : std::string();

    Reply reply{404, "not found", false};
    {
        std::unique_lock lock(mutex_);
        ++requests_[path];
        if (auto found = replies_.find(path); found != replies_.end())
            reply = found->second;
        if (reply.hold) {
            released_.wait(lock, [this] { return releasedAll_ || stopping_; });
            if (stopping_ && !releasedAll_) {
                close(client);
                return;
            }
            reply = replies_[path];
        }
    }
    const std::string answer = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nContent-Type: text/plain\r\n"
                               + "Content-Length: " + std::to_string(reply.body.size())
                               + "\r\nConnection: close\r\n\r\n" + reply.body;
    for (size_t sent = 0; sent < answer.size();) {
        const ssize_t n = send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    close(client);
}

} // namespace shelltest
