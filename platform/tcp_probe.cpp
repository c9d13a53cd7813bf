#include "platform/tcp_probe.h"

// The kernel's own tcp_info: the C library's lacks the byte counts.
#include <linux/tcp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Waits until fd is ready for events, the deadline passes or cancel is readable; true only
// for the first.
bool WaitFor(int fd, short events, Clock::time_point deadline, int cancel) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd fds[2] = {{fd, events, 0}, {cancel, POLLIN, 0}};
        const int n = ::poll(fds, cancel >= 0 ? 2 : 1, static_cast<int>(left.count()) + 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || (cancel >= 0 && fds[1].revents != 0)) {
            return false;
        }
        return fds[0].revents != 0;
    }
}

}  // namespace

std::optional<ProbeAddress> ResolveProbeAddress(const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    // A bracketed IPv6 literal as a URL writes it.
    std::string name = host;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    if (::getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 ||
        found == nullptr) {
        return std::nullopt;
    }
    ProbeAddress address;
    std::memcpy(&address.address, found->ai_addr, found->ai_addrlen);
    address.length = found->ai_addrlen;
    ::freeaddrinfo(found);
    return address;
}

ProbeTiming ProbeOnce(const ProbeAddress& to, const std::string& request,
                      std::chrono::milliseconds limit, int cancel) {
    ProbeTiming timing;
    Descriptor fd(
        ::socket(to.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (fd.get() < 0) {
        return timing;
    }
    const int on = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

    const Clock::time_point deadline = Clock::now() + limit;
    const Clock::time_point connectStarted = Clock::now();
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&to.address), to.length) != 0) {
        if (errno != EINPROGRESS || !WaitFor(fd.get(), POLLOUT, deadline, cancel)) {
            return timing;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            return timing;
        }
    }
    timing.connect = Clock::now() - connectStarted;
    if (request.empty()) {
        return timing;
    }

    const Clock::time_point asked = Clock::now();
    // A request this small fits in the socket's buffer whole.
    const ssize_t sent = ::send(fd.get(), request.data(), request.size(), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(request.size())) {
        return timing;
    }
    timing.bytesSent = request.size();
    if (!WaitFor(fd.get(), POLLIN, deadline, cancel)) {
        return timing;
    }
    char answer[4096];
    const ssize_t got = ::recv(fd.get(), answer, sizeof answer, 0);
    if (got > 0) {
        timing.firstByte = Clock::now() - asked;
        timing.bytesReceived = static_cast<std::uint64_t>(got);
    }
    return timing;
}

TcpConnectionState TcpConnectionStateOf(int socket) {
    TcpConnectionState state;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (socket < 0 || ::getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0) {
        return state;
    }
    // Both in microseconds; 0 before the kernel has measured anything.
    if (info.tcpi_rtt != 0) {
        state.sendingSeconds = info.tcpi_rtt / 1e6;
    }
    if (info.tcpi_rcv_rtt != 0) {
        state.receivingSeconds = info.tcpi_rcv_rtt / 1e6;
    }
    // Kernels before 4.1 give a shorter structure without it.
    if (size >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received) {
        state.bytesReceived = info.tcpi_bytes_received;
    }
    return state;
}
