#include "ui/result_line_logic.h"

#include <utility>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "frontend/failure_cause.h"
#include "frontend/result_line.h"

namespace {

// With no progress for this long the transfer has stalled: the bytes so far stand for the
// present moment, so that the rate falls (and the time left goes) instead of showing the
// last figures for ever.
constexpr auto StallReading = std::chrono::seconds(1);

}  // namespace

void ResultLineLogic::testStarting() {
    settle(State::Empty, {});
}

void ResultLineLogic::downloadStarted(std::uint64_t notifiedLength, Clock::time_point now) {
    contentLength_ = KnownContentLength(notifiedLength);
    bytes_ = 0;
    meter_ = RateMeter();
    meter_.add(now, 0);
    lastReading_ = now;
    state_ = State::Live;
    // The first figures show at once; the limit holds from there on.
    changed_ = true;
}

void ResultLineLogic::progress(std::uint64_t blocksRead, Clock::time_point now) {
    if (state_ != State::Live) {
        return;
    }
    bytes_ = BytesOfBlocks(blocksRead, contentLength_);
    meter_.add(now, bytes_);
    lastReading_ = now;
}

void ResultLineLogic::testFinished(unsigned outcome, const std::optional<TestEnding>& ending) {
    if (outcome == OutcomeFinished && ending) {
        std::string text = FormatResultLine(*ending);
        if (const std::string latency = FormatLatencyLine(*ending); !latency.empty()) {
            text += "\n" + latency;
        }
        settle(State::Result, std::move(text));
    } else {
        // The status line says that it failed; this one says why, as corvanite-cli does.
        settle(State::Empty, FailureCauseText(outcome, ending ? ending->cause : std::string()));
    }
}

void ResultLineLogic::settle(State state, std::string text) {
    state_ = state;
    settled_ = std::move(text);
    changed_ = true;
}

std::string ResultLineLogic::liveText(Clock::time_point now) {
    if (now - lastReading_ >= StallReading) {
        meter_.add(now, bytes_);
        lastReading_ = now;
    }
    return FormatLiveLine({bytes_, contentLength_, meter_.bytesPerSecond()});
}

std::optional<std::string> ResultLineLogic::redraw(Clock::time_point now) {
    const bool live = state_ == State::Live;
    const bool due = live && (!lastRedraw_ || now - *lastRedraw_ >= RedrawInterval);
    if (!changed_ && !due) {
        return std::nullopt;
    }
    changed_ = false;
    std::string text = live ? liveText(now) : settled_;
    if (live) {
        lastRedraw_ = now;
    }
    if (text == shown_) {
        return std::nullopt;
    }
    shown_ = text;
    return text;
}

std::optional<ResultLineLogic::Clock::time_point> ResultLineLogic::nextRedraw() const {
    if (changed_) {
        return Clock::time_point::min();
    }
    if (state_ != State::Live) {
        return std::nullopt;
    }
    return lastRedraw_ ? *lastRedraw_ + RedrawInterval : Clock::time_point::min();
}
