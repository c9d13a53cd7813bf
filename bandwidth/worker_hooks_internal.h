#pragma once

// The worker's side of the observers in worker_hooks.h.
#include <ctime>
#include <functional>

class CStdioFile;

namespace worker_hooks {
const std::function<void(int)>& PollObserver();
const std::function<void()>& EndOfDataObserver();
const std::function<CStdioFile*(CStdioFile*)>& RemoteFileFilter();
const std::function<void()>& ClosingObserver();
const std::function<std::time_t()>& ReportClock();
}  // namespace worker_hooks
