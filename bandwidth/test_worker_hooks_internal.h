#pragma once

// The worker's side of the observers in test_worker_hooks.h.
#include <functional>

namespace test_worker_hooks {
const std::function<void(int)>& PollObserver();
const std::function<void()>& EndOfDataObserver();
}  // namespace test_worker_hooks
