// The main dialog's results: the line under the progress bar through a test, the Results
// window from the window menu and from a click on the result, kept up to date by each finished
// test, and a history that cannot be written told once.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWindow>

#include "bandwidth/ending.h"
#include "history/history_store.h"
#include "tests/support/ending_samples.h"
#include "tests/support/history_samples.h"
#include "tests/ui/main_dialog_fixture.h"
#include "ui/about_dialog.h"
#include "ui/history_table_model.h"
#include "ui/results_window.h"

namespace {

constexpr auto FinishedLine = FinishedSampleLine;

class DialogResults : public MainDialog {
protected:
    std::string result() const { return control<QLabel>("result")->text().toStdString(); }

    // Ends the running test as its worker would: the ending in the request's slot, then the
    // finished notification.
    void finish(unsigned outcome, bool recorded = true, const std::string& problem = {}) {
        TestEnding ending = FinishedSampleEnding();
        ending.outcome = outcome;
        ending.url = starter_->requests.back().url;
        ending.recorded = recorded;
        ending.historyProblem = problem;
        starter_->requests.back().ending->put(ending);
        notify(WM_DOWNLOAD_FINISHED, outcome);
    }

    void record(const char* start) {
        const HistoryRow row =
            SampleRow(start, "http://127.0.0.1:9/file.bin", 0, 100000000, 8.5, 94.1);
        const std::string history = dialog_->programDirectory() + "/" + HistoryFileName;
        ASSERT_TRUE(RecordInHistory(history, row, {history + ".none", std::nullopt}).recorded);
    }

    QAction* menuItem(const char* name) const {
        for (QAction* action : dialog_->windowMenu()->actions()) {
            if (action->objectName() == QLatin1String(name)) {
                return action;
            }
        }
        ADD_FAILURE() << name;
        return nullptr;
    }

    ResultsWindow* openedResults() const {
        EXPECT_TRUE(WaitUntil([this] {
            return dialog_->resultsWindow() && dialog_->resultsWindow()->isVisible() &&
                   !dialog_->resultsWindow()->reading();
        }));
        return dialog_->resultsWindow();
    }
};

TEST_F(DialogResults, TheLineFollowsEachTest) {
    open();
    EXPECT_EQ(result(), "");
    startTest();
    EXPECT_EQ(result(), "");
    notify(WM_DOWNLOAD_STARTED, 102400);
    EXPECT_EQ(result(), "0 B of 102.4 kB, -- Mbit/s");
    finish(OutcomeFinished);
    EXPECT_EQ(result(), FinishedLine);
    EXPECT_EQ(status(), "Downloading finished.");

    // A new test empties it; a cancel leaves it empty.
    startTest();
    EXPECT_EQ(result(), "");
    notify(WM_DOWNLOAD_STARTED, 102400);
    EXPECT_NE(result(), "");
    finish(OutcomeCancelled);
    EXPECT_EQ(result(), "");
    EXPECT_EQ(status(), "Downloading is broken by user.");
}

TEST_F(DialogResults, TheWindowMenuOffersResultsJustBeforeTheAboutItem) {
    TestDialog& dialog = open();
    const QList<QAction*> actions = dialog.windowMenu()->actions();
    ASSERT_GE(actions.size(), 4);
    const qsizetype last = actions.size() - 1;
    EXPECT_EQ(actions[last]->text(), "&About Corvanite...");
    EXPECT_TRUE(actions[last - 1]->isSeparator());
    EXPECT_EQ(actions[last - 2]->text(), "&Results...");
    EXPECT_EQ(actions[last - 2]->data().toUInt(), 0x20u);
    EXPECT_TRUE(actions[last - 2]->isEnabled());
    EXPECT_TRUE(actions[last - 3]->isSeparator());

    record("2026-12-08T17:05:09.123Z");
    menuItem("results")->trigger();
    ResultsWindow* window = openedResults();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Corvanite Results");
    EXPECT_EQ(window->tableModel().rowCount(), 1);
    // One window: asked again, the same comes to the front.
    window->close();
    dialog.systemCommand(0x20);
    EXPECT_EQ(openedResults(), window);
    dialog.systemCommand(0x20);
    EXPECT_EQ(dialog.resultsWindow(), window);
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(DialogResults, TheResultsWindowGoesWithTheDialog) {
    TestDialog& dialog = open();
    dialog.systemCommand(0x20);
    ResultsWindow* window = openedResults();
    ASSERT_NE(window, nullptr);
    QTest::mouseClick(control<QPushButton>("close"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(DialogResults, AClickOnTheResultOpensResults) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QPoint onLine = control("result")->geometry().topLeft() + QPoint(4, 4);

    // An empty line is no link.
    QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, onLine);
    QApplication::processEvents();
    EXPECT_EQ(dialog.resultsWindow(), nullptr);

    startTest();
    notify(WM_DOWNLOAD_STARTED, 102400);
    QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, onLine);
    QApplication::processEvents();
    EXPECT_EQ(dialog.resultsWindow(), nullptr);

    record("2026-12-08T17:05:09.123Z");
    finish(OutcomeFinished);
    QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, onLine);
    ResultsWindow* window = openedResults();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->tableModel().rowCount(), 1);
}

