#include "app/application.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/desktop/desktop_window.h"
#include "platform/desktop/shell.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "tests/common/instance_lock_holder.h"
#include "tests/common/message_box_answers.h"
#include "tests/common/qt_application.h"
#include "tests/common/stand_in_opener.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/wait_until.h"

namespace {

namespace fs = std::filesystem;

std::string MakeTemporaryDirectory() {
    std::string pattern = (fs::temp_directory_path() / "test-app-XXXXXX").string();
    return mkdtemp(pattern.data());
}

void SendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
}

// Each test runs the program under a name of its own, with its guard in a folder of its own.
class TestAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        directory_ = MakeTemporaryDirectory();
        runtime_ = directory_ + "/runtime";
        ASSERT_TRUE(fs::create_directory(runtime_));
        ASSERT_EQ(chmod(runtime_.c_str(), 0700), 0);
        environment_.set("XDG_RUNTIME_DIR", runtime_);
        name_ = std::string("Corvanite-") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        executable_ = directory_ + "/" + name_ + ".EXE";
        SetShellOpener([this](const std::string& url) {
            opened_.push_back(url);
            return launches_;
        });
    }
    void TearDown() override {
        SetShellOpener({});
        SetMainWindow(nullptr);
        fs::remove_all(directory_);
    }

    // A factory for a plain dialog that closes itself once the modal run has begun, after
    // running duringRun.
    TestApp::DialogFactory closingDialog(std::function<void(QDialog&)> duringRun = {}) {
        return [this, duringRun] {
            ++dialogsMade_;
            auto dialog = std::make_unique<QDialog>();
            QDialog* shown = dialog.get();
            made_ = shown;
            madeAt_ = shown;
            QTimer::singleShot(0, shown, [this, shown, duringRun] {
                mainWindowDuringRun_ = AsWidget(MainWindow());
                if (duringRun)
                    duringRun(*shown);
                shown->accept();
            });
            return dialog;
        };
    }

    std::string directory_;
    std::string runtime_;
    testsupport::ScopedEnvironment environment_;
    std::string name_;
    std::string executable_;
    std::vector<std::string> opened_;
    bool launches_ = true;
    int dialogsMade_ = 0;
    QPointer<QDialog> made_;
    QDialog* madeAt_ = nullptr;
    QWidget* mainWindowDuringRun_ = nullptr;
};

TEST_F(TestAppTest, TheNameAndTheHelpFileComeFromTheExecutable) {
    TestApp app(closingDialog());
    app.initialise(executable_);
    EXPECT_EQ(ApplicationName(), name_);
    EXPECT_EQ(app.helpFilePath(), directory_ + "/" + name_ + ".html");
}

TEST_F(TestAppTest, ASecondInstanceShowsTheRefusalAndNoDialog) {
    InstanceLockHolder first(runtime_, name_);
    ASSERT_TRUE(first.held());
    MessageBoxAnswers answers;
    TestApp app(closingDialog());
    app.initialise(executable_);

    EXPECT_FALSE(app.startUp());
    EXPECT_EQ(dialogsMade_, 0);
    ASSERT_EQ(answers.count(), 1u);
    const MessageBoxCall call = answers.calls()[0];
    EXPECT_EQ(call.text, "Only One Instance Is Allowed!");
    EXPECT_EQ(call.caption, "Warning!");
    EXPECT_EQ(call.style, MB_OK);  // only OK, and no icon
    EXPECT_EQ(call.owner, nullptr);
}

TEST_F(TestAppTest, AfterTheFirstInstanceEndsEvenAbruptlyTheNextRuns) {
    InstanceLockHolder first(runtime_, name_);
    ASSERT_TRUE(first.held());
    first.kill();
    MessageBoxAnswers answers;
    TestApp app(closingDialog());
    app.initialise(executable_);
    EXPECT_FALSE(app.startUp());
    EXPECT_EQ(dialogsMade_, 1);
    EXPECT_EQ(answers.count(), 0u);
}

TEST_F(TestAppTest, ACopyUnderAnotherNameRunsBeside) {
    InstanceLockHolder first(runtime_, name_);
    ASSERT_TRUE(first.held());
    MessageBoxAnswers answers;
    TestApp copy(closingDialog());
    copy.initialise(directory_ + "/Copy of " + name_ + ".EXE");
    copy.startUp();
    EXPECT_EQ(dialogsMade_, 1);
    EXPECT_EQ(answers.count(), 0u);
}

TEST_F(TestAppTest, TheFirstInstanceRunsTheDialogAsMainWindowAndKeepsTheGuard) {
    MessageBoxAnswers answers;
    TestApp app(closingDialog());
    app.initialise(executable_);

    EXPECT_FALSE(app.startUp());
    EXPECT_EQ(dialogsMade_, 1);
    EXPECT_EQ(mainWindowDuringRun_, madeAt_);
    EXPECT_NE(madeAt_, nullptr);
    EXPECT_TRUE(made_.isNull()) << "the dialog is destroyed after its run";
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_EQ(answers.count(), 0u);

    // The guard stays with this process after the dialog has closed.
    InstanceLockHolder second(runtime_, name_);
    EXPECT_FALSE(second.held());
    TestApp again(closingDialog());
    again.initialise(executable_);
    again.startUp();
    EXPECT_EQ(dialogsMade_, 1);
    ASSERT_EQ(answers.count(), 1u);
    EXPECT_EQ(answers.calls()[0].text, "Only One Instance Is Allowed!");
}

