#include "bandwidth/test_worker_hooks.h"

#include <utility>

#include "bandwidth/test_worker_hooks_internal.h"

namespace {
std::function<void(int)> pollObserver;
std::function<void()> endOfDataObserver;
}  // namespace

void SetTestWorkerPollObserver(std::function<void(int pollPoint)> observer) {
    pollObserver = std::move(observer);
}

void SetTestWorkerEndOfDataObserver(std::function<void()> observer) {
    endOfDataObserver = std::move(observer);
}

namespace test_worker_hooks {
const std::function<void(int)>& PollObserver() {
    return pollObserver;
}
const std::function<void()>& EndOfDataObserver() {
    return endOfDataObserver;
}
}  // namespace test_worker_hooks
