#pragma once

// The worker's side of the observers in test_worker_hooks.h.
#include <functional>

class CStdioFile;

namespace test_worker_hooks {
const std::function<void(int)>& PollObserver();
const std::function<void()>& EndOfDataObserver();
const std::function<CStdioFile*(CStdioFile*)>& RemoteFileFilter();
}  // namespace test_worker_hooks
