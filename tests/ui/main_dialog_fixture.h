#pragma once

// The main dialog over a program folder of its own, shown as the application's main window,
// with answers for every box, a record of what the shell opens and a worker starter that
// only records the requests.
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "bandwidth/request.h"
#include "platform/desktop/desktop_window.h"
#include "platform/message_box.h"
#include "platform/window_messages.h"
#include "services/app_services.h"
#include "tests/support/scoped_environment.h"
#include "tests/ui/dialog_test_support.h"
#include "ui/main_dialog.h"

class MainDialog : public ::testing::Test {
protected:
    // The user's settings in a folder of the test's own.
    MainDialog() {
        TestApplication();
        environment_.set("XDG_CONFIG_HOME", folder_.filePath("config").toStdString());
    }

    ~MainDialog() override { SetMainWindow(nullptr); }

    // The dialog over a program folder of its own, the application's main window, not shown.
    TestDialog& make(bool threadAvailable = true) {
        starter_ = std::make_unique<RecordingStarter>(threadAvailable);
        dialog_ = std::make_unique<TestDialog>(
            TestDialog::Options{folder_.path().toStdString(), starter_->starter()});
        SetMainWindow(AsDesktopWindow(dialog_.get()));
        return *dialog_;
    }

    // The same, shown.
    TestDialog& open(bool threadAvailable = true) {
        make(threadAvailable).show();
        return *dialog_;
    }

    template <typename Widget = QWidget>
    Widget* control(const char* name) const {
        auto* widget = dialog_->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QComboBox* url() const { return control<QComboBox>("url"); }
    // Whether the control shows on the dialog, also once the dialog itself has ended.
    bool shown(const char* name) const { return control(name)->isVisibleTo(dialog_.get()); }
    std::string status() const { return control<QLabel>("status")->text().toStdString(); }

    void writeFile(const char* name, const std::string& bytes) {
        std::ofstream(folder_.filePath(QString::fromLatin1(name)).toStdString(), std::ios::binary)
            << bytes;
    }

    void post(UINT message, WPARAM wParam) {
        ASSERT_TRUE(PostMessageA(dialog_->messageWindow(), message, wParam, 0));
    }

    // Posts a notification and lets the dialog handle it.
    void notify(UINT message, WPARAM wParam) {
        ASSERT_TRUE(PostMessageA(dialog_->messageWindow(), message, wParam, 0));
        ASSERT_TRUE(
            WaitUntil([&] { return PendingMessages(dialog_->messageWindow(), message) == 0; }));
    }

    void startTest(const char* text = "http://127.0.0.1:9/file.bin") {
        url()->setEditText(QString::fromLatin1(text));
        QTest::mouseClick(control<QPushButton>("test"), Qt::LeftButton);
        ASSERT_FALSE(dialog_->idle());
    }

    void expectIdle() const {
        EXPECT_TRUE(dialog_->idle());
        EXPECT_TRUE(control("test")->isEnabled());
        EXPECT_TRUE(control("url")->isEnabled());
        EXPECT_TRUE(shown("close"));
        EXPECT_FALSE(shown("cancel"));
        EXPECT_TRUE(shown("viewReport"));
        EXPECT_TRUE(control("viewReport")->isEnabled());
    }

    void expectRunning() const {
        EXPECT_FALSE(dialog_->idle());
        EXPECT_FALSE(control("test")->isEnabled());
        EXPECT_FALSE(control("url")->isEnabled());
        EXPECT_FALSE(shown("close"));
        EXPECT_TRUE(shown("cancel"));
        EXPECT_TRUE(shown("viewReport"));
        EXPECT_TRUE(control("viewReport")->isEnabled());
    }

    QTemporaryDir folder_;
    testsupport::ScopedEnvironment environment_;
    MessageBoxAnswers answers_{IDNO};
    ShellRecorder shell_;
    std::unique_ptr<RecordingStarter> starter_;
    std::unique_ptr<TestDialog> dialog_;
};
