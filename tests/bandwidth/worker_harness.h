#pragma once

// Runs the test worker as the dialog does: on a thread of its own, with its notifications
// going to a window that takes them as they come. Also the stop-at-a-poll test hook and the
// checks that every run must pass.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bandwidth/ending.h"
#include "tests/common/queue_target.h"

struct WorkerResult {
    unsigned returned = 0;                // the routine's result
    std::vector<PostedMessage> messages;  // every notification, in the order posted
};

// Runs one test of url with programDirectory and waits for it to end. When takeMessages is
// false the window never takes a message, as a window that is busy elsewhere.
WorkerResult RunWorker(const std::string& url, const std::string& programDirectory,
                       bool takeMessages = true);

// Runs one test as the dialog does and gives the ending it left for the finished notification.
struct EndedRun {
    unsigned returned = 0;
    std::optional<TestEnding> ending;
};
EndedRun RunWorkerForEnding(const std::string& url, const std::string& programDirectory,
                            bool allowHttps = false);

// Runs one test with a window that takes nothing and calls atFinished on the worker's thread
// the moment the finished notification is posted: what holds then held before it.
WorkerResult RunWorkerWatchingFinish(const std::string& url, const std::string& programDirectory,
                                     const std::function<void()>& atFinished);

// Whether no writer of the system holds the file: its write lock can be had at once.
bool WriteLockFree(const std::string& path);

// Asks for a stop with value at the count-th visit of pollPoint, for the object's lifetime.
class StopAtPoll {
public:
    StopAtPoll(int pollPoint, int value = 2, int count = 1);
    ~StopAtPoll();
    StopAtPoll(const StopAtPoll&) = delete;
    StopAtPoll& operator=(const StopAtPoll&) = delete;
};

// Records which polls were visited, for the object's lifetime.
class PollRecorder {
public:
    PollRecorder();
    ~PollRecorder();
    PollRecorder(const PollRecorder&) = delete;
    PollRecorder& operator=(const PollRecorder&) = delete;
    // The distinct polls in the order first visited.
    std::vector<int> visited() const;
    int visits(int pollPoint) const;

private:
    std::vector<int> order_;
};

// Every run: the routine returns what its one finished notification carried, that
// notification is the last, and a started notification (if any) comes first.
void ExpectWellFormedRun(const WorkerResult& result, unsigned outcome);

// The content length that the started notification carried; none when it was not posted.
bool StartedWith(const WorkerResult& result, std::uint64_t* contentLength);
// The block counts of the progress notifications, in order.
std::vector<std::uint64_t> ProgressCounts(const WorkerResult& result);

// Whether a file exists, and its size.
bool FileExists(const std::string& path);
std::uint64_t FileSize(const std::string& path);

// Blocks in the report text: how many times the title line occurs.
int ReportBlocks(const std::string& reportText);
