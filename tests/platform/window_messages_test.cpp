#include "platform/window_messages.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "tests/common/queue_target.h"

namespace {

constexpr UINT kStarted = WM_USER + 101;
constexpr UINT kProgress = WM_USER + 102;

TEST(WindowMessages, PostingToNoWindowFailsQuietly) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(PostMessageA(0, kProgress, 1, 0), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(PendingMessages(0, kProgress), 0u);
    MessageTaken(0, kProgress);  // harmless
}

TEST(WindowMessages, RegisteringNoTargetGivesNoWindow) {
    EXPECT_EQ(RegisterWindow(nullptr), 0u);
}

TEST(WindowMessages, PostingToAGoneWindowFailsAndItsHandleIsNeverReused) {
    HWND gone;
    {
        QueueTarget target;
        gone = target.window();
        ASSERT_NE(gone, 0u);
        EXPECT_EQ(PostMessageA(gone, kProgress, 1, 0), TRUE);
    }
    EXPECT_EQ(PostMessageA(gone, kProgress, 2, 0), FALSE);
    EXPECT_EQ(PendingMessages(gone, kProgress), 0u);
    QueueTarget newer;
    EXPECT_NE(newer.window(), gone);
    EXPECT_EQ(PostMessageA(gone, kProgress, 3, 0), FALSE);
    EXPECT_EQ(newer.waiting(), 0u);
}

TEST(WindowMessages, MessagesArriveWithTheirParametersInTheOrderPosted) {
    QueueTarget target;
    ASSERT_EQ(PostMessageA(target.window(), kStarted, 0xFFFFFFFFull + 5, 0), TRUE);
    for (WPARAM block = 1; block <= 500; ++block)
        ASSERT_EQ(PostMessageA(target.window(), kProgress, block, -static_cast<LPARAM>(block)),
                  TRUE);

    const std::optional<PostedMessage> first = target.take();
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (PostedMessage{kStarted, 0xFFFFFFFFull + 5, 0}));
    for (WPARAM block = 1; block <= 500; ++block) {
        const std::optional<PostedMessage> next = target.take();
        ASSERT_TRUE(next);
        ASSERT_EQ(*next, (PostedMessage{kProgress, block, -static_cast<LPARAM>(block)}));
    }
}

TEST(WindowMessages, PendingCountsWhatWasPostedAndNotTakenPerKind) {
    QueueTarget target;
    const HWND window = target.window();
    for (int i = 0; i < 3; ++i)
        PostMessageA(window, kProgress, i, 0);
    PostMessageA(window, kStarted, 0, 0);
    EXPECT_EQ(PendingMessages(window, kProgress), 3u);
    EXPECT_EQ(PendingMessages(window, kStarted), 1u);

    ASSERT_TRUE(target.take());  // a progress message
    EXPECT_EQ(PendingMessages(window, kProgress), 2u);
    ASSERT_TRUE(target.waitFor(kStarted));
    EXPECT_EQ(PendingMessages(window, kProgress), 0u);
    EXPECT_EQ(PendingMessages(window, kStarted), 0u);

    // Taking more than was posted never wraps the count round.
    MessageTaken(window, kProgress);
    EXPECT_EQ(PendingMessages(window, kProgress), 0u);
    PostMessageA(window, kProgress, 9, 0);
    EXPECT_EQ(PendingMessages(window, kProgress), 1u);
}

TEST(WindowMessages, TakenCountMovesWhenAWaitingMessageMayHaveGone) {
    std::uint64_t seen = 0;
    {
        QueueTarget target;
        PostMessageA(target.window(), kProgress, 1, 0);
        seen = MessagesTakenCount();
        PostMessageA(target.window(), kProgress, 2, 0);
        MessageTaken(target.window(), kStarted);  // none of that kind waits
        EXPECT_EQ(MessagesTakenCount(), seen);
        ASSERT_TRUE(target.take());
        EXPECT_NE(MessagesTakenCount(), seen);
        seen = MessagesTakenCount();
    }
    // Gone with a message still waiting: nothing of it waits any more.
    EXPECT_NE(MessagesTakenCount(), seen);
}

TEST(WindowMessages, EachPostersOrderIsKeptWhenSeveralPostAtOnce) {
    QueueTarget target;
    constexpr int kPosters = 4;
    constexpr WPARAM kEach = 2000;
    std::vector<std::thread> posters;
    for (int poster = 0; poster < kPosters; ++poster)
        posters.emplace_back([&, poster] {
            for (WPARAM n = 0; n < kEach; ++n)
                PostMessageA(target.window(), WM_USER + poster, n, 0);
        });
    for (std::thread& poster : posters)
        poster.join();

    std::vector<WPARAM> next(kPosters, 0);
    for (const PostedMessage& posted : target.all()) {
        const UINT poster = posted.message - WM_USER;
        ASSERT_LT(poster, static_cast<UINT>(kPosters));
        ASSERT_EQ(posted.wParam, next[poster]++);
    }
    for (int poster = 0; poster < kPosters; ++poster)
        EXPECT_EQ(next[poster], kEach);
}

// Records deliveries that arrive after its owner said it was unregistered.
class WatchedTarget final : public MessageTarget {
public:
    void deliver(UINT, WPARAM, LPARAM) override {
        delivered.fetch_add(1);
        if (unregistered.load())
            late.fetch_add(1);
    }
    std::atomic<bool> unregistered{false};
    std::atomic<int> delivered{0};
    std::atomic<int> late{0};
};

TEST(WindowMessages, NoDeliveryRunsOnceUnregisterReturns) {
    for (int round = 0; round < 50; ++round) {
        WatchedTarget target;
        const HWND window = RegisterWindow(&target);
        std::atomic<bool> stop{false};
        std::atomic<int> refused{0};
        std::vector<std::thread> posters;
        for (int i = 0; i < 2; ++i)
            posters.emplace_back([&] {
                while (!stop.load())
                    if (PostMessageA(window, kProgress, 0, 0) == FALSE)
                        refused.fetch_add(1);
            });
        while (target.delivered.load() < 10)
            std::this_thread::yield();
        UnregisterWindow(window);
        target.unregistered.store(true);
        while (refused.load() < 2)
            std::this_thread::yield();
        stop.store(true);
        for (std::thread& poster : posters)
            poster.join();
        ASSERT_EQ(target.late.load(), 0) << "round " << round;
    }
}

}  // namespace
