#include "bench/bandwidth/bench_window.h"

#include "bandwidth/request.h"

BenchWindow::BenchWindow() : window_(RegisterWindow(this)), taker_([this] { take(); }) {}

BenchWindow::~BenchWindow() {
    {
        std::lock_guard lock(lock_);
        stopping_ = true;
    }
    arrived_.notify_all();
    taker_.join();
    UnregisterWindow(window_);
}

BenchWindow::Clock::time_point BenchWindow::finishedAt() {
    std::lock_guard lock(lock_);
    return finishedAt_;
}

void BenchWindow::deliver(UINT message, WPARAM, LPARAM) {
    const auto now = Clock::now();
    {
        std::lock_guard lock(lock_);
        if (message == WM_DOWNLOAD_FINISHED) {
            finishedAt_ = now;
        }
        queue_.push_back(message);
    }
    arrived_.notify_one();
}

void BenchWindow::take() {
    std::unique_lock lock(lock_);
    for (;;) {
        arrived_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;
        }
        const UINT message = queue_.front();
        queue_.pop_front();
        lock.unlock();
        MessageTaken(window_, message);
        lock.lock();
    }
}
