#pragma once

// Posts a test's three notifications to the dialog's window. Progress is kept from flooding
// the window: a new progress notification is posted only once the window has taken the last
// one, and it carries the newest block count. The started and finished notifications are
// always posted.
#include <cstdint>

#include "platform/win_types.h"

class WorkerNotifier {
public:
    explicit WorkerNotifier(HWND window) : window_(window) {}

    void started(std::uint64_t contentLength);
    void progress(std::uint64_t blocks);
    // Posts the newest count if it was held back and nothing is waiting, so that the
    // progress bar ends at the count that the finished notification follows.
    void lastProgress();
    void finished(unsigned outcome);

private:
    bool progressWaiting() const;

    HWND window_;
    std::uint64_t newest_ = 0;
    std::uint64_t posted_ = 0;
};
