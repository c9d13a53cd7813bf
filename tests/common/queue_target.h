#pragma once

// A window for tests: registers with the window registry and keeps what is posted to it in a
// thread-safe queue, so a test can post from any thread and wait for the messages.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/window_messages.h"

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;

    bool operator==(const PostedMessage&) const = default;
};

class QueueTarget final : public MessageTarget {
public:
    QueueTarget();
    ~QueueTarget() override;
    QueueTarget(const QueueTarget&) = delete;
    QueueTarget& operator=(const QueueTarget&) = delete;

    HWND window() const { return window_; }

    void deliver(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Takes the oldest message (and counts it taken), waiting for one until timeout.
    std::optional<PostedMessage> take(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Takes messages until one of the given kind arrives and returns it; the ones taken on
    // the way stay in all(). Nothing when the timeout passes first.
    std::optional<PostedMessage> waitFor(
        UINT message, std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Every message delivered so far, in the order posted, whether taken or not.
    std::vector<PostedMessage> all() const;
    // Messages delivered and not yet taken.
    std::size_t waiting() const;

private:
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<PostedMessage> queue_;
    std::vector<PostedMessage> history_;
    HWND window_;
};