TEST_F(DialogResults, TheKeyboardReachesTheMenuAndTheResult) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // A finished test's result is the tab stop after the URL box, drawn as a link, and Enter
    // or Space on it opens the Results window.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        startTest();
        finish(OutcomeFinished);
        ASSERT_TRUE(url()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), control("result"));
        EXPECT_TRUE(control("result")->font().underline());
        QTest::keyClick(control("result"), key);
        ResultsWindow* window = openedResults();
        ASSERT_NE(window, nullptr);
        window->close();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    // A line without a result is passed over.
    startTest();
    notify(WM_DOWNLOAD_STARTED, 102400);
    EXPECT_EQ(control("result")->focusPolicy(), Qt::NoFocus);

    // Shift+F10 on a button opens the window menu.
    bool menuShown = false;
    WhenShown<QMenu>([&](QMenu* menu) {
        menuShown = menu == dialog.windowMenu();
        menu->close();
    });
    QTest::keyClick(control("cancel"), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(menuShown);
}

TEST_F(DialogResults, ADoubleClickOpensAboutOnlyOnTheBackground) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QPoint onLine = control("result")->geometry().topLeft() + QPoint(4, 4);
    const auto aboutOnDoubleClick = [&](QPoint where) {
        bool looked = false;
        bool shown = false;
        // Runs inside the About box's modal run when there is one, after the click otherwise.
        QTimer::singleShot(0, &dialog, [&] {
            if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
                shown = true;
                about->reject();
            }
            looked = true;
        });
        QTest::mouseDClick(dialog.windowHandle(), Qt::LeftButton, {}, where);
        EXPECT_TRUE(WaitUntil([&] { return looked; }));
        return shown;
    };
    // The empty line is background.
    EXPECT_TRUE(aboutOnDoubleClick(onLine));
    EXPECT_EQ(dialog.resultsWindow(), nullptr);

    // The progress bar of a running test is no background.
    startTest();
    notify(WM_DOWNLOAD_STARTED, 4096);
    ASSERT_TRUE(control("progress")->isVisible());
    EXPECT_FALSE(aboutOnDoubleClick(control("progress")->geometry().center()));
    finish(OutcomeFinished);
    ASSERT_EQ(result(), FinishedLine);
    EXPECT_TRUE(aboutOnDoubleClick(QPoint(5, 5)));
    // A click on the result before: the background still answers a double-click.
    QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, onLine);
    ASSERT_NE(openedResults(), nullptr);
    dialog.activateWindow();
    EXPECT_TRUE(aboutOnDoubleClick(QPoint(5, 5)));
    // Emptied by the next test, the line is background again.
    startTest();
    ASSERT_EQ(result(), "");
    EXPECT_TRUE(aboutOnDoubleClick(onLine));
}

TEST_F(DialogResults, AFinishedTestShowsInAnOpenResultsWindow) {
    TestDialog& dialog = open();
    dialog.systemCommand(0x20);
    ResultsWindow* window = openedResults();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->tableModel().rowCount(), 0);

    startTest();
    // The worker records the test before it posts the finished notification.
    record("2026-12-08T17:05:09.123Z");
    finish(OutcomeFinished);
    EXPECT_TRUE(WaitUntil([&] { return window->tableModel().rowCount() == 1; }));

    // A closed window is left alone, and reads afresh when it opens again.
    window->close();
    startTest();
    record("2026-12-08T17:06:09.123Z");
    finish(OutcomeFinished);
    QApplication::processEvents();
    EXPECT_FALSE(window->reading());
    EXPECT_EQ(window->tableModel().rowCount(), 1);
    dialog.systemCommand(0x20);
    EXPECT_TRUE(WaitUntil([&] { return window->tableModel().rowCount() == 2; }));
}

TEST_F(DialogResults, AHistoryThatCannotBeWrittenIsToldOnceAfterTheOutcome) {
    open();
    const std::string problem =
        "The history /x/BandWidth_History.db is locked by another program (database is locked); "
        "the test was not recorded.";
    std::vector<std::string> statusWhenTold;
    std::vector<MessageBoxCall> boxes;
    SetMessageBoxAnswerer([&](const MessageBoxCall& call) {
        boxes.push_back(call);
        statusWhenTold.push_back(status());
        return IDOK;
    });

    startTest();
    finish(OutcomeFinished, false, problem);
    startTest();
    finish(OutcomeOpenUrlException, false, problem);
    startTest();
    finish(OutcomeFinished, true);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, problem);
    EXPECT_EQ(boxes[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(statusWhenTold, std::vector<std::string>{"Downloading finished."});
    expectIdle();
}

}  // namespace
