#include "bandwidth/worker_hooks.h"

#include <utility>

#include "bandwidth/worker_hooks_internal.h"

namespace {
std::function<void(int)> pollObserver;
std::function<void()> endOfDataObserver;
std::function<CStdioFile*(CStdioFile*)> remoteFileFilter;
std::function<void()> closingObserver;
std::function<std::time_t()> reportClock;
}  // namespace

void SetTestWorkerPollObserver(std::function<void(int pollPoint)> observer) {
    pollObserver = std::move(observer);
}

void SetTestWorkerEndOfDataObserver(std::function<void()> observer) {
    endOfDataObserver = std::move(observer);
}

void SetTestWorkerRemoteFileFilter(std::function<CStdioFile*(CStdioFile* opened)> filter) {
    remoteFileFilter = std::move(filter);
}

void SetTestWorkerClosingObserver(std::function<void()> observer) {
    closingObserver = std::move(observer);
}

void SetTestWorkerReportClock(std::function<std::time_t()> clock) {
    reportClock = std::move(clock);
}

namespace worker_hooks {
const std::function<void(int)>& PollObserver() {
    return pollObserver;
}
const std::function<void()>& EndOfDataObserver() {
    return endOfDataObserver;
}
const std::function<CStdioFile*(CStdioFile*)>& RemoteFileFilter() {
    return remoteFileFilter;
}
const std::function<void()>& ClosingObserver() {
    return closingObserver;
}
const std::function<std::time_t()>& ReportClock() {
    return reportClock;
}
}  // namespace worker_hooks
