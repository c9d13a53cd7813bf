#include "bandwidth/rate_sampler.h"

#include <limits>

namespace {

std::uint32_t Clamped(std::uint64_t bytes) {
    constexpr std::uint64_t most = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(bytes < most ? bytes : most);
}

}  // namespace

void RateSampler::closeIntervals(std::chrono::nanoseconds at) {
    // What was counted before this call arrived in the interval that has just ended; the
    // intervals passed over since were silent.
    samples_.push_back(Clamped(newest_ - counted_));
    counted_ = newest_;
    nextBoundary_ += kInterval;
    while (at >= nextBoundary_) {
        samples_.push_back(0);
        nextBoundary_ += kInterval;
    }
}

void RateSampler::finish(std::chrono::nanoseconds at, std::uint64_t bytes) {
    note(at, bytes);
    samples_.push_back(Clamped(newest_ - counted_));
    counted_ = newest_;
}
