#include "bandwidth/worker_notifier.h"

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/common/queue_target.h"

namespace {

using std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

// A clock that moves only when the test says so.
struct TestClock {
    TimePoint now{};
    WorkerNotifier::Clock function() {
        return [this] { return now; };
    }
};

TEST(WorkerNotifier, KeepsAtMostOneProgressWaiting) {
    QueueTarget window;
    TestClock clock;
    WorkerNotifier notifier(window.window(), clock.function());

    notifier.started(5000000000ULL);
    notifier.progress(1);
    clock.now += milliseconds(50);
    notifier.progress(2);  // the first still waits: held back
    ASSERT_EQ(window.take()->message, WM_DOWNLOAD_STARTED);
    ASSERT_EQ(window.take()->wParam, 1u);
    notifier.progress(3);  // taken: the newest count goes out
    clock.now += milliseconds(50);
    notifier.progress(4);
    notifier.lastProgress();  // the held-back 4 goes out behind the waiting 3
    notifier.lastProgress();  // and only once
    ASSERT_EQ(window.take()->wParam, 3u);
    ASSERT_EQ(window.take()->wParam, 4u);
    notifier.finished(0);

    EXPECT_EQ(window.all(), (std::vector<PostedMessage>{
                                {WM_DOWNLOAD_STARTED, 5000000000ULL, 0},
                                {WM_DOWNLOAD_PROGRESS, 1, 0},
                                {WM_DOWNLOAD_PROGRESS, 3, 0},
                                {WM_DOWNLOAD_PROGRESS, 4, 0},
                                {WM_DOWNLOAD_FINISHED, 0, 0},
                            }));
}

TEST(WorkerNotifier, PostsProgressAtMostOncePerInterval) {
    QueueTarget window;
    TestClock clock;
    WorkerNotifier notifier(window.window(), clock.function());

    notifier.progress(1);
    window.take();
    clock.now += WorkerNotifier::kProgressInterval - milliseconds(1);
    notifier.progress(2);  // taken, but too soon
    clock.now += milliseconds(1);
    notifier.progress(3);
    window.take();
    notifier.progress(4);     // too soon again
    notifier.lastProgress();  // the end is never held back by the interval
    notifier.finished(0);

    EXPECT_EQ(window.all(), (std::vector<PostedMessage>{
                                {WM_DOWNLOAD_PROGRESS, 1, 0},
                                {WM_DOWNLOAD_PROGRESS, 3, 0},
                                {WM_DOWNLOAD_PROGRESS, 4, 0},
                                {WM_DOWNLOAD_FINISHED, 0, 0},
                            }));
}

TEST(WorkerNotifier, FinishedIsPostedEvenWhileProgressWaits) {
    QueueTarget window;
    WorkerNotifier notifier(window.window());
    notifier.progress(1);
    notifier.progress(2);
    notifier.finished(OutcomeCancelled);
    EXPECT_EQ(window.all(), (std::vector<PostedMessage>{
                                {WM_DOWNLOAD_PROGRESS, 1, 0},
                                {WM_DOWNLOAD_FINISHED, OutcomeCancelled, 0},
                            }));
}

TEST(WorkerNotifier, WindowThatIsGoneIsNoFailure) {
    WorkerNotifier notifier(0);
    notifier.started(1);
    notifier.progress(1);
    notifier.lastProgress();
    notifier.finished(0);
}

}  // namespace
