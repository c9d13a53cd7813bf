#pragma once

// What corvanite-cli shows while a test runs: a bar redrawn in place on a terminal, or plain
// lines for a log. Pure formatting and timing decisions; the caller writes the text.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "frontend/live_progress.h"

struct ProgressState {
    // None when the server could not tell the length (an FTP size probe gives 0xFFFFFFFF).
    std::optional<std::uint64_t> contentLength;
    std::uint64_t bytes = 0;
    // Bytes per second over the last moments; none until two readings are far enough apart.
    std::optional<double> rate;
};

// "999 B", "1.5 KiB", "430.2 MiB", "1.00 GiB": three significant figures or more.
std::string FormatByteSize(double bytes);
// "0:07", "12:34", "1:02:03".
std::string FormatDuration(double seconds);

// One terminal line of exactly width columns (at least 1): percentage, bar, bytes, current
// rate and time left; parts that do not fit are left out, the bar first.
std::string FormatProgressBar(const ProgressState& state, int width);
// One line for a log: "42% 430.2 MiB of 1.00 GiB, 851.3 MiB/s, 0:02 left".
std::string FormatProgressLine(const ProgressState& state);

// Lets a draw through at most once per interval.
class DrawThrottle {
public:
    using Clock = std::chrono::steady_clock;

    explicit DrawThrottle(Clock::duration interval) : interval_(interval) {}
    // True, and counts as drawn, when the last draw is at least one interval back.
    bool due(Clock::time_point now);

private:
    Clock::duration interval_;
    std::optional<Clock::time_point> last_;
};
