#include "tests/common/queue_target.h"

#include <algorithm>

QueueTarget::QueueTarget() : window_(RegisterWindow(this)) {}

QueueTarget::~QueueTarget() {
    UnregisterWindow(window_);
}

void QueueTarget::deliver(UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(lock_);
        queue_.push_back({message, wParam, lParam});
        history_.push_back({message, wParam, lParam});
    }
    arrived_.notify_all();
}

std::optional<PostedMessage> QueueTarget::take(std::chrono::milliseconds timeout) {
    std::unique_lock lock(lock_);
    if (!arrived_.wait_for(lock, timeout, [this] { return !queue_.empty(); }))
        return std::nullopt;
    const PostedMessage taken = queue_.front();
    queue_.pop_front();
    lock.unlock();
    // Outside our lock: the registry's lock is taken around deliver(), which takes ours.
    MessageTaken(window_, taken.message);
    return taken;
}

std::optional<PostedMessage> QueueTarget::waitFor(UINT message, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const std::optional<PostedMessage> taken =
            take(std::max(left, std::chrono::milliseconds(0)));
        if (!taken || taken->message == message)
            return taken;
    }
}

std::vector<PostedMessage> QueueTarget::all() const {
    std::lock_guard lock(lock_);
    return history_;
}

std::size_t QueueTarget::waiting() const {
    std::lock_guard lock(lock_);
    return queue_.size();
}
