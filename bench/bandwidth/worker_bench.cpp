// Speed of one complete test worker run on a large file from a local nginx, against
// `curl -s -o FILE URL` on the same URL, interleaved in one invocation. Also the peak memory
// of the process and the delay from the last read to the finished notification.
//
//   build/bench/bandwidth/worker_bench [runs] [megabytes]      (default: 7 runs, 1024 MiB)
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bandwidth/request.h"
#include "bandwidth/worker.h"
#include "bandwidth/worker_hooks.h"
#include "bench/common/curl_reference.h"
#include "bench/common/interleaved.h"
#include "bench/common/peak_memory.h"
#include "bench/common/stats.h"
#include "platform/window_messages.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using Clock = std::chrono::steady_clock;

namespace {

// A window that takes its messages on a thread of its own, as the dialog would, and notes
// when the finished notification was posted.
class BenchWindow final : public MessageTarget {
public:
    BenchWindow() : window_(RegisterWindow(this)), taker_([this] { take(); }) {}
    ~BenchWindow() override {
        {
            std::lock_guard lock(lock_);
            stopping_ = true;
        }
        arrived_.notify_all();
        taker_.join();
        UnregisterWindow(window_);
    }

    HWND window() const { return window_; }
    Clock::time_point finishedAt() {
        std::lock_guard lock(lock_);
        return finishedAt_;
    }

    void deliver(UINT message, WPARAM, LPARAM) override {
        const auto now = Clock::now();
        {
            std::lock_guard lock(lock_);
            if (message == WM_DOWNLOAD_FINISHED) {
                finishedAt_ = now;
            }
            queue_.push_back(message);
        }
        arrived_.notify_one();
    }

private:
    void take() {
        std::unique_lock lock(lock_);
        for (;;) {
            arrived_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            const UINT message = queue_.front();
            queue_.pop_front();
            lock.unlock();
            MessageTaken(window_, message);
            lock.lock();
        }
    }

    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<UINT> queue_;
    bool stopping_ = false;
    Clock::time_point finishedAt_{};
    HWND window_;
    std::thread taker_;
};

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct WorkerRun {
    double seconds;
    double finishedDelayMs;
};

WorkerRun runWorker(const std::string& url, const std::string& directory) {
    BenchWindow window;
    Clock::time_point lastRead{};
    SetTestWorkerEndOfDataObserver([&] { lastRead = Clock::now(); });
    TestRequest request{window.window(), url, directory};
    unsigned outcome = 0;
    const auto start = Clock::now();
    std::thread worker([&] { outcome = TestWorker(&request); });
    worker.join();
    const double elapsed = seconds(Clock::now() - start);
    SetTestWorkerEndOfDataObserver({});
    if (outcome != 0) {
        std::fprintf(stderr, "worker ended with %u\n", outcome);
        std::exit(2);
    }
    const double delay =
        std::chrono::duration<double, std::milli>(window.finishedAt() - lastRead).count();
    return {elapsed, delay};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    const std::uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;

    testsupport::TempDir served;
    testsupport::TempDir program;
    testsupport::writePatternFile(served.file("big.bin"), megabytes << 20);
    testsupport::NginxServer nginx(served.path());
    const std::string url = nginx.url("/big.bin");
    const long peakBefore = PeakResidentKiB();

    std::vector<double> ratios;
    std::vector<double> workerTimes;
    std::vector<double> curlTimes;
    double worstDelay = 0;
    std::vector<double> delays;
    double worker = 0;
    double curl = 0;
    RunInterleaved(
        runs,
        [&] {
            const WorkerRun run = runWorker(url, program.path());
            worker = run.seconds;
            worstDelay = std::max(worstDelay, run.finishedDelayMs);
            delays.push_back(run.finishedDelayMs);
            std::remove(program.file("big.bin").c_str());
        },
        [&] { curl = CurlSecondsToFile(url, program.file("curl.bin")); },
        [&](int round) {
            workerTimes.push_back(worker);
            curlTimes.push_back(curl);
            ratios.push_back(worker / curl);
            std::printf("run %d: worker %.3f s, curl %.3f s, ratio %.3f\n", round, worker, curl,
                        worker / curl);
        });

    const double ratio = Median(ratios);
    const long peak = PeakResidentKiB();
    std::printf("file %llu MiB, %d interleaved runs\n", static_cast<unsigned long long>(megabytes),
                runs);
    std::printf("median worker %.3f s (%.0f MiB/s), median curl %.3f s (%.0f MiB/s)\n",
                Median(workerTimes), megabytes / Median(workerTimes), Median(curlTimes),
                megabytes / Median(curlTimes));
    std::printf("median ratio worker/curl: %.3f (limit 1.05) %s\n", ratio,
                ratio <= 1.05 ? "ok" : "OVER");
    std::printf("peak memory: %.1f MiB (%.1f MiB before the runs; limit 64) %s\n", peak / 1024.0,
                peakBefore / 1024.0, peak < 64 * 1024 ? "ok" : "OVER");
    std::printf("last read to finished notification: median %.3f ms, worst %.3f ms (limit 10) %s\n",
                Median(delays), worstDelay, worstDelay <= 10 ? "ok" : "OVER");
    return ratio <= 1.05 && peak < 64 * 1024 && worstDelay <= 10 ? 0 : 1;
}
