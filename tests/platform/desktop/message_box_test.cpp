#include "platform/message_box.h"

#include <atomic>
#include <functional>
#include <thread>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/desktop/desktop_window.h"
#include "tests/common/message_box_answers.h"
#include "tests/common/qt_application.h"

namespace {

// Looks for the box on the user-interface thread while it is open, lets the test look at it,
// then presses a button. Returns whether a box was found.
class BoxPresser {
public:
    BoxPresser(std::function<void(QMessageBox&)> inspect, std::function<void(QMessageBox&)> press)
        : inspect_(std::move(inspect)), press_(std::move(press)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    bool found() const { return found_; }

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        timer_.stop();
        found_ = true;
        inspect_(*box);
        press_(*box);
    }

    QTimer timer_;
    std::function<void(QMessageBox&)> inspect_;
    std::function<void(QMessageBox&)> press_;
    bool found_ = false;
};

std::function<void(QMessageBox&)> Click(QMessageBox::StandardButton button) {
    return [button](QMessageBox& box) {
        QAbstractButton* pressed = box.button(button);
        ASSERT_NE(pressed, nullptr);
        pressed->click();
    };
}

void PressEscape(QMessageBox& box) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &escape);
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { TestApplication(); }
};

TEST_F(MessageBoxTest, TheAnswererSeesTheCallOnTheAskingThreadAndNoBoxIsShown) {
    MessageBoxAnswers answers;
    answers.answerNext(IDNO);
    QWidget owner;
    EXPECT_EQ(MessageBoxA(AsDesktopWindow(&owner), "Text", "Caption", MB_YESNO | MB_ICONHAND),
              IDNO);
    std::thread::id asked;
    SetMessageBoxAnswerer([&](const MessageBoxCall&) {
        asked = std::this_thread::get_id();
        return IDYES;
    });
    int fromWorker = 0;
    std::thread worker([&] { fromWorker = MessageBoxA(nullptr, "t", "c", MB_YESNO); });
    const std::thread::id workerId = worker.get_id();
    worker.join();
    SetMessageBoxAnswerer({});
    EXPECT_EQ(fromWorker, IDYES);
    EXPECT_EQ(asked, workerId);

    ASSERT_EQ(answers.count(), 1u);  // the second answerer replaced the recorder
    const MessageBoxCall call = answers.calls()[0];
    EXPECT_EQ(call.owner, AsDesktopWindow(&owner));
    EXPECT_EQ(call.text, "Text");
    EXPECT_EQ(call.caption, "Caption");
    EXPECT_EQ(call.style, MB_YESNO | MB_ICONHAND);
}

struct StyleCase {
    UINT style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

TEST_F(MessageBoxTest, StyleBitsChooseTheButtonsTheIconAndTheDefault) {
    const StyleCase cases[] = {
        {MB_OK, QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok},
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok},
        {MB_YESNO | MB_ICONSTOP, QMessageBox::Critical, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes},
        {MB_YESNO, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.style);
        BoxPresser presser(
            [&](QMessageBox& box) {
                EXPECT_EQ(box.icon(), c.icon);
                EXPECT_EQ(box.standardButtons(), c.buttons);
                ASSERT_NE(box.defaultButton(), nullptr);
                EXPECT_EQ(box.standardButton(box.defaultButton()), c.defaultButton);
                EXPECT_EQ(box.windowTitle(), "Caption");
                EXPECT_EQ(box.text(), "<b>Plain</b> & text");
                EXPECT_EQ(box.textFormat(), Qt::PlainText);
                EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
                EXPECT_EQ(box.parentWidget(), nullptr);
            },
            [&](QMessageBox& box) { box.defaultButton()->click(); });
        MessageBoxA(nullptr, "<b>Plain</b> & text", "Caption", c.style);
        EXPECT_TRUE(presser.found());
    }
}

TEST_F(MessageBoxTest, ReturnsTheButtonPressed) {
    const struct {
        UINT style;
        QMessageBox::StandardButton press;
        int expected;
    } cases[] = {
        {MB_OK, QMessageBox::Ok, IDOK},
        {MB_YESNO, QMessageBox::Yes, IDYES},
        {MB_YESNO, QMessageBox::No, IDNO},
    };
    for (const auto& c : cases) {
        BoxPresser presser([](QMessageBox&) {}, Click(c.press));
        EXPECT_EQ(MessageBoxA(nullptr, "t", "c", c.style), c.expected) << c.style;
    }
}

TEST_F(MessageBoxTest, EscapeAnswersOkOrNo) {
    {
        BoxPresser presser([](QMessageBox&) {}, PressEscape);
        EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK), IDOK);
    }
    {
        BoxPresser presser([](QMessageBox&) {}, PressEscape);
        EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO), IDNO);
    }
}

TEST_F(MessageBoxTest, SitsOnItsOwnerOrOnTheModalWindowOpenOverIt) {
    QWidget owner;
    owner.show();
    {
        BoxPresser presser([&](QMessageBox& box) { EXPECT_EQ(box.parentWidget(), &owner); },
                           Click(QMessageBox::Ok));
        MessageBoxA(AsDesktopWindow(&owner), "t", "c", MB_OK);
        EXPECT_TRUE(presser.found());
    }
    {
        QDialog popup(&owner);
        QTimer::singleShot(0, [&] {
            BoxPresser presser([&](QMessageBox& box) { EXPECT_EQ(box.parentWidget(), &popup); },
                               Click(QMessageBox::Ok));
            MessageBoxA(AsDesktopWindow(&owner), "t", "c", MB_OK);
            EXPECT_TRUE(presser.found());
            popup.accept();
        });
        popup.exec();
    }
}

TEST_F(MessageBoxTest, AnOwnerDestroyedMeanwhileCountsAsNone) {
    auto* owner = new QWidget;
    QWidget* const gone = owner;
    delete owner;
    BoxPresser presser([](QMessageBox& box) { EXPECT_EQ(box.parentWidget(), nullptr); },
                       Click(QMessageBox::Ok));
    EXPECT_EQ(MessageBoxA(AsDesktopWindow(gone), "t", "c", MB_OK), IDOK);
    EXPECT_TRUE(presser.found());
}

TEST_F(MessageBoxTest, ABoxAskedForOnAnotherThreadIsShownOnTheUserInterfaceThread) {
    QWidget owner;
    owner.show();
    QThread* shownOn = nullptr;
    BoxPresser presser(
        [&](QMessageBox& box) {
            shownOn = box.thread();
            EXPECT_EQ(box.parentWidget(), &owner);
            EXPECT_EQ(box.text(), "From the worker");
        },
        Click(QMessageBox::No));

    std::atomic<int> answer{-1};
    std::thread worker(
        [&] { answer = MessageBoxA(AsDesktopWindow(&owner), "From the worker", "c", MB_YESNO); });
    const QDeadlineTimer deadline(60000);
    while (answer.load() == -1 && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(answer.load(), IDNO);
    EXPECT_EQ(shownOn, QApplication::instance()->thread());
    EXPECT_TRUE(presser.found());
}

}  // namespace
