#include "services/app_services.h"

#include <atomic>
#include <memory>
#include <thread>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/desktop/desktop_window.h"
#include "platform/message_box.h"
#include "tests/common/message_box_answers.h"
#include "tests/common/qt_application.h"

namespace {

class AppServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        SetApplicationNameFromPath("/opt/tools/Corvanite.EXE");
    }
    void TearDown() override { SetMainWindow(nullptr); }
};

TEST_F(AppServicesTest, TheNameIsSetFromTheExecutablePath) {
    EXPECT_EQ(ApplicationName(), "Corvanite");
    SetApplicationNameFromPath("/home/ann/.local/bin/Corvanite Copy");
    EXPECT_EQ(ApplicationName(), "Corvanite Copy");
}

struct IconCase {
    UINT asked;
    UINT shown;
};

TEST_F(AppServicesTest, AStyleWithoutIconGetsTheExclamation) {
    const IconCase cases[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONEXCLAMATION},
        {MB_YESNO | MB_ICONHAND, MB_YESNO | MB_ICONHAND},
        {MB_OK | MB_ICONEXCLAMATION, MB_OK | MB_ICONEXCLAMATION},
    };
    MessageBoxAnswers answers;
    for (const IconCase& c : cases)
        ApplicationMessageBox("Test URL is NULL!", c.asked);
    ASSERT_EQ(answers.count(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const MessageBoxCall call = answers.calls()[i];
        EXPECT_EQ(call.style, cases[i].shown) << "asked " << cases[i].asked;
        EXPECT_EQ(call.caption, "Corvanite");
        EXPECT_EQ(call.text, "Test URL is NULL!");
    }
}

TEST_F(AppServicesTest, ReturnsTheAnswerAndIsOwnedByTheMainWindowOnAnyThread) {
    MessageBoxAnswers answers;
    EXPECT_EQ(answers.calls().size(), 0u);
    answers.answerNext(IDYES);
    answers.answerNext(IDNO);
    EXPECT_EQ(ApplicationMessageBox("no window yet", MB_YESNO), IDYES);

    QWidget window;
    SetMainWindow(AsDesktopWindow(&window));
    EXPECT_EQ(MainWindow(), AsDesktopWindow(&window));
    int fromWorker = 0;
    std::thread([&] { fromWorker = ApplicationMessageBox("from the worker", MB_YESNO); }).join();
    EXPECT_EQ(fromWorker, IDNO);

    const std::vector<MessageBoxCall> calls = answers.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].owner, nullptr);
    EXPECT_EQ(calls[1].owner, AsDesktopWindow(&window));
    EXPECT_EQ(calls[1].caption, "Corvanite");
}

TEST_F(AppServicesTest, OnlyTheMainWindowItselfIsForgotten) {
    QWidget first;
    QWidget second;
    SetMainWindow(AsDesktopWindow(&first));
    SetMainWindow(AsDesktopWindow(&second));
    ForgetMainWindow(AsDesktopWindow(&first));
    EXPECT_EQ(MainWindow(), AsDesktopWindow(&second));
    ForgetMainWindow(AsDesktopWindow(&second));
    EXPECT_EQ(MainWindow(), nullptr);
}

TEST_F(AppServicesTest, AWorkersBoxShowsOverTheMainWindowOnTheUserInterfaceThread) {
    QWidget window;
    window.show();
    SetMainWindow(AsDesktopWindow(&window));

    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        poll.stop();
        seen = true;
        EXPECT_EQ(box->thread(), QApplication::instance()->thread());
        EXPECT_EQ(box->parentWidget(), &window);
        EXPECT_EQ(box->windowTitle(), "Corvanite");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        // The main window takes no input while the box is open.
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(5);

    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = ApplicationMessageBox("Connecting failed", MB_OK); });
    const QDeadlineTimer deadline(60000);
    while (answer.load() == -1 && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_TRUE(seen);
    EXPECT_EQ(answer.load(), IDOK);
}

}  // namespace
