#include "cli/cli_window.h"

#include <utility>

#include "bandwidth/request.h"

CliWindow::CliWindow(std::function<void(UINT message)> atPost)
    : atPost_(std::move(atPost)), handle_(RegisterWindow(this)) {}

CliWindow::~CliWindow() {
    UnregisterWindow(handle_);
}

std::optional<TakenMessage> CliWindow::take(std::chrono::steady_clock::time_point deadline) {
    std::optional<TakenMessage> taken;
    {
        std::unique_lock lock(lock_);
        arrived_.wait_until(lock, deadline, [this] { return waking_ != 0; });
        if (queue_.empty()) {
            return std::nullopt;
        }
        taken = queue_.front();
        queue_.pop_front();
        if (taken->message != WM_DOWNLOAD_PROGRESS) {
            --waking_;
        }
    }
    // Outside the queue's lock: the registry's lock is taken before it when a message is posted.
    MessageTaken(handle_, taken->message);
    return taken;
}

void CliWindow::deliver(UINT message, WPARAM wParam, LPARAM lParam) {
    TakenMessage posted{message, wParam, lParam, std::chrono::steady_clock::now(),
                        std::chrono::system_clock::now()};
    if (atPost_) {
        atPost_(message);
    }
    bool wake = false;
    {
        std::lock_guard lock(lock_);
        queue_.push_back(posted);
        if (message != WM_DOWNLOAD_PROGRESS) {
            ++waking_;
            wake = true;
        }
    }
    if (wake) {
        arrived_.notify_one();
    }
}
