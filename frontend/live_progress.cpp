#include "frontend/live_progress.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kBlockSize = 1024;
// An FTP server that cannot tell the size gives the platform's invalid-size value.
constexpr std::uint64_t kUnknownLength = 0xFFFFFFFF;
// Readings older than this no longer count for the current rate.
constexpr auto kRateWindow = std::chrono::milliseconds(1500);
// Two readings closer than this say little about the rate.
constexpr auto kShortestSpan = std::chrono::milliseconds(200);

}  // namespace

std::optional<std::uint64_t> KnownContentLength(std::uint64_t notified) {
    if (notified == 0 || notified == kUnknownLength) {
        return std::nullopt;
    }
    return notified;
}

std::uint64_t BytesOfBlocks(std::uint64_t blocks, std::optional<std::uint64_t> contentLength) {
    const std::uint64_t bytes = blocks * kBlockSize;
    return contentLength ? std::min(bytes, *contentLength) : bytes;
}

void RateMeter::add(Clock::time_point at, std::uint64_t bytes) {
    readings_.emplace_back(at, bytes);
    // Keep one reading at or beyond the window's start, so that the span stays about a window.
    while (readings_.size() > 2 && at - readings_[1].first >= kRateWindow) {
        readings_.pop_front();
    }
}

std::optional<double> RateMeter::bytesPerSecond() const {
    if (readings_.size() < 2) {
        return std::nullopt;
    }
    const auto& [firstAt, firstBytes] = readings_.front();
    const auto& [lastAt, lastBytes] = readings_.back();
    if (lastAt - firstAt < kShortestSpan || lastBytes < firstBytes) {
        return std::nullopt;
    }
    const double seconds = std::chrono::duration<double>(lastAt - firstAt).count();
    return static_cast<double>(lastBytes - firstBytes) / seconds;
}
