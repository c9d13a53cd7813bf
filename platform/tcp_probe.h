#pragma once

// One round trip to a server on a fresh TCP connection, timed on the monotonic clock: the
// connection's set-up and, when a request is given, the wait from sending it to the first
// byte of the answer. Each call connects, asks, reads what came first and closes.
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

struct ProbeAddress {
    sockaddr_storage address{};
    socklen_t length = 0;
};

// The first address the name resolves to for a TCP connection to port; none when it resolves
// to none.
std::optional<ProbeAddress> ResolveProbeAddress(const std::string& host, std::uint16_t port);

struct ProbeTiming {
    // From the first packet to the connection being up; none when it did not come up.
    std::optional<std::chrono::nanoseconds> connect;
    // From sending the request to the first byte of the answer; none without a request or an
    // answer.
    std::optional<std::chrono::nanoseconds> firstByte;
    // What the probe put on and took off the wire above TCP.
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
};

// Every wait ends after limit, and as soon as cancel (a descriptor, -1 for none) is readable.
ProbeTiming ProbeOnce(const ProbeAddress& to, const std::string& request,
                      std::chrono::milliseconds limit, int cancel = -1);

// What the kernel keeps of a connected TCP socket: its smoothed round-trip time as the sender
// sees it and as the receiving side estimates it from the data it gets (the one a download
// moves), none where it has no figure yet; and the bytes received on it.
struct TcpConnectionState {
    std::optional<double> sendingSeconds;
    std::optional<double> receivingSeconds;
    std::uint64_t bytesReceived = 0;
};
TcpConnectionState TcpConnectionStateOf(int socket);
