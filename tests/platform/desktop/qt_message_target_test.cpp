#include "platform/desktop/qt_message_target.h"

#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "tests/common/qt_application.h"

namespace {

using Message = std::tuple<UINT, WPARAM, LPARAM>;

constexpr UINT kProgress = WM_USER + 102;
constexpr UINT kFinished = WM_USER + 103;

bool PumpUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(60000);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class QtMessageTargetTest : public ::testing::Test {
protected:
    void SetUp() override { TestApplication(); }
};

TEST_F(QtMessageTargetTest, MessagesPostedOnAnotherThreadAreHandledInOrderOnThisOne) {
    std::vector<Message> handled;
    std::vector<unsigned> pendingSeen;
    bool onThisThread = true;
    std::unique_ptr<QtMessageTarget> target;
    target = std::make_unique<QtMessageTarget>(nullptr, [&](UINT message, WPARAM w, LPARAM l) {
        handled.emplace_back(message, w, l);
        pendingSeen.push_back(PendingMessages(target->window(), kProgress));
        onThisThread =
            onThisThread && QThread::currentThread() == QApplication::instance()->thread();
    });
    const HWND window = target->window();
    ASSERT_NE(window, 0u);

    std::thread([window] {
        for (WPARAM block = 1; block <= 3; ++block)
            PostMessageA(window, kProgress, block, 0);
        PostMessageA(window, kFinished, 2, 0);
    }).join();
    EXPECT_EQ(PendingMessages(window, kProgress), 3u);
    ASSERT_TRUE(PumpUntil([&] { return handled.size() == 4; }));

    EXPECT_EQ(handled,
              (std::vector<Message>{
                  {kProgress, 1, 0}, {kProgress, 2, 0}, {kProgress, 3, 0}, {kFinished, 2, 0}}));
    // Each message counts as taken before its handler runs.
    EXPECT_EQ(pendingSeen, (std::vector<unsigned>{2, 1, 0, 0}));
    EXPECT_TRUE(onThisThread);
    EXPECT_EQ(PendingMessages(window, kFinished), 0u);
}

TEST_F(QtMessageTargetTest, NothingQueuedReachesTheHandlerOnceTheTargetIsGone) {
    int handled = 0;
    auto target =
        std::make_unique<QtMessageTarget>(nullptr, [&](UINT, WPARAM, LPARAM) { ++handled; });
    const HWND window = target->window();
    EXPECT_EQ(PostMessageA(window, kProgress, 1, 0), TRUE);
    target.reset();
    EXPECT_EQ(PostMessageA(window, kProgress, 2, 0), FALSE);
    QApplication::processEvents();
    QApplication::sendPostedEvents();
    EXPECT_EQ(handled, 0);
}

TEST_F(QtMessageTargetTest, GoesWithTheWindowThatOwnsIt) {
    auto owner = std::make_unique<QObject>();
    auto* target = new QtMessageTarget(owner.get(), {});
    const HWND window = target->window();
    EXPECT_EQ(PostMessageA(window, kProgress, 1, 0), TRUE);
    owner.reset();
    EXPECT_EQ(PostMessageA(window, kProgress, 1, 0), FALSE);
}

TEST_F(QtMessageTargetTest, MessagesAreHandledWhileABoxIsOpen) {
    std::vector<Message> handled;
    QtMessageTarget target(
        nullptr, [&](UINT message, WPARAM w, LPARAM l) { handled.emplace_back(message, w, l); });
    const HWND window = target.window();
    bool posted = false;
    bool handledWhileOpen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        if (!posted) {
            std::thread([window] { PostMessageA(window, kFinished, 0, 0); }).join();
            posted = true;
        } else if (!handled.empty()) {
            handledWhileOpen = true;
            poll.stop();
            box->button(QMessageBox::Yes)->click();
        }
    });
    poll.start(5);
    EXPECT_EQ(MessageBoxA(nullptr, "Are you sure to exit?", "Corvanite", MB_YESNO | MB_ICONHAND),
              IDYES);
    EXPECT_TRUE(handledWhileOpen);
    EXPECT_EQ(handled, (std::vector<Message>{{kFinished, 0, 0}}));
}

}  // namespace
