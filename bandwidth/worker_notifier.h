#pragma once

// Posts a test's three notifications to the dialog's window. Progress is kept from flooding
// the window: a progress notification is posted only once the window has taken the last one
// and a short while has passed since it, and it carries the newest block count. The started
// and finished notifications are always posted.
#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

#include "platform/win_types.h"

class WorkerNotifier {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Progress goes out at most this often: a bar is not redrawn faster, and waking the
    // window for every block of 1 KiB would cost the download a third of its speed.
    static constexpr std::chrono::milliseconds kProgressInterval{10};

    explicit WorkerNotifier(HWND window, Clock clock = std::chrono::steady_clock::now)
        : window_(window), clock_(std::move(clock)) {}

    void started(std::uint64_t contentLength);
    void progress(std::uint64_t blocks);
    // Posts the newest count if it was held back, even behind one that still waits, so that
    // the progress bar ends at the count that the finished notification follows.
    void lastProgress();
    void finished(unsigned outcome);

private:
    // Called for every block: while the last count posted still waits, this costs one
    // load, and the clock is not read.
    bool progressWaiting();
    void postProgress(std::chrono::steady_clock::time_point now);

    HWND window_;
    Clock clock_;
    std::uint64_t newest_ = 0;
    std::uint64_t posted_ = 0;
    bool anyPosted_ = false;
    std::chrono::steady_clock::time_point lastPosted_{};
    // A progress notification of ours may still wait; it surely does while the registry's
    // count of taken messages is still the one read when this was last known.
    bool mayBeWaiting_ = false;
    std::uint64_t takenCountSeen_ = 0;
};
