// The Results window over a history of its own: what it shows of the tests, the URL filter,
// Refresh, Export CSV through a chooser that stands in for the file dialog, and a history that
// cannot be read.
#include "ui/results_window.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QValueAxis>

#include "frontend/history_csv.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "platform/desktop/desktop_window.h"
#include "tests/support/history_samples.h"
#include "tests/support/test_files.h"
#include "tests/ui/dialog_test_support.h"
#include "ui/history_table_model.h"

namespace {

constexpr const char* A = "http://a.test/100MB.bin";
constexpr const char* B = "ftp://b.test/pub/doc.pdf";

class Results : public ::testing::Test {
protected:
    Results() { TestApplication(); }

    std::string path(const char* name) const {
        return folder_.filePath(QString::fromLatin1(name)).toStdString();
    }
    std::string history() const { return path(HistoryFileName); }

    // Adds a test to the history as the worker does.
    void record(const char* start, const char* url, unsigned outcome, std::optional<double> rate) {
        HistoryRow row = SampleRow(start, url, outcome, 1000000,
                                   rate ? std::optional<double>(8 / *rate) : std::nullopt, rate);
        row.program = "corvanite-cli";
        ASSERT_TRUE(RecordInHistory(history(), row, {path("no report"), std::nullopt}).recorded);
    }

    // Two URLs, B tested last; one failed test of A.
    void recordSample() {
        record("2026-12-08T10:00:00.000Z", A, 0, 90.0);
        record("2026-12-08T11:00:00.000Z", A, 100, std::nullopt);
        record("2026-12-08T12:00:00.000Z", A, 0, 94.0);
        record("2026-12-08T13:00:00.000Z", B, 0, 12.5);
        record("2026-12-08T14:00:00.000Z", B, 0, 11.0);
    }

    ResultsWindow& open() {
        window_ = std::make_unique<ResultsWindow>(history(), folder_.path().toStdString());
        window_->open();
        EXPECT_TRUE(WaitUntil([this] { return !window_->reading(); }));
        return *window_;
    }

    template <typename Widget = QWidget>
    Widget* child(const char* name) const {
        auto* widget = window_->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    std::vector<std::string> filterItems() const {
        std::vector<std::string> items;
        auto* filter = child<QComboBox>("urlFilter");
        for (int i = 0; i < filter->count(); ++i) {
            items.push_back(filter->itemText(i).toStdString());
        }
        return items;
    }

    std::vector<std::string> startsInView() const {
        std::vector<std::string> starts;
        for (const HistoryRow& row : window_->tableModel().rowsInView()) {
            starts.push_back(row.startUtc);
        }
        return starts;
    }

    // The colour of url's line in the chart; invalid when it has none.
    QColor colourOf(const char* url) const {
        for (QAbstractSeries* series : child<QChartView>("chart")->chart()->series()) {
            if (series->name() == QLatin1String(url)) {
                return qobject_cast<QLineSeries*>(series)->color();
            }
        }
        return QColor();
    }

    // The rows of the history read on their own, newest first, as CSV.
    std::string csvOf(const std::optional<std::string>& url) {
        HistoryReader reader;
        EXPECT_TRUE(reader.open(history()));
        std::string csv = HistoryCsvHeader();
        for (const HistoryRow& row : reader.rows(HistoryOrder::NewestFirst, url)) {
            csv += HistoryCsvLine(row);
        }
        return csv;
    }

    QTemporaryDir folder_;
    MessageBoxAnswers answers_;
    std::unique_ptr<ResultsWindow> window_;
};

TEST_F(Results, ShowEveryTestNewestFirstWithALinePerUrl) {
    recordSample();
    ResultsWindow& window = open();
    EXPECT_EQ(window.windowTitle(), "Corvanite Results");
    EXPECT_TRUE(window.isWindow());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(startsInView(),
              (std::vector<std::string>{"2026-12-08T14:00:00.000Z", "2026-12-08T13:00:00.000Z",
                                        "2026-12-08T12:00:00.000Z", "2026-12-08T11:00:00.000Z",
                                        "2026-12-08T10:00:00.000Z"}));
    // The URL most recently tested first, in the filter and in the legend.
    EXPECT_EQ(filterItems(), (std::vector<std::string>{"All URLs", B, A}));
    EXPECT_EQ(window.chartedUrls(), (std::vector<std::string>{B, A}));
    EXPECT_FALSE(child("message")->isVisible());
    EXPECT_FALSE(child("note")->isVisible());
}

TEST_F(Results, TheFilterShowsOneUrlAndKeepsItOverARefresh) {
    recordSample();
    ResultsWindow& window = open();
    const QColor colourOfA = colourOf(A);
    ASSERT_TRUE(colourOfA.isValid());
    EXPECT_NE(colourOf(B), colourOfA);
    auto* filter = child<QComboBox>("urlFilter");
    filter->setCurrentIndex(2);
    EXPECT_EQ(startsInView(),
              (std::vector<std::string>{"2026-12-08T12:00:00.000Z", "2026-12-08T11:00:00.000Z",
                                        "2026-12-08T10:00:00.000Z"}));
    EXPECT_EQ(window.chartedUrls(), (std::vector<std::string>{A}));

    // A is tested again: it comes first in the list, and stays the one in view.
    record("2026-12-08T15:00:00.000Z", A, 0, 93.0);
    QTest::mouseClick(child<QPushButton>("refresh"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !window.reading(); }));
    EXPECT_EQ(filterItems(), (std::vector<std::string>{"All URLs", A, B}));
    EXPECT_EQ(filter->currentText().toStdString(), A);
    EXPECT_EQ(window.tableModel().rowCount(), 4);
    EXPECT_EQ(window.chartedUrls(), (std::vector<std::string>{A}));
    // A keeps its colour alone, and first in the list.
    EXPECT_EQ(colourOf(A), colourOfA);

