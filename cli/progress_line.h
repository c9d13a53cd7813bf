#pragma once

// What corvanite-cli shows while a test runs: a bar redrawn in place on a terminal, or plain
// lines for a log, both with the dialog's live line (frontend/result_line.h), so that the
// progress speaks the units of the result. Pure formatting and timing decisions; the caller
// writes the text.
#include <chrono>
#include <optional>
#include <string>

#include "frontend/live_progress.h"
#include "frontend/result_line.h"

// One terminal line of exactly width columns (at least 1): percentage, bar and live line;
// parts that do not fit are left out, the bar first.
std::string FormatProgressBar(const LiveFigures& figures, int width);
// One line for a log: "42% 420.0 MB of 1.00 GB, 851.3 Mbit/s, 0:02 left".
std::string FormatProgressLine(const LiveFigures& figures);

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
