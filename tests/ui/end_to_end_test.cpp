// The program's main dialog with the real worker, against nginx on loopback.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "bandwidth/running_workers.h"
#include "frontend/result_line.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "platform/desktop/desktop_window.h"
#include "services/app_services.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/ui/dialog_test_support.h"
#include "ui/main_dialog.h"

namespace {

using testsupport::NginxServer;
using testsupport::TempDir;

TEST(EndToEnd, TypedUrlIsDownloadedTimedAndReported) {
    TestApplication();
    MessageBoxAnswers answers;
    TempDir served;
    TempDir program;
    constexpr std::uint64_t size = 300000;
    testsupport::writePatternFile(served.file("sample.bin"), size);
    NginxServer nginx(served.path());
    const std::string url = nginx.url("/sample.bin");

    TestDialog dialog(TestDialog::Options{program.path(), {}});
    SetMainWindow(AsDesktopWindow(&dialog));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* box = dialog.findChild<QComboBox*>("url");
    auto* status = dialog.findChild<QLabel*>("status");
    auto* progress = dialog.findChild<QProgressBar*>("progress");

    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(box->lineEdit(), QString::fromStdString(url));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(dialog.idle());

    ASSERT_TRUE(WaitUntil([&] { return dialog.idle(); }, 60000)) << status->text().toStdString();
    EXPECT_EQ(status->text(), "Downloading finished.");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->maximum(), static_cast<int>(size / 1024 + 1));
    // The bar ends at the count of blocks read, even when the window was slow to take an
    // earlier progress notification (this test's wait looks at the queue every 10 ms).
    EXPECT_EQ(progress->value(), static_cast<int>((size + 1023) / 1024))
        << "the last progress notification was held back";
    EXPECT_EQ(answers.count(), 0u);

    // The worker closes its files after its last notification.
    ASSERT_TRUE(WaitForTestWorkers(std::chrono::seconds(30)));
    const std::string received = testsupport::readFile(program.file("sample.bin"));
    ASSERT_EQ(received.size(), size);
    EXPECT_TRUE(testsupport::matchesPattern(received.data(), received.size()));

    const std::string report = testsupport::readFile(program.file("BandWidth_TestRpt.txt"));
    EXPECT_NE(report.find("Test URL:       " + url + "\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Bytes Received: 300000.\r\n"), std::string::npos) << report;
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = report.find("\r\n", at)) != std::string::npos; at += 2) {
        ++lines;
    }
    EXPECT_EQ(lines, 12u) << report;

    // The line under the bar and the history show the same figures of the test.
    HistoryReader reader;
    ASSERT_TRUE(reader.open(program.file(HistoryFileName)));
    const std::vector<HistoryRow> rows = reader.rows(HistoryOrder::NewestFirst);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].program, ApplicationName());
    EXPECT_EQ(dialog.findChild<QLabel*>("result")->text().toStdString(),
              FormatResultLine(FiguresOf(rows[0])));
    EXPECT_NE(dialog.findChild<QLabel*>("result")->text().indexOf(" Mbit/s ("), -1);
    SetMainWindow(nullptr);
}

TEST(EndToEnd, AFolderThatCannotTakeTheFilesIsToldAndTheTestEndsWithItsOutcome) {
    TestApplication();
    MessageBoxAnswers answers;
    TempDir served;
    testsupport::writePatternFile(served.file("sample.bin"), 5000);
    NginxServer nginx(served.path());
    TempDir home;
    // The data folder's place is taken by a file.
    testsupport::writeFile(home.file("corvanite"), "mine\n");
    const std::string folder = home.file("corvanite");

    TestDialog dialog(TestDialog::Options{folder, {}});
    SetMainWindow(AsDesktopWindow(&dialog));
    dialog.show();
    auto* box = dialog.findChild<QComboBox*>("url");
    auto* status = dialog.findChild<QLabel*>("status");
    box->setEditText(QString::fromStdString(nginx.url("/sample.bin")));
    QTest::mouseClick(dialog.findChild<QPushButton*>("test"), Qt::LeftButton);

    ASSERT_TRUE(WaitUntil([&] { return dialog.idle(); }, 60000)) << status->text().toStdString();
    EXPECT_EQ(status->text(), "Opening Destination Fails.");
    ASSERT_EQ(answers.count(), 1u);
    const MessageBoxCall call = answers.calls()[0];
    EXPECT_EQ(call.text, "Cannot keep the report and the downloads in the folder \"" + folder +
                             "\": Not a directory. Make it a folder you can write, or set "
                             "XDG_DATA_HOME to another place.");
    EXPECT_EQ(call.style & MB_ICONMASK, MB_ICONEXCLAMATION);
    ASSERT_TRUE(WaitForTestWorkers(std::chrono::seconds(30)));
    EXPECT_EQ(testsupport::readFile(folder), "mine\n");
    SetMainWindow(nullptr);
}

}  // namespace
