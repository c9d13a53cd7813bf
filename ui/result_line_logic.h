#pragma once

// What the line under the progress bar shows, apart from the label that shows it: while data
// flows, received of total, the current rate and the time left, redrawn at most ten times a
// second; after a finished test its result; after a failure its cause in words; nothing after
// a cancel, nor while a new test connects. The caller passes the time, so that the redraw limit can
// be followed without waiting.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "frontend/live_progress.h"

struct TestEnding;

class ResultLineLogic {
public:
    using Clock = RateMeter::Clock;
    // The live line is redrawn no more often than this.
    static constexpr Clock::duration RedrawInterval = std::chrono::milliseconds(100);

    // A new test: the line is emptied at once.
    void testStarting();
    // The download-started notification's content length (0 and the FTP probe's 0xFFFFFFFF
    // for none): the live line starts.
    void downloadStarted(std::uint64_t notifiedLength, Clock::time_point now);
    // The progress notification's block count.
    void progress(std::uint64_t blocksRead, Clock::time_point now);
    // The finished notification: the result of a finished test (outcome 0), read from its
    // ending when there is one; the cause of a failed one; nothing for a cancel.
    void testFinished(unsigned outcome, const std::optional<TestEnding>& ending);

    // The text to put on the line now, when it is to change and may: a change of state at
    // once, the live figures once RedrawInterval has passed since the last redraw.
    std::optional<std::string> redraw(Clock::time_point now);
    // When redraw() is next worth calling; none while nothing more is to come (no data flows).
    std::optional<Clock::time_point> nextRedraw() const;

    // What the line shows, as redraw() last gave it.
    const std::string& text() const { return shown_; }
    // Whether that is the result of a finished test.
    bool showsResult() const { return state_ == State::Result && !shown_.empty(); }

private:
    enum class State { Empty, Live, Result };

    void settle(State state, std::string text);
    std::string liveText(Clock::time_point now);

    State state_ = State::Empty;
    // What the line is to show while not live.
    std::string settled_;
    std::string shown_;
    // A change of state not yet drawn: it goes out at the next redraw(), whenever that is.
    bool changed_ = false;
    std::optional<Clock::time_point> lastRedraw_;

    std::optional<std::uint64_t> contentLength_;
    std::uint64_t bytes_ = 0;
    Clock::time_point lastReading_{};
    RateMeter meter_;
};
