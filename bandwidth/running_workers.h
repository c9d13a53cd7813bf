#pragma once

// The test workers still running, so that the program can let the last one close its files
// and its Internet session before it ends.
#include <chrono>

// Counts one running worker for as long as it lives.
class RunningWorker {
public:
    RunningWorker();
    ~RunningWorker();
    RunningWorker(const RunningWorker&) = delete;
    RunningWorker& operator=(const RunningWorker&) = delete;
};

// Blocks until every worker has closed its files and its session, or until limit has passed;
// true when none runs any more. A worker has written and closed its files before it posts its
// finished notification: what may remain is closing its Internet session.
bool WaitForTestWorkers(std::chrono::milliseconds limit);
