#pragma once

// The bytes that arrived in each 100 ms of a test, from the moment the worker asked to open the
// URL: what the Results window draws as the test's own rate over time, and what the steady
// rate is taken from. A stall shows as samples of 0.
#include <chrono>
#include <cstdint>
#include <vector>

class RateSampler {
public:
    static constexpr std::chrono::milliseconds kInterval{100};

    // The bytes counted so far, at this time since the open was asked. Called for every block:
    // inside one interval this is one comparison.
    void note(std::chrono::nanoseconds at, std::uint64_t bytes) {
        if (at >= nextBoundary_) {
            closeIntervals(at);
        }
        newest_ = bytes;
    }
    // Ends the samples at the last read: the last interval, cut short there, is kept.
    void finish(std::chrono::nanoseconds at, std::uint64_t bytes);

    const std::vector<std::uint32_t>& samples() const { return samples_; }

private:
    void closeIntervals(std::chrono::nanoseconds at);

    std::vector<std::uint32_t> samples_;
    std::chrono::nanoseconds nextBoundary_{kInterval};
    std::uint64_t counted_ = 0;  // bytes in the samples so far
    std::uint64_t newest_ = 0;
};
