#pragma once

// The progress that corvanite-cli shows on standard error while a test runs: on a terminal a
// bar redrawn in place at most ten times a second, otherwise a plain line every five seconds.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/progress_line.h"

class ProgressView {
public:
    using Clock = std::chrono::steady_clock;

    // Shows nothing when not enabled. terminal: redraw one line in place.
    ProgressView(std::FILE* out, bool enabled, bool terminal);

    void connecting(const std::string& url);
    void started(std::uint64_t notifiedLength, Clock::time_point at);
    void progress(std::uint64_t blocks, Clock::time_point at);
    // Draws if it is time to.
    void tick(Clock::time_point now);
    // Ends the display. A finished test passes its exact byte count and its average rate, so
    // that the display ends where the download did, not at the last notification taken.
    void finished(std::optional<std::uint64_t> bytes = std::nullopt,
                  std::optional<double> averageRate = std::nullopt);

private:
    LiveFigures figures() const;
    void draw();
    void write(const std::string& text);

    std::FILE* out_;
    bool enabled_;
    bool terminal_;
    bool started_ = false;
    bool changed_ = false;
    std::optional<std::uint64_t> contentLength_;
    std::uint64_t bytes_ = 0;
    RateMeter meter_;
    std::optional<double> finalRate_;
    DrawThrottle throttle_;
};
