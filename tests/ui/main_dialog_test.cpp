#include "ui/main_dialog.h"

#include <vector>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include "frontend/outcome_table.h"
#include "tests/ui/main_dialog_fixture.h"
#include "ui/about_dialog.h"
#include "ui/dialog_units.h"

namespace {

TEST_F(MainDialog, TemplateLayout) {
    TestDialog& dialog = open();
    const DialogUnits units(dialog.font());
    EXPECT_EQ(dialog.windowTitle(), "Corvanite Test");
    // The desktop's font at the size the user chose, as the message boxes have it.
    EXPECT_EQ(dialog.font(), QApplication::font());
    EXPECT_EQ(dialog.size(), units.size(320, 200));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(dialog.windowIcon().availableSizes().size(), 7);  // 16 to 256 px

    const struct {
        const char* name;
        int id;
        const char* text;
        QRect rect;
        bool visible;
    } controls[] = {
        {"close", 1, "Cl&ose", QRect(179, 167, 50, 14), true},
        // Two lines and more: the longer texts wrap.
        {"status", 1003, "", QRect(39, 90, 200, 20), true},
        {"urlLabel", -1, "URL:", QRect(39, 28, 21, 12), true},
        {"test", 1001, "&Test", QRect(243, 25, 35, 18), true},
        {"progress", 1004, nullptr, QRect(39, 113, 239, 20), false},
        {"viewReport", 3, "&View Report", QRect(88, 167, 50, 14), true},
        {"cancel", 1007, "Cancel", QRect(180, 167, 50, 14), false},
    };
    for (const auto& row : controls) {
        QWidget* widget = control(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->property("controlId").toInt(), row.id) << row.name;
        EXPECT_EQ(widget->geometry(),
                  units.rect(row.rect.x(), row.rect.y(), row.rect.width(), row.rect.height()))
            << row.name;
        EXPECT_EQ(widget->isVisible(), row.visible) << row.name;
        if (row.text) {
            const QString text = widget->property("text").toString();
            EXPECT_EQ(text.toStdString(), row.text) << row.name;
        }
    }
    EXPECT_EQ(url()->pos(), QPoint(units.x(63), units.y(27)));
    EXPECT_EQ(url()->width(), units.x(167));
    EXPECT_TRUE(url()->isEditable());
    EXPECT_EQ(url()->property("controlId").toInt(), 1005);
}

TEST_F(MainDialog, EnterOutsideAButtonPressesTest) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    url()->setFocus();
    EXPECT_TRUE(control<QPushButton>("test")->isDefault());
    EXPECT_FALSE(control<QPushButton>("close")->isDefault());
    url()->setEditText("http://127.0.0.1/enter.bin");
    QTest::keyClick(url()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(starter_->requests.size(), 1u);
    EXPECT_EQ(starter_->requests[0].url, "http://127.0.0.1/enter.bin");
    // The typed URL is not added to the list.
    EXPECT_EQ(url()->count(), 5);
}

TEST_F(MainDialog, EnterOnCloseEndsWithOne) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ASSERT_EQ(QApplication::focusWidget(), control("close"));
    QTest::keyClick(control("close"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_TRUE(starter_->requests.empty());
}

TEST_F(MainDialog, TabOrderFollowsTheTemplateAndCloseHasTheFocus) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), control("close"));
    // Every tab stop in turn, the hidden Cancel button left out.
    std::vector<std::string> order;
    for (int i = 0; i < 4; ++i) {
        QWidget* focus = QApplication::focusWidget();
        // The combo box's edit field holds the focus for the box.
        while (focus && focus->objectName().isEmpty()) {
            focus = focus->parentWidget();
        }
        order.push_back(focus ? focus->objectName().toStdString() : "");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"close", "test", "url", "viewReport"}));
    EXPECT_EQ(QApplication::focusWidget(), control("close"));
}

TEST_F(MainDialog, BuiltInListOffersFiveUrlsAndSelectsTheFirst) {
    open();
    ASSERT_EQ(url()->count(), 5);
    std::vector<QUrl> urls;
    for (int i = 0; i < 5; ++i) {
        urls.emplace_back(url()->itemText(i));
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(urls[i].scheme(), "http") << i;
        EXPECT_TRUE(urls[i].path().endsWith(".exe")) << i;
    }
    EXPECT_EQ(urls[0].host(), urls[1].host());
    EXPECT_EQ(urls[1].host(), urls[2].host());
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+$").match(urls[3].host()).hasMatch());
    EXPECT_EQ(urls[4].scheme(), "ftp");
    EXPECT_TRUE(urls[4].path().endsWith(".pdf"));
    EXPECT_EQ(url()->currentIndex(), 0);
    EXPECT_EQ(url()->currentText(), url()->itemText(0));
}

