#include "bandwidth/running_workers.h"

#include <condition_variable>
#include <mutex>

namespace {

std::mutex runningMutex;
std::condition_variable runningChanged;
int runningWorkers = 0;

}  // namespace

RunningWorker::RunningWorker() {
    std::lock_guard lock(runningMutex);
    ++runningWorkers;
}

RunningWorker::~RunningWorker() {
    std::lock_guard lock(runningMutex);
    --runningWorkers;
    runningChanged.notify_all();
}

bool WaitForTestWorkers(std::chrono::milliseconds limit) {
    std::unique_lock lock(runningMutex);
    return runningChanged.wait_for(lock, limit, [] { return runningWorkers == 0; });
}
