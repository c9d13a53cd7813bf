#include "bandwidth/worker_notifier.h"

#include "bandwidth/request.h"
#include "platform/window_messages.h"

void WorkerNotifier::started(std::uint64_t contentLength) {
    PostMessageA(window_, WM_DOWNLOAD_STARTED, contentLength, 0);
}

void WorkerNotifier::progress(std::uint64_t blocks) {
    newest_ = blocks;
    const auto now = clock_();
    if ((!anyPosted_ || now - lastPosted_ >= kProgressInterval) && !progressWaiting()) {
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

bool WorkerNotifier::progressWaiting() const {
    return PendingMessages(window_, WM_DOWNLOAD_PROGRESS) != 0;
}

void WorkerNotifier::postProgress(std::chrono::steady_clock::time_point now) {
    PostMessageA(window_, WM_DOWNLOAD_PROGRESS, newest_, 0);
    posted_ = newest_;
    lastPosted_ = now;
    anyPosted_ = true;
}
