#pragma once

// Round trips to a test's server on fresh connections: about ten one after another before the
// download (idle), and one every 200 ms on a thread of its own while the download runs
// (loaded), beside the loaded connections' own round trip as the kernel keeps it. It knows
// nothing of how the download is done: start it before, hand it the download's sockets, stop
// it after. A probe that fails leaves no sample; it never fails the test.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/tcp_probe.h"

struct LatencyTarget {
    std::string host;
    std::uint16_t port = 0;
    // What each probe asks once connected (an HTTP HEAD of the file); empty: the connection
    // alone (FTP's control port, HTTPS).
    std::string request;
};

// The target for a test's URL; none for a URL that does not split or names no service
// tested.
std::optional<LatencyTarget> LatencyTargetOf(const std::string& url);

// Seconds, one per probe that answered (a probe's round trip: its connection's set-up, or with
// a request the mean of that and the wait for the answer's first byte).
struct LatencySamples {
    std::vector<double> idle;
    std::vector<double> loaded;
    // The loaded connections' smoothed round trip, read from the kernel at each loaded probe.
    std::vector<double> kernel;
    // What the probes cost: their bytes on the wire, headers of TCP and IP included.
    std::uint64_t probeBytes = 0;
    unsigned probesSent = 0;
};

class LatencyProber {
public:
    explicit LatencyProber(LatencyTarget target);
    ~LatencyProber();
    LatencyProber(const LatencyProber&) = delete;
    LatencyProber& operator=(const LatencyProber&) = delete;

    // The idle round trips, one after another; ends early when stop says so. False when the
    // server could not be reached: the loaded probes then send nothing.
    bool measureIdle(const std::function<bool()>& stop);
    // Probes until stopLoaded, on a thread of its own.
    void startLoaded();
    // A socket the download's data arrives on, which the prober reads the kernel's round trip
    // and received bytes of; the prober closes it when it stops. Any thread.
    void watchLoadedSocket(int socket);
    void stopLoaded();
    // Complete once stopLoaded has returned.
    LatencySamples samples() const;

    static constexpr int kIdleProbes = 10;
    static constexpr std::chrono::milliseconds kLoadedInterval{200};

private:
    // One probe; its round trip in seconds, none when it failed.
    std::optional<double> probe(std::chrono::milliseconds limit);
    void probeWhileLoaded();
    // Whether one more probe keeps them within their share of what the download received.
    bool withinBudget();
    void sampleKernel();

    LatencyTarget target_;
    std::optional<ProbeAddress> address_;
    bool reachable_ = false;

    mutable std::mutex lock_;
    std::condition_variable stopChanged_;
    bool stopping_ = false;
    int stopSignal_ = -1;  // readable once stopping, to cut a probe's wait short
    std::vector<int> loadedSockets_;
    LatencySamples samples_;
    std::thread thread_;
};
