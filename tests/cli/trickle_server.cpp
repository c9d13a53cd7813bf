#include "tests/cli/trickle_server.h"

#include <chrono>
#include <stdexcept>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace clitest {

namespace {

constexpr int kPollMs = 20;
// The pace of the body: a kilobyte every two milliseconds.
constexpr auto kPause = std::chrono::milliseconds(2);

bool ReadRequestHead(int connection) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return false;
        }
        head.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool SendAll(int connection, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

TrickleServer::TrickleServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("trickle server: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { serve(); });
}

TrickleServer::~TrickleServer() {
    stopping_ = true;
    acceptor_.join();
    for (std::thread& connection : connections_) {
        connection.join();
    }
    ::close(listener_);
}

std::string TrickleServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TrickleServer::serve() {
    while (!stopping_) {
        pollfd ready{listener_, POLLIN, 0};
        if (::poll(&ready, 1, kPollMs) <= 0) {
            continue;
        }
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            connections_.emplace_back([this, connection] { trickle(connection); });
        }
    }
}

void TrickleServer::trickle(int connection) {
    if (ReadRequestHead(connection) &&
        SendAll(connection,
                "HTTP/1.1 200 OK\r\nContent-Length: 1000000000\r\nConnection: close\r\n\r\n")) {
        const std::string kilobyte(1024, 'x');
        while (!stopping_ && SendAll(connection, kilobyte)) {
            // The pace of the server, not a wait for anything.
            std::this_thread::sleep_for(kPause);
        }
    }
    ::close(connection);
}

}  // namespace clitest
