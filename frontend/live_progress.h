#pragma once

// What a running test's notifications come to: the bytes received so far and the current
// rate. The dialog and corvanite-cli read them the same way.
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

// The content length that a download-started notification carries, as a display takes it:
// none for 0 and for the FTP size probe's 0xFFFFFFFF (the server could not tell).
std::optional<std::uint64_t> KnownContentLength(std::uint64_t notified);
// The bytes that blocks of up to 1024 bytes stand for, never beyond a known length.
std::uint64_t BytesOfBlocks(std::uint64_t blocks, std::optional<std::uint64_t> contentLength);

// The current rate: bytes over the readings of the last second or so.
class RateMeter {
public:
    using Clock = std::chrono::steady_clock;

    void add(Clock::time_point at, std::uint64_t bytes);
    // Bytes per second; none until two readings are far enough apart.
    std::optional<double> bytesPerSecond() const;

private:
    std::deque<std::pair<Clock::time_point, std::uint64_t>> readings_;
};
