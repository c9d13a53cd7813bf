#include "bandwidth/worker_notifier.h"

#include "bandwidth/request.h"
#include "platform/window_messages.h"

void WorkerNotifier::started(std::uint64_t contentLength) {
    PostMessageA(window_, WM_DOWNLOAD_STARTED, contentLength, 0);
}

void WorkerNotifier::progress(std::uint64_t blocks) {
    newest_ = blocks;
    if (progressWaiting()) {
        return;
    }
    const auto now = clock_();
    if (!anyPosted_ || now - lastPosted_ >= kProgressInterval) {
        postProgress(now);
    }
}

void WorkerNotifier::lastProgress() {
    // Posted even when an older count still waits: otherwise the bar would stop short of
    // the end. This is the run's last progress, so at most two ever wait, and only here.
    if (newest_ != posted_) {
        postProgress(clock_());
    }
}

void WorkerNotifier::finished(unsigned outcome) {
    PostMessageA(window_, WM_DOWNLOAD_FINISHED, outcome, 0);
}

bool WorkerNotifier::progressWaiting() {
    if (!mayBeWaiting_) {
        return false;
    }
    const std::uint64_t taken = MessagesTakenCount();
    if (taken == takenCountSeen_) {
        return true;
    }
    // Read before asking: a message taken in between only costs another question.
    takenCountSeen_ = taken;
    mayBeWaiting_ = PendingMessages(window_, WM_DOWNLOAD_PROGRESS) != 0;
    return mayBeWaiting_;
}

void WorkerNotifier::postProgress(std::chrono::steady_clock::time_point now) {
    takenCountSeen_ = MessagesTakenCount();
    mayBeWaiting_ = true;
    PostMessageA(window_, WM_DOWNLOAD_PROGRESS, newest_, 0);
    posted_ = newest_;
    lastPosted_ = now;
    anyPosted_ = true;
}