    filter->setCurrentIndex(0);
    EXPECT_EQ(window.tableModel().rowCount(), 6);
    EXPECT_EQ(window.chartedUrls(), (std::vector<std::string>{A, B}));
}

TEST_F(Results, WithoutAHistoryTellWhereTestsComeFrom) {
    open();
    EXPECT_EQ(window_->tableModel().rowCount(), 0);
    EXPECT_EQ(filterItems(), (std::vector<std::string>{"All URLs"}));
    EXPECT_TRUE(child("message")->isVisible());
    EXPECT_NE(child<QLabel>("message")->text().indexOf("No test has been recorded yet"), -1);
}

TEST_F(Results, AHistoryThatCannotBeReadShowsWhyInPlaceOfTheChart) {
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* words;
    } cases[] = {
        {"damaged",
         [](const std::string& file) { testsupport::writeFile(file, std::string(4096, 'x')); },
         "is damaged"},
        {"a folder in its place", [](const std::string& file) { QDir().mkpath(file.c_str()); },
         "cannot be read"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        const std::string file =
            folder.filePath(QString::fromLatin1(HistoryFileName)).toStdString();
        c.make(file);
        ResultsWindow window(file, folder.path().toStdString());
        window.open();
        ASSERT_TRUE(WaitUntil([&] { return !window.reading(); })) << c.what;
        auto* message = window.findChild<QLabel*>("message");
        EXPECT_TRUE(message->isVisible()) << c.what;
        EXPECT_NE(message->text().indexOf(QString::fromStdString(file)), -1) << c.what;
        EXPECT_NE(message->text().indexOf(QString::fromLatin1(c.words)), -1)
            << c.what << ": " << message->text().toStdString();
        EXPECT_TRUE(window.chartedUrls().empty()) << c.what;
        EXPECT_EQ(window.tableModel().rowCount(), 0) << c.what;
        EXPECT_FALSE(window.findChild<QPushButton*>("exportCsv")->isEnabled()) << c.what;
        EXPECT_TRUE(window.findChild<QPushButton*>("refresh")->isEnabled()) << c.what;
    }
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(Results, ExportCsvWritesTheRowsInViewToTheChosenFile) {
    recordSample();
    ResultsWindow& window = open();
    std::vector<std::string> suggested;
    const std::string chosen = path("results.csv");
    window.setSaveFileChooser([&](QWidget* parent, const std::string& suggestion) {
        EXPECT_EQ(parent, &window);
        suggested.push_back(suggestion);
        return chosen;
    });

    QTest::mouseClick(child<QPushButton>("exportCsv"), Qt::LeftButton);
    EXPECT_EQ(suggested, (std::vector<std::string>{path("BandWidth_History.csv")}));
    EXPECT_EQ(testsupport::readFile(chosen), csvOf(std::nullopt));
    EXPECT_EQ(child<QLabel>("exported")->text().toStdString(), "5 tests exported to " + chosen);

    child<QComboBox>("urlFilter")->setCurrentIndex(1);
    QTest::mouseClick(child<QPushButton>("exportCsv"), Qt::LeftButton);
    EXPECT_EQ(testsupport::readFile(chosen), csvOf(std::string(B)));
    EXPECT_EQ(child<QLabel>("exported")->text().toStdString(), "2 tests exported to " + chosen);
    EXPECT_EQ(answers_.count(), 0u);

    // Rows read again are not the rows exported: the line goes.
    record("2026-12-08T15:00:00.000Z", B, 0, 12.0);
    window.refresh();
    ASSERT_TRUE(WaitUntil([&] { return !window.reading(); }));
    EXPECT_EQ(child<QLabel>("exported")->text(), QString());
}

TEST_F(Results, ExportCsvThatCannotBeWrittenSaysWhyAndNothingWhenNoFileIsChosen) {
    recordSample();
    ResultsWindow& window = open();
    const std::string unwritable = path("no such folder") + "/results.csv";
    window.setSaveFileChooser([&](QWidget*, const std::string&) { return unwritable; });
    QTest::mouseClick(child<QPushButton>("exportCsv"), Qt::LeftButton);
    ASSERT_EQ(answers_.count(), 1u);
    const MessageBoxCall call = answers_.calls().front();
    EXPECT_EQ(call.owner, AsDesktopWindow(&window));
    EXPECT_NE(call.text.find("could not be exported"), std::string::npos) << call.text;
    EXPECT_NE(call.text.find(unwritable), std::string::npos) << call.text;
    EXPECT_EQ(child<QLabel>("exported")->text(), QString());

    // Cancelled in the file dialog: no file, no box.
    window.setSaveFileChooser([](QWidget*, const std::string&) { return std::string(); });
    QTest::mouseClick(child<QPushButton>("exportCsv"), Qt::LeftButton);
    EXPECT_EQ(answers_.count(), 1u);
    EXPECT_TRUE(QDir(folder_.path())
                    .entryList(QStringList{QStringLiteral("*.csv")}, QDir::Files)
                    .isEmpty());
}

TEST_F(Results, ARefreshAskedForWhileReadingFollowsIt) {
    recordSample();
    window_ = std::make_unique<ResultsWindow>(history(), folder_.path().toStdString());
    window_->open();
    // Before the first read has been shown: a test ends and asks for another.
    record("2026-12-08T15:00:00.000Z", A, 0, 93.0);
    window_->refresh();
    ASSERT_TRUE(WaitUntil([&] { return window_->tableModel().rowCount() == 6; }));
    EXPECT_TRUE(WaitUntil([&] { return !window_->reading(); }));
    EXPECT_EQ(window_->tableModel().rowCount(), 6);
}

TEST_F(Results, F5ReadsAgainAndEscapeCloses) {
    record("2026-12-08T10:00:00.000Z", A, 0, 90.0);
    ResultsWindow& window = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    record("2026-12-08T11:00:00.000Z", A, 0, 91.0);
    QTest::keyClick(&window, Qt::Key_F5);
    EXPECT_TRUE(WaitUntil([&] { return window.tableModel().rowCount() == 2; }));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Results, AWindowClosedWhileReadingIsGoneCleanly) {
    recordSample();
    for (int i = 0; i < 3; ++i) {
        auto window = std::make_unique<ResultsWindow>(history(), folder_.path().toStdString());
        window->open();
        window.reset();
        // What the read would have posted to it is gone with it.
        QApplication::processEvents();
    }
}

}  // namespace

// The window on the screen in use, whole, its Export button too; made as small as it goes, its
// time labels still fit side by side and the rate axis keeps a few lines.
TEST_F(Results, EveryTextShowsWholeInsideTheScreenAtTheSmallestSize) {
    recordSample();
    ResultsWindow& window = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry()))
        << screen.width() << "x" << screen.height();
    auto* exportCsv = child("exportCsv");
    EXPECT_TRUE(screen.contains(QRect(exportCsv->mapToGlobal(QPoint()), exportCsv->size())));

    window.resize(window.minimumSizeHint());
    EXPECT_LE(window.width(), screen.width());
    EXPECT_LE(window.height(), screen.height());
    QChart* chart = child<QChartView>("chart")->chart();
    ASSERT_TRUE(WaitUntil([&] { return chart->plotArea().width() < window.width() * 0.8; }));
    auto* time = qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).value(0));
    ASSERT_NE(time, nullptr);
    const QFontMetrics metrics(time->labelsFont());
    const QString label = QDateTime(QDate(2026, 12, 28), QTime(18, 58)).toString(time->format());
    EXPECT_LE((time->tickCount() - 1) * metrics.horizontalAdvance(label),
              chart->plotArea().width());
    auto* rate = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
    ASSERT_NE(rate, nullptr);
    EXPECT_GE(rate->tickCount(), 2);
    EXPECT_LE((rate->tickCount() - 1) * metrics.height(), chart->plotArea().height());
}
