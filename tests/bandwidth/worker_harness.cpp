#include "tests/bandwidth/worker_harness.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "bandwidth/worker.h"
#include "bandwidth/worker_hooks.h"

WorkerResult RunWorker(const std::string& url, const std::string& programDirectory,
                       bool takeMessages) {
    QueueTarget window;
    TestRequest request;
    request.window = window.window();
    request.url = url;
    request.programDirectory = programDirectory;
    // What the server saw is the download's alone: latency is tested over a shaped path.
    request.measureLatency = false;

    WorkerResult result;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result.returned = TestWorker(&request);
        done = true;
    });
    if (takeMessages) {
        // The finished notification is the last of a run: taking up to it takes them all.
        EXPECT_TRUE(window.waitFor(WM_DOWNLOAD_FINISHED, std::chrono::seconds(120)).has_value());
    }
    worker.join();
    result.messages = window.all();
    return result;
}

EndedRun RunWorkerForEnding(const std::string& url, const std::string& programDirectory,
                            bool allowHttps) {
    QueueTarget window;
    TestRequest request;
    request.window = window.window();
    request.url = url;
    request.programDirectory = programDirectory;
    request.programName = "Corvanite";
    request.allowHttps = allowHttps;
    request.measureLatency = false;
    request.ending = std::make_shared<TestEndingSlot>();
    EndedRun run;
    std::thread worker([&] { run.returned = TestWorker(&request); });
    // What the worker left is there when the finished notification is taken.
    EXPECT_TRUE(window.waitFor(WM_DOWNLOAD_FINISHED, std::chrono::seconds(120)).has_value());
    run.ending = request.ending->get();
    worker.join();
    return run;
}

namespace {

// Keeps what is posted, takes nothing, and runs a check as the finished notification arrives.
class FinishWatcher final : public MessageTarget {
public:
    explicit FinishWatcher(const std::function<void()>& atFinished)
        : atFinished_(atFinished), window_(RegisterWindow(this)) {}
    ~FinishWatcher() override { UnregisterWindow(window_); }

    HWND window() const { return window_; }
    std::vector<PostedMessage> messages() const { return messages_; }

    void deliver(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages_.push_back({message, wParam, lParam});
        if (message == WM_DOWNLOAD_FINISHED) {
            atFinished_();
        }
    }

private:
    std::function<void()> atFinished_;
    std::vector<PostedMessage> messages_;
    HWND window_;
};

}  // namespace

WorkerResult RunWorkerWatchingFinish(const std::string& url, const std::string& programDirectory,
                                     const std::function<void()>& atFinished) {
    FinishWatcher window(atFinished);
    TestRequest request{window.window(), url, programDirectory};
    WorkerResult result;
    std::thread worker([&] { result.returned = TestWorker(&request); });
    worker.join();
    result.messages = window.messages();
    return result;
}

bool WriteLockFree(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
}

StopAtPoll::StopAtPoll(int pollPoint, int value, int count) {
    CancelRequest = 0;
    auto visits = std::make_shared<int>(0);
    SetTestWorkerPollObserver([=](int point) {
        if (point == pollPoint && ++*visits == count) {
            CancelRequest = value;
        }
    });
}

StopAtPoll::~StopAtPoll() {
    SetTestWorkerPollObserver({});
    CancelRequest = 0;
}

PollRecorder::PollRecorder() {
    SetTestWorkerPollObserver([this](int point) { order_.push_back(point); });
}

PollRecorder::~PollRecorder() {
    SetTestWorkerPollObserver({});
}

std::vector<int> PollRecorder::visited() const {
    std::vector<int> distinct;
    for (int point : order_) {
        if (std::find(distinct.begin(), distinct.end(), point) == distinct.end()) {
            distinct.push_back(point);
        }
    }
    return distinct;
}

int PollRecorder::visits(int pollPoint) const {
    return static_cast<int>(std::count(order_.begin(), order_.end(), pollPoint));
}

void ExpectWellFormedRun(const WorkerResult& result, unsigned outcome) {
    EXPECT_EQ(result.returned, outcome);
    ASSERT_FALSE(result.messages.empty());
    const PostedMessage& last = result.messages.back();
    EXPECT_EQ(last.message, WM_DOWNLOAD_FINISHED);
    EXPECT_EQ(last.wParam, outcome);
    int finished = 0;
    int started = 0;
    for (std::size_t i = 0; i < result.messages.size(); ++i) {
        const PostedMessage& m = result.messages[i];
        EXPECT_EQ(m.lParam, 0);
        finished += m.message == WM_DOWNLOAD_FINISHED;
        if (m.message == WM_DOWNLOAD_STARTED) {
            ++started;
            EXPECT_EQ(i, 0u) << "the started notification comes before any other";
        }
    }
    EXPECT_EQ(finished, 1);
    EXPECT_LE(started, 1);
}

bool StartedWith(const WorkerResult& result, std::uint64_t* contentLength) {
    for (const PostedMessage& m : result.messages) {
        if (m.message == WM_DOWNLOAD_STARTED) {
            *contentLength = m.wParam;
            return true;
        }
    }
    return false;
}

std::vector<std::uint64_t> ProgressCounts(const WorkerResult& result) {
    std::vector<std::uint64_t> counts;
    for (const PostedMessage& m : result.messages) {
        if (m.message == WM_DOWNLOAD_PROGRESS) {
            counts.push_back(m.wParam);
        }
    }
    return counts;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

int ReportBlocks(const std::string& reportText) {
    int blocks = 0;
    for (std::size_t at = reportText.find("Internet Band Width Test Report\r\n");
         at != std::string::npos;
         at = reportText.find("Internet Band Width Test Report\r\n", at + 1)) {
        ++blocks;
    }
    return blocks;
}