TEST_F(TestAppTest, AGuardThatCannotBeMadeDoesNotStopTheStart) {
    ASSERT_EQ(chmod(runtime_.c_str(), 0777), 0);
    const std::string temporary = directory_ + "/tmp";
    ASSERT_TRUE(fs::create_directory(temporary));
    const std::string privateFolder = temporary + "/corvanite-" + std::to_string(geteuid());
    ASSERT_TRUE(fs::create_directory(privateFolder));
    ASSERT_EQ(chmod(privateFolder.c_str(), 0777), 0);
    environment_.set("TMPDIR", temporary);

    MessageBoxAnswers answers;
    TestApp app(closingDialog());
    app.initialise(executable_);
    app.startUp();
    EXPECT_EQ(dialogsMade_, 1);
    EXPECT_EQ(answers.count(), 0u);
}

TEST_F(TestAppTest, ADialogThatCannotBeMadeEndsTheRunQuietly) {
    MessageBoxAnswers answers;
    TestApp app([] { return std::unique_ptr<QDialog>(); });
    app.initialise(executable_);
    EXPECT_FALSE(app.startUp());
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_EQ(answers.count(), 0u);
}

TEST_F(TestAppTest, HelpOpensThePageBesideTheProgramOrTheInstalledOne) {
    // A program in a bin folder, with an installed tree's share folder beside it.
    ASSERT_TRUE(fs::create_directories(directory_ + "/bin"));
    ASSERT_TRUE(fs::create_directories(directory_ + "/share/corvanite"));
    const std::string beside = directory_ + "/bin/" + name_ + ".html";
    const std::string installed = directory_ + "/share/corvanite/corvanite.html";
    const struct {
        const char* pages;
        bool besidePage;
        bool installedPage;
        bool launches;
        std::string opens;  // empty: "Failed to launch help."
    } cases[] = {
        {"none", false, false, true, ""},
        {"beside the program", true, false, true, beside},
        {"installed", false, true, true, installed},
        {"both", true, true, true, beside},
        {"beside, and nothing can open it", true, true, false, ""},
    };
    for (const auto& c : cases) {
        fs::remove(beside);
        fs::remove(installed);
        if (c.besidePage)
            std::ofstream(beside) << "help";
        if (c.installedPage)
            std::ofstream(installed) << "help";
        launches_ = c.launches;
        opened_.clear();
        MessageBoxAnswers answers;
        TestApp app(closingDialog());
        app.initialise(directory_ + "/bin/" + name_);

        app.help();
        if (c.opens.empty()) {
            ASSERT_EQ(answers.count(), 1u) << c.pages;
            EXPECT_EQ(answers.calls()[0].text.rfind("Failed to launch help.", 0), 0u);
            EXPECT_EQ(answers.calls()[0].caption, name_);
            EXPECT_EQ(answers.calls()[0].style, MB_OK | MB_ICONEXCLAMATION);
        } else {
            EXPECT_EQ(answers.count(), 0u) << c.pages;
            EXPECT_EQ(opened_, std::vector<std::string>{"file://" + c.opens}) << c.pages;
        }
    }
}

TEST_F(TestAppTest, HelpThatTheOpenerCannotShowNamesThePage) {
    const std::string page = directory_ + "/" + name_ + ".html";
    std::ofstream(page) << "help";
    // xdg-open with no browser configured: it starts, then exits with status 3.
    StandInOpener opener(3);
    MessageBoxAnswers answers;
    TestApp app(closingDialog());
    app.initialise(executable_);

    app.help();
    ASSERT_TRUE(testsupport::waitUntil([&] {
        QCoreApplication::processEvents();
        return answers.count() > 0;
    }));
    EXPECT_EQ(opener.opened(), std::vector<std::string>{"file://" + page});
    const std::string text = answers.calls()[0].text;
    EXPECT_EQ(text.rfind("Failed to launch help.", 0), 0u) << text;
    EXPECT_NE(text.find(page), std::string::npos) << text;
}

TEST_F(TestAppTest, TheHelpKeyInADialogAsksForHelp) {
    MessageBoxAnswers answers;
    TestApp app(closingDialog([](QDialog& dialog) {
        auto* button = new QPushButton("&Test", &dialog);
        SendKey(button, Qt::Key_F1);
        // With Shift, Ctrl or Alt held it is not the help key.
        SendKey(button, Qt::Key_F1, Qt::ShiftModifier);
        SendKey(button, Qt::Key_F1, Qt::ControlModifier);
        SendKey(button, Qt::Key_F1, Qt::AltModifier);
        SendKey(button, Qt::Key_F2);
        // A dialog of its own, like the About dialog, has the key too.
        QDialog about;
        QTimer::singleShot(0, &about, [&about] {
            SendKey(&about, Qt::Key_F1, Qt::KeypadModifier);
            about.accept();
        });
        about.exec();
    }));
    app.initialise(executable_);
    app.startUp();
    // No help file: each press that counts says so.
    EXPECT_EQ(answers.count(), 2u);
    for (const MessageBoxCall& call : answers.calls())
        EXPECT_EQ(call.text, "Failed to launch help.");

    // Outside a run of the program the key does nothing.
    QDialog outside;
    SendKey(&outside, Qt::Key_F1);
    EXPECT_EQ(answers.count(), 2u);
}

}  // namespace
