#pragma once

// Lets tests and benchmarks look inside a running test worker without timing tricks. Install
// the observers while no worker runs; they are called on the worker's thread.
#include <ctime>
#include <functional>

class CStdioFile;

// Called at each stop-request poll with its number, 1 to 6, just before CancelRequest is read,
// so that a test can ask for a stop at exactly that point. Poll 6 comes once per block read.
void SetTestWorkerPollObserver(std::function<void(int pollPoint)> observer);

// Called as soon as the read that marks the end of the data has returned.
void SetTestWorkerEndOfDataObserver(std::function<void()> observer);

// Called with the file that opening the URL returned (possibly none); the worker goes on with
// the file it returns, which the observer then owns in its place. Stands in for platforms
// whose opening of a URL can yield no file object.
void SetTestWorkerRemoteFileFilter(std::function<CStdioFile*(CStdioFile* opened)> filter);

// Called once the finished notification is posted, as the worker goes on to close its
// Internet session; a test can hold the worker there, as a server that never answers would.
void SetTestWorkerClosingObserver(std::function<void()> observer);

// The wall clock that the report of a run reads for its timed interval, in whole seconds, in
// place of the system's; an empty one gives the system's back. Read on the worker's thread.
void SetTestWorkerReportClock(std::function<std::time_t()> clock);
