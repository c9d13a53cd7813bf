#pragma once

// One whole test worker run, as the dialog starts it, for the worker benchmarks.
#include <string>

struct WorkerRun {
    double seconds;          // from starting the worker's thread to its end
    double finishedDelayMs;  // from the last read to the finished notification
};

// Downloads url into directory; a run that does not finish ends the benchmark.
WorkerRun RunWorker(const std::string& url, const std::string& directory);
