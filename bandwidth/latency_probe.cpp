#include "bandwidth/latency_probe.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

#include "inet/service_type.h"
#include "inet/split_url.h"

namespace {

constexpr std::chrono::milliseconds kIdleLimit{2000};
constexpr std::chrono::milliseconds kLoadedLimit{3000};
// A fresh connection on the wire: its packets' headers (handshake, close, acknowledgements).
constexpr std::uint64_t kConnectionWireBytes = 8 * 66;
// Probes take at most this share of the bytes the download has received.
constexpr std::uint64_t kBudgetDivisor = 100;

double Seconds(std::chrono::nanoseconds duration) {
    return std::chrono::duration<double>(duration).count();
}

// A URL's path as a request line may carry it: blanks, control characters and bytes beyond
// ASCII percent-encoded, so that nothing in the URL can end the line or add a header.
std::string RequestTarget(const std::string& object) {
    if (object.empty()) {
        return "/";
    }
    std::string target;
    for (const char c : object) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            constexpr char kHex[] = "0123456789ABCDEF";
            target += '%';
            target += kHex[byte >> 4];
            target += kHex[byte & 0x0F];
        } else {
            target += c;
        }
    }
    return target;
}

bool PlainHostName(const std::string& host) {
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '/' || c == '@') {
            return false;
        }
    }
    return !host.empty();
}

}  // namespace

std::optional<LatencyTarget> LatencyTargetOf(const std::string& url) {
    DWORD service = ServiceUnknown;
    std::string server;
    std::string object;
    INTERNET_PORT port = 0;
    if (!SplitUrl(url.c_str(), service, server, object, port) || !PlainHostName(server)) {
        return std::nullopt;
    }
    LatencyTarget target{server, port, {}};
    if (service == ServiceHttp) {
        // The smallest request a server answers about the file: its headers, no body.
        const std::string host =
            port == INTERNET_DEFAULT_HTTP_PORT ? server : server + ":" + std::to_string(port);
        target.request = "HEAD " + RequestTarget(object) + " HTTP/1.1\r\nHost: " + host +
                         "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
    } else if (service != ServiceFtp && service != ServiceHttps) {
        return std::nullopt;
    }
    return target;
}

LatencyProber::LatencyProber(LatencyTarget target)
    : target_(std::move(target)), stopSignal_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

LatencyProber::~LatencyProber() {
    stopLoaded();
    if (stopSignal_ >= 0) {
        ::close(stopSignal_);
    }
}

std::optional<double> LatencyProber::probe(std::chrono::milliseconds limit) {
    const ProbeTiming timing = ProbeOnce(*address_, target_.request, limit, stopSignal_);
    {
        std::lock_guard hold(lock_);
        ++samples_.probesSent;
        samples_.probeBytes += kConnectionWireBytes + timing.bytesSent + timing.bytesReceived;
    }
    if (!timing.connect) {
        return std::nullopt;
    }
    if (target_.request.empty()) {
        return Seconds(*timing.connect);
    }
    if (!timing.firstByte) {
        return std::nullopt;
    }
    // Two round trips on the same path: the handshake's and the request's.
    return (Seconds(*timing.connect) + Seconds(*timing.firstByte)) / 2;
}

bool LatencyProber::measureIdle(const std::function<bool()>& stop) {
    address_ = ResolveProbeAddress(target_.host, target_.port);
    if (!address_) {
        return false;
    }
    for (int i = 0; i < kIdleProbes && !stop(); ++i) {
        const std::optional<double> roundTrip = probe(kIdleLimit);
        if (!roundTrip) {
            // A server the probes cannot reach would only cost the test more waits.
            break;
        }
        reachable_ = true;
        std::lock_guard hold(lock_);
        samples_.idle.push_back(*roundTrip);
    }
    return reachable_;
}

void LatencyProber::startLoaded() {
    if (!reachable_ || thread_.joinable()) {
        return;
    }
    thread_ = std::thread([this] { probeWhileLoaded(); });
}

void LatencyProber::watchLoadedSocket(int socket) {
    if (socket < 0) {
        return;
    }
    std::lock_guard hold(lock_);
    if (stopping_) {
        ::close(socket);
        return;
    }
    loadedSockets_.push_back(socket);
}

void LatencyProber::stopLoaded() {
    {
        std::lock_guard hold(lock_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
    }
    if (stopSignal_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(stopSignal_, &one, sizeof one);
    }
    stopChanged_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard hold(lock_);
    for (const int socket : loadedSockets_) {
        ::close(socket);
    }
    loadedSockets_.clear();
}

LatencySamples LatencyProber::samples() const {
    std::lock_guard hold(lock_);
    return samples_;
}

bool LatencyProber::withinBudget() {
    std::lock_guard hold(lock_);
    std::uint64_t received = 0;
    for (const int socket : loadedSockets_) {
        received += TcpConnectionStateOf(socket).bytesReceived;
    }
    // With no socket to count by (a download the prober was not shown), the probes' own
    // pace bounds them.
    if (loadedSockets_.empty()) {
        return true;
    }
    const std::uint64_t perProbe =
        samples_.probesSent == 0 ? 0 : samples_.probeBytes / samples_.probesSent;
    return (samples_.probeBytes + perProbe) * kBudgetDivisor <= received;
}

void LatencyProber::sampleKernel() {
    std::lock_guard hold(lock_);
    for (const int socket : loadedSockets_) {
        const TcpConnectionState state = TcpConnectionStateOf(socket);
        // The receiving side's estimate follows the data, and so the queue it waits in; the
        // sending side's stays at what the request's few packets met.
        if (const auto seconds =
                state.receivingSeconds ? state.receivingSeconds : state.sendingSeconds) {
            samples_.kernel.push_back(*seconds);
        }
    }
}

void LatencyProber::probeWhileLoaded() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point next = Clock::now() + kLoadedInterval;
    for (;;) {
        {
            std::unique_lock hold(lock_);
            if (stopChanged_.wait_until(hold, next, [this] { return stopping_; })) {
                return;
            }
        }
        next += kLoadedInterval;
        sampleKernel();
        if (!withinBudget()) {
            continue;
        }
        if (const std::optional<double> roundTrip = probe(kLoadedLimit)) {
            std::lock_guard hold(lock_);
            if (!stopping_) {
                samples_.loaded.push_back(*roundTrip);
            }
        }
        // A probe slower than the interval delays the next rather than piling up.
        next = std::max(next, Clock::now());
    }
}