TEST_F(MainDialog, ListFileTakesThePlaceOfTheBuiltInList) {
    const std::string long300 = "http://h/" + std::string(287, 'x') + ".exe";
    writeFile("Corvanite.cfg", "http://a/1.exe\r\n\r\n\nftp://b/2.pdf\n" + long300 + "\n b \nlast");
    open();
    ASSERT_EQ(url()->count(), 5);
    EXPECT_EQ(url()->itemText(0), "http://a/1.exe");
    EXPECT_EQ(url()->itemText(1), "ftp://b/2.pdf");
    EXPECT_EQ(url()->itemText(2).toStdString(), long300);
    EXPECT_EQ(url()->itemText(3), " b ");
    EXPECT_EQ(url()->itemText(4), "last");
    EXPECT_EQ(url()->currentText(), "http://a/1.exe");
}

TEST_F(MainDialog, ListFileOfBlankLinesLeavesTheBoxEmpty) {
    writeFile("Corvanite.cfg", "\r\n\n\n");
    open();
    EXPECT_EQ(url()->count(), 0);
    EXPECT_EQ(url()->currentIndex(), -1);
    EXPECT_EQ(url()->currentText(), "");
    QTest::mouseClick(control<QPushButton>("test"), Qt::LeftButton);
    ASSERT_EQ(answers_.count(), 1u);
    EXPECT_EQ(answers_.calls()[0].text, "Test URL is NULL!");
}

TEST_F(MainDialog, EmptyUrlIsRefusedWithAMessage) {
    open();
    url()->setEditText(QString());
    QTest::mouseClick(control<QPushButton>("test"), Qt::LeftButton);
    ASSERT_EQ(answers_.count(), 1u);
    const MessageBoxCall call = answers_.calls()[0];
    EXPECT_EQ(call.text, "Test URL is NULL!");
    EXPECT_EQ(call.caption, ApplicationName());
    EXPECT_EQ(call.style & MB_TYPEMASK, MB_OK);
    EXPECT_EQ(call.style & MB_ICONMASK, MB_ICONEXCLAMATION);
    EXPECT_TRUE(starter_->requests.empty());
    expectIdle();
    EXPECT_EQ(status(), "");
}

TEST_F(MainDialog, TestHandsTheUrlOverAsTypedAndRuns) {
    TestDialog& dialog = open();
    CancelRequest = 5;
    startTest("   ");
    ASSERT_EQ(starter_->requests.size(), 1u);
    const TestRequest& request = starter_->requests[0];
    EXPECT_EQ(request.url, "   ");
    EXPECT_EQ(request.programDirectory, folder_.path().toStdString());
    EXPECT_EQ(request.window, dialog.messageWindow());
    EXPECT_NE(request.window, 0u);
    EXPECT_EQ(CancelRequest.load(), 0);
    EXPECT_EQ(answers_.count(), 0u);
    expectRunning();
    EXPECT_EQ(status(), "Connecting...");
    EXPECT_FALSE(shown("progress"));
}

TEST_F(MainDialog, UrlIsCarriedWholeHoweverLong) {
    open();
    const std::string longUrl = "http://127.0.0.1/" + std::string(1000, 'u') + ".bin";
    startTest(longUrl.c_str());
    ASSERT_EQ(starter_->requests.size(), 1u);
    EXPECT_EQ(starter_->requests[0].url, longUrl);
}

TEST_F(MainDialog, NoThreadForTheWorkerEndsTheTestAtOnce) {
    open(false);
    url()->setEditText("http://127.0.0.1/f.bin");
    QTest::mouseClick(control<QPushButton>("test"), Qt::LeftButton);
    ASSERT_EQ(starter_->requests.size(), 1u);
    expectIdle();
    EXPECT_EQ(status(), "Open URL Exception.");
}

TEST_F(MainDialog, DownloadStartedSizesTheBarInKilobytes) {
    open();
    const struct {
        std::uint64_t length;
        int maximum;
    } table[] = {
        {0, 1},
        {1023, 1},
        {1024, 2},
        {1048576, 1025},
        {0xFFFFFFFFull, 4194304},
        {0x100000000ull, 4194305},
    };
    auto* progress = control<QProgressBar>("progress");
    for (const auto& row : table) {
        startTest();
        EXPECT_FALSE(progress->isVisible());
        notify(WM_DOWNLOAD_STARTED, row.length);
        EXPECT_EQ(status(), "Downloading...");
        EXPECT_TRUE(progress->isVisible());
        EXPECT_EQ(progress->minimum(), 0);
        EXPECT_EQ(progress->maximum(), row.maximum) << row.length;
        notify(WM_DOWNLOAD_FINISHED, 0);
    }
}

