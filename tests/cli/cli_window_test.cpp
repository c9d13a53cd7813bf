#include "cli/cli_window.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "bandwidth/request.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(CliWindow, MessagesComeInTheOrderPosted) {
    CliWindow window;
    ASSERT_NE(window.handle(), 0u);
    EXPECT_TRUE(PostMessageA(window.handle(), WM_DOWNLOAD_STARTED, 5000, 0));
    EXPECT_TRUE(PostMessageA(window.handle(), WM_DOWNLOAD_PROGRESS, 1, 0));
    EXPECT_TRUE(PostMessageA(window.handle(), WM_DOWNLOAD_FINISHED, 0, 0));
    const auto deadline = Clock::now() + seconds(10);
    for (auto [message, wParam] : {std::pair<UINT, WPARAM>{WM_DOWNLOAD_STARTED, 5000},
                                   {WM_DOWNLOAD_PROGRESS, 1},
                                   {WM_DOWNLOAD_FINISHED, 0}}) {
        const auto taken = window.take(deadline);
        ASSERT_TRUE(taken.has_value());
        EXPECT_EQ(taken->message, message);
        EXPECT_EQ(taken->wParam, wParam);
    }
    EXPECT_FALSE(window.take(Clock::now()).has_value());
}

TEST(CliWindow, TakingAProgressNotificationTellsThePoster) {
    CliWindow window;
    PostMessageA(window.handle(), WM_DOWNLOAD_PROGRESS, 1, 0);
    EXPECT_EQ(PendingMessages(window.handle(), WM_DOWNLOAD_PROGRESS), 1u);
    // A progress notification alone does not wake the taker: it waits for the deadline.
    ASSERT_TRUE(window.take(Clock::now()).has_value());
    EXPECT_EQ(PendingMessages(window.handle(), WM_DOWNLOAD_PROGRESS), 0u);
}

TEST(CliWindow, TheFinishedNotificationWakesTheTakerAtOnce) {
    CliWindow window;
    std::thread poster([&] {
        PostMessageA(window.handle(), WM_DOWNLOAD_PROGRESS, 1, 0);
        PostMessageA(window.handle(), WM_DOWNLOAD_FINISHED, 2, 0);
    });
    // Far enough away that only a wake-up can end the wait in time for the test.
    const auto first = window.take(Clock::now() + seconds(600));
    poster.join();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->message, WM_DOWNLOAD_PROGRESS);
    const auto second = window.take(Clock::now() + seconds(600));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->message, WM_DOWNLOAD_FINISHED);
    EXPECT_EQ(second->wParam, 2u);
}

TEST(CliWindow, StampsEachMessageWhenItIsPostedAndCallsBackThen) {
    std::vector<UINT> seen;
    CliWindow window([&](UINT message) { seen.push_back(message); });
    const auto before = Clock::now();
    PostMessageA(window.handle(), WM_DOWNLOAD_STARTED, 1, 0);
    const auto after = Clock::now();
    EXPECT_EQ(seen, std::vector<UINT>{WM_DOWNLOAD_STARTED});
    const auto taken = window.take(Clock::now() + seconds(10));
    ASSERT_TRUE(taken.has_value());
    EXPECT_GE(taken->postedAt, before);
    EXPECT_LE(taken->postedAt, after);
}

TEST(CliWindow, AWindowThatIsGoneTakesNothing) {
    HWND handle = 0;
    {
        CliWindow window;
        handle = window.handle();
    }
    EXPECT_FALSE(PostMessageA(handle, WM_DOWNLOAD_FINISHED, 0, 0));
}

TEST(CliWindow, AnEmptyQueueWaitsUntilTheDeadline) {
    CliWindow window;
    const auto deadline = Clock::now() + milliseconds(20);
    EXPECT_FALSE(window.take(deadline).has_value());
    EXPECT_GE(Clock::now(), deadline);
}

}  // namespace
