#pragma once

// A window for the worker benchmarks that takes its messages on a thread of its own, as the
// dialog would, and notes when the finished notification was posted.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/window_messages.h"

class BenchWindow final : public MessageTarget {
public:
    using Clock = std::chrono::steady_clock;

    BenchWindow();
    ~BenchWindow() override;
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    HWND window() const { return window_; }
    Clock::time_point finishedAt();

    void deliver(UINT message, WPARAM, LPARAM) override;

private:
    void take();

    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<UINT> queue_;
    bool stopping_ = false;
    Clock::time_point finishedAt_{};
    HWND window_;
    std::thread taker_;
};