TEST_F(MainDialog, ProgressShowsTheBlocksRead) {
    open();
    startTest();
    notify(WM_DOWNLOAD_STARTED, 1048576);
    auto* progress = control<QProgressBar>("progress");
    notify(WM_DOWNLOAD_PROGRESS, 1);
    EXPECT_EQ(progress->value(), 1);
    notify(WM_DOWNLOAD_PROGRESS, 700);
    EXPECT_EQ(progress->value(), 700);
    notify(WM_DOWNLOAD_FINISHED, 0);
    // The bar keeps its place and position after the test.
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->value(), 700);
}

TEST_F(MainDialog, EveryOutcomeShowsItsTextAndReturnsToIdle) {
    std::vector<unsigned> outcomes{3, 50, 99, 109, 0xFFFFFFFFu};
    for (const OutcomeRow& row : OutcomeTable()) {
        if (row.outcome != OutcomeExitRequested) {
            outcomes.push_back(row.outcome);
        }
    }
    TestDialog& dialog = open();
    for (const unsigned outcome : outcomes) {
        startTest();
        notify(WM_DOWNLOAD_FINISHED, outcome);
        EXPECT_EQ(status(), OutcomeText(outcome)) << outcome;
        expectIdle();
        EXPECT_TRUE(dialog.isVisible()) << outcome;
    }
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(MainDialog, ExitRequestedOutcomeEndsTheDialogWithTwo) {
    TestDialog& dialog = open();
    startTest();
    notify(WM_DOWNLOAD_STARTED, 4096);
    notify(WM_DOWNLOAD_FINISHED, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(status(), "");
    expectIdle();
}

TEST_F(MainDialog, CloseEndsWithOneAndAsksNothing) {
    TestDialog& dialog = open();
    QTimer::singleShot(
        0, [this] { QTest::mouseClick(control<QPushButton>("close"), Qt::LeftButton); });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(MainDialog, LeavingWhileIdleAsksAndEndsWithTwoOnYes) {
    TestDialog& dialog = open();
    answers_.answerNext(IDNO);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_EQ(answers_.count(), 1u);
    const MessageBoxCall call = answers_.calls()[0];
    EXPECT_EQ(call.text, "Are you sure to exit?");
    EXPECT_EQ(call.style & MB_TYPEMASK, MB_YESNO);
    EXPECT_EQ(call.style & MB_ICONMASK, MB_ICONSTOP);
    EXPECT_TRUE(dialog.isVisible());

    answers_.answerNext(IDYES);
    QTimer::singleShot(0, [&dialog] { dialog.close(); });  // the close box
    EXPECT_EQ(dialog.exec(), 2);
    ASSERT_EQ(answers_.count(), 2u);
    EXPECT_EQ(answers_.calls()[1].text, "Are you sure to exit?");
}

TEST_F(MainDialog, LeavingDuringATestWaitsForTheWorkerToStop) {
    TestDialog& dialog = open();
    startTest();
    answers_.answerNext(IDYES);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_EQ(answers_.count(), 1u);
    EXPECT_EQ(answers_.calls()[0].text, "Are you sure to stop current downloading and exit?");
    EXPECT_EQ(answers_.calls()[0].style & MB_ICONMASK, MB_ICONSTOP);
    EXPECT_EQ(CancelRequest.load(), 1);
    EXPECT_TRUE(dialog.isVisible());
    expectRunning();

    notify(WM_DOWNLOAD_PROGRESS, 3);
    EXPECT_TRUE(dialog.isVisible());
    notify(WM_DOWNLOAD_FINISHED, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
}

TEST_F(MainDialog, LeavingDuringATestAnsweredNoChangesNothing) {
    TestDialog& dialog = open();
    startTest();
    answers_.answerNext(IDNO);
    dialog.close();
    EXPECT_EQ(answers_.count(), 1u);
    EXPECT_EQ(CancelRequest.load(), 0);
    expectRunning();
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(MainDialog, TestEndingWhileTheLeaveQuestionIsOpenLetsYesEndAtOnce) {
    TestDialog& dialog = open();
    startTest();
    std::string asked;
    // The box's own loop dispatches the worker's last notification before the answer.
    SetMessageBoxAnswerer([&](const MessageBoxCall& call) {
        asked = call.text;
        post(WM_DOWNLOAD_FINISHED, 0);
        EXPECT_TRUE(WaitUntil([&] { return dialog.idle(); }));
        return IDYES;
    });
    QTest::keyClick(&dialog, Qt::Key_Escape);
    SetMessageBoxAnswerer({});
    EXPECT_EQ(asked, "Are you sure to stop current downloading and exit?");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(CancelRequest.load(), 0);
}

TEST_F(MainDialog, CancelAsksAndLetsTheWorkerEndTheTest) {
    open();
    startTest();
    answers_.answerNext(IDNO);
    QTest::mouseClick(control<QPushButton>("cancel"), Qt::LeftButton);
    ASSERT_EQ(answers_.count(), 1u);
    EXPECT_EQ(answers_.calls()[0].text, "Are you sure to cancel current downloading?");
    EXPECT_EQ(answers_.calls()[0].style & MB_TYPEMASK, MB_YESNO);
    EXPECT_EQ(answers_.calls()[0].style & MB_ICONMASK, MB_ICONSTOP);
    EXPECT_EQ(CancelRequest.load(), 0);

    answers_.answerNext(IDYES);
    QTest::mouseClick(control<QPushButton>("cancel"), Qt::LeftButton);
    EXPECT_EQ(CancelRequest.load(), 2);
    expectRunning();
    notify(WM_DOWNLOAD_FINISHED, 2);
    expectIdle();
    EXPECT_EQ(status(), "Downloading is broken by user.");
}

TEST_F(MainDialog, ViewReportOpensTheReportWhileIdleAndDuringATest) {
    open();
    writeFile("BandWidth_TestRpt.txt", "report\r\n");
    const std::string expected =
        QUrl::fromLocalFile(folder_.filePath("BandWidth_TestRpt.txt")).toString().toStdString();
    QTest::mouseClick(control<QPushButton>("viewReport"), Qt::LeftButton);
    startTest();
    QTest::mouseClick(control<QPushButton>("viewReport"), Qt::LeftButton);
    EXPECT_EQ(shell_.opened(), (std::vector<std::string>{expected, expected}));
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(MainDialog, ViewReportWithoutAReportShowsNothing) {
    TestDialog& dialog = open();
    QTest::mouseClick(control<QPushButton>("viewReport"), Qt::LeftButton);
    EXPECT_EQ(answers_.count(), 0u);
    EXPECT_TRUE(dialog.isVisible());
    expectIdle();
}

TEST_F(MainDialog, WindowMenuEndsWithTheAboutItemAfterASeparator) {
    TestDialog& dialog = open();
    const QList<QAction*> actions = dialog.windowMenu()->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.back()->text(), "&About Corvanite...");
    EXPECT_EQ(actions.back()->data().toUInt(), 16u);
    EXPECT_TRUE(actions.back()->isEnabled());
    for (QAction* action : actions) {
        const UINT command = action->data().toUInt();
        if (command == 0xF000 || command == 0xF030) {
            EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
        }
    }
}

TEST_F(MainDialog, RightButtonMenuOpensAbout) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    bool menuShown = false;
    bool aboutShown = false;
    WhenShown<QMenu>([&](QMenu* menu) {
        menuShown = menu == dialog.windowMenu();
        WhenShown<AboutDialog>([&](AboutDialog* about) {
            aboutShown = true;
            about->accept();
        });
        QAction* about = menu->actions().back();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(about).center());
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            dialog.mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(&dialog, &event);
    EXPECT_TRUE(menuShown);
    EXPECT_TRUE(WaitUntil([&] { return aboutShown; }));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(MainDialog, DoubleClickOnTheSurfaceOrALabelOpensAbout) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const struct {
        const char* where;
        QPoint point;
    } places[] = {
        {"background", QPoint(5, 5)},
        {"URL label", control("urlLabel")->geometry().center()},
        {"status line", control("status")->geometry().center()},
    };
    for (const auto& place : places) {
        int shown = 0;
        WhenShown<AboutDialog>([&](AboutDialog* about) {
            ++shown;
            EXPECT_EQ(about->parentWidget(), &dialog);
            QTest::keyClick(about, Qt::Key_Escape);
        });
        QTest::mouseDClick(dialog.windowHandle(), Qt::LeftButton, {}, place.point);
        EXPECT_TRUE(WaitUntil([&] { return shown == 1; })) << place.where;
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(MainDialog, NotificationsGoOnWhileAboutIsOpen) {
    TestDialog& dialog = open();
    startTest();
    WhenShown<AboutDialog>([&](AboutDialog* about) {
        post(WM_DOWNLOAD_STARTED, 10240);
        post(WM_DOWNLOAD_PROGRESS, 10);
        post(WM_DOWNLOAD_FINISHED, 0);
        EXPECT_TRUE(WaitUntil([&] { return dialog.idle(); }));
        about->accept();
    });
    dialog.systemCommand(16);
    EXPECT_EQ(status(), "Downloading finished.");
    EXPECT_EQ(control<QProgressBar>("progress")->value(), 10);
    expectIdle();
}

}  // namespace
