// Start-up with the program's own main dialog.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/application.h"
#include "platform/desktop/desktop_window.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "tests/common/message_box_answers.h"
#include "tests/common/qt_application.h"
#include "tests/support/scoped_environment.h"
#include "ui/main_dialog.h"

namespace {

namespace fs = std::filesystem;

TEST(StartUp, TheMainDialogOwnsTheBoxesAndAConfirmedLeaveEndsTheRun) {
    TestApplication();
    std::string pattern = (fs::temp_directory_path() / "startup-XXXXXX").string();
    const std::string directory = mkdtemp(pattern.data());
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", directory);

    MessageBoxAnswers answers;
    answers.answerNext(IDOK);   // "Failed to launch help."
    answers.answerNext(IDYES);  // "Are you sure to exit?"
    QWidget* mainWindow = nullptr;
    TestDialog* made = nullptr;
    TestApp app([&]() -> std::unique_ptr<QDialog> {
        auto dialog = std::make_unique<TestDialog>(TestDialog::Options{directory, {}});
        made = dialog.get();
        QTimer::singleShot(0, made, [&] {
            mainWindow = AsWidget(MainWindow());
            QKeyEvent help(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
            QApplication::sendEvent(made->focusWidget() ? made->focusWidget() : made, &help);
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(made, &escape);
        });
        return dialog;
    });
    app.initialise(directory + "/Corvanite-startup.EXE");
    EXPECT_FALSE(app.startUp());

    EXPECT_EQ(mainWindow, made);
    EXPECT_EQ(MainWindow(), nullptr);
    ASSERT_EQ(answers.count(), 2u);
    const MessageBoxCall help = answers.calls()[0];
    EXPECT_EQ(help.text, "Failed to launch help.");
    EXPECT_EQ(help.caption, "Corvanite-startup");
    EXPECT_EQ(help.style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(AsWidget(help.owner), made);
    const MessageBoxCall leave = answers.calls()[1];
    EXPECT_EQ(leave.text, "Are you sure to exit?");
    EXPECT_EQ(AsWidget(leave.owner), made);
    fs::remove_all(directory);
}

}  // namespace
