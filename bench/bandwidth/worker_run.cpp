#include "bench/bandwidth/worker_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bandwidth/request.h"
#include "bandwidth/worker.h"
#include "bandwidth/worker_hooks.h"
#include "bench/bandwidth/bench_window.h"

WorkerRun RunWorker(const std::string& url, const std::string& directory) {
    using Clock = std::chrono::steady_clock;
    BenchWindow window;
    Clock::time_point lastRead{};
    SetTestWorkerEndOfDataObserver([&] { lastRead = Clock::now(); });
    TestRequest request{window.window(), url, directory};
    unsigned outcome = 0;
    const auto start = Clock::now();
    std::thread worker([&] { outcome = TestWorker(&request); });
    worker.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    SetTestWorkerEndOfDataObserver({});
    if (outcome != 0) {
        std::fprintf(stderr, "worker ended with %u\n", outcome);
        std::exit(2);
    }
    const double delay =
        std::chrono::duration<double, std::milli>(window.finishedAt() - lastRead).count();
    return {elapsed, delay};
}
