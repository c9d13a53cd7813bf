#pragma once

// The window that corvanite-cli stands in for: it registers with the posted-message registry
// so that the test worker posts to it as it would to the dialog, and queues what arrives for
// the program's main thread, stamped with when it was posted.
//
// Progress notifications do not wake the main thread: it takes them when it next looks, at
// most a few times a second, and only then does the worker post the next one. So a fast
// download costs the worker one post per look rather than one per block.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/window_messages.h"

struct TakenMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // When the poster posted it, on the monotonic clock and on the wall clock.
    std::chrono::steady_clock::time_point postedAt;
    std::chrono::system_clock::time_point postedAtWallClock;
};

class CliWindow final : public MessageTarget {
public:
    // atPost is called on the poster's thread as each message is posted, before it is queued;
    // it must be short and must not post.
    explicit CliWindow(std::function<void(UINT message)> atPost = {});
    ~CliWindow() override;
    CliWindow(const CliWindow&) = delete;
    CliWindow& operator=(const CliWindow&) = delete;

    HWND handle() const { return handle_; }

    // The oldest message queued, taken from the queue (and reported taken to the registry),
    // once a message other than a progress notification is queued or the deadline passes;
    // none when the queue is still empty then.
    std::optional<TakenMessage> take(std::chrono::steady_clock::time_point deadline);

    void deliver(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void(UINT)> atPost_;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<TakenMessage> queue_;
    unsigned waking_ = 0;  // queued messages that are not progress notifications
    HWND handle_ = 0;
};
