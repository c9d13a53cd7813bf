// The main dialog as a desktop user meets it: every text read whole at the desktop's font
// size, the URL taken as typed, the focus back in the URL box for the next test, a window of
// its own for the window manager.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWindow>

#include "frontend/result_line.h"
#include "frontend/string_table.h"
#include "platform/desktop/desktop_window.h"
#include "tests/common/stand_in_opener.h"
#include "tests/support/ending_samples.h"
#include "tests/ui/main_dialog_fixture.h"

namespace {

using MainDialogOnTheDesktop = MainDialog;

// The desktop's font at another size for the life of the object, as a user's setting gives it.
class DesktopFontSize {
public:
    explicit DesktopFontSize(int pointSize) : saved_(QApplication::font()) {
        QFont font = saved_;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
    }
    ~DesktopFontSize() { QApplication::setFont(saved_); }
    DesktopFontSize(const DesktopFontSize&) = delete;
    DesktopFontSize& operator=(const DesktopFontSize&) = delete;

private:
    QFont saved_;
};

// The size the desktop gives (0), then sizes users choose.
constexpr int PointSizes[] = {0, 7, 8, 9, 10, 11, 12, 14, 16, 20};

// Every text of the string table, and the empty one.
std::vector<QString> EveryText() {
    std::vector<QString> texts{QString()};
    for (UINT id = 101; id <= 118; ++id) {
        texts.push_back(QString::fromLocal8Bit(LoadString(id)));
    }
    return texts;
}

// The longest lines the line under the progress bar may show: the figures at their widest.
std::vector<QString> LongestResultLines() {
    std::vector<QString> lines;
    for (const std::string& line : {
             FormatResultLine(ResultFigures{999990000000, 86399.99, 99.99, 9999.9}),
             FormatResultLine(ResultFigures{999990000000, 888888.88, 888.88, 8888.8}),
             FormatLiveLine(LiveFigures{999990000000, 999990000000, 1249987500.0}),
             FormatLiveLine(LiveFigures{888880000000, 999990000000, 888880.0}),
             FormatLiveLine(LiveFigures{1000, 999990000000, 2777777.8}),
         }) {
        lines.push_back(QString::fromLocal8Bit(line));
    }
    return lines;
}

// Each text, wrapped in the label's box, fits it, and the label asks no more height for it.
void ExpectShowWhole(QLabel* label, const std::vector<QString>& texts, int pointSize) {
    const QRect box = label->contentsRect();
    for (const QString& text : texts) {
        const std::string where = std::to_string(pointSize) + " pt: " + text.toStdString();
        const QRect needed = label->fontMetrics().boundingRect(
            box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        EXPECT_LE(needed.width(), box.width()) << where;
        EXPECT_LE(needed.height(), box.height()) << where;
        label->setText(text);
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << where;
    }
}

TEST_F(MainDialogOnTheDesktop, EveryTextShowsWholeAtTheDesktopsFontSize) {
    for (const int pointSize : PointSizes) {
        std::optional<DesktopFontSize> size;
        if (pointSize != 0) {
            size.emplace(pointSize);
        }
        open();
        auto* status = control<QLabel>("status");
        ExpectShowWhole(status, EveryText(), pointSize);
        EXPECT_LT(status->geometry().bottom(), control("progress")->geometry().top())
            << pointSize << " pt";
        // The buttons' captions, with the style's margins either side.
        for (auto* button : dialog_->findChildren<QPushButton*>()) {
            QStyleOptionButton option;
            option.initFrom(button);
            const int margins =
                2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
            const int text =
                button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
            EXPECT_LE(text + margins, button->width())
                << pointSize << " pt: " << button->text().toStdString();
        }

        auto* line = control<QLabel>("result");
        ExpectShowWhole(line, LongestResultLines(), pointSize);
        // The usual line takes one line of the box.
        EXPECT_LE(line->fontMetrics().horizontalAdvance(QString::fromLatin1(FinishedSampleLine)),
                  line->contentsRect().width())
            << pointSize << " pt";
        EXPECT_GT(line->geometry().top(), control("progress")->geometry().bottom())
            << pointSize << " pt";
        EXPECT_LT(line->geometry().bottom(), control("viewReport")->geometry().top())
            << pointSize << " pt";
    }
}

TEST_F(MainDialogOnTheDesktop, FitsTheScreenAtTheDesktopsFontSize) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRect screen = dialog.screen()->availableGeometry();
    EXPECT_LE(dialog.frameGeometry().width(), screen.width());
    EXPECT_LE(dialog.frameGeometry().height(), screen.height());
}

TEST_F(MainDialogOnTheDesktop, TheUrlArrivesAsTypedAfterTabAClickOrEnter) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const QString entry = url()->itemText(1);
    auto* test = control<QPushButton>("test");
    QLineEdit* field = url()->lineEdit();
    const struct {
        const char* how;
        QString typed;
        std::function<void()> start;
    } cases[] = {
        // Another case of a list entry, then Tab to the next control and a click on Test.
        {"Tab and a click", entry.toUpper(),
         [&] {
             QTest::keyClick(field, Qt::Key_Tab);
             EXPECT_EQ(field->text(), entry.toUpper());
             QTest::mouseClick(test, Qt::LeftButton);
         }},
        {"Enter after another case", entry.toUpper(),
         [&] { QTest::keyClick(field, Qt::Key_Return); }},
        // The start of an entry: the first Enter starts the test with what is there.
        {"Enter after the start of an entry", entry.left(12),
         [&] { QTest::keyClick(field, Qt::Key_Return); }},
    };
    std::size_t started = 0;
    for (const auto& c : cases) {
        url()->setFocus();
        field->selectAll();
        QTest::keyClicks(field, c.typed);
        c.start();
        ASSERT_EQ(starter_->requests.size(), ++started) << c.how;
        EXPECT_EQ(QString::fromStdString(starter_->requests.back().url), c.typed) << c.how;
        notify(WM_DOWNLOAD_FINISHED, OutcomeCancelled);
    }
    EXPECT_EQ(url()->count(), 5);
}

TEST_F(MainDialogOnTheDesktop, AfterATestTheFocusIsBackInTheUrlBox) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // A report to open, should Enter reach View Report.
    writeFile("BandWidth_TestRpt.txt", "report\r\n");
    const auto urlHasFocus = [this] {
        for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
            if (w == url()) {
                return true;
            }
        }
        return false;
    };
    const struct {
        const char* how;
        std::function<void()> start;
    } starts[] = {
        {"Enter", [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }},
        {"a click on Test",
         [this] { QTest::mouseClick(control<QPushButton>("test"), Qt::LeftButton); }},
    };
    url()->setFocus();
    std::size_t started = 0;
    for (const auto& s : starts) {
        s.start();
        ASSERT_EQ(starter_->requests.size(), ++started) << s.how;
        notify(WM_DOWNLOAD_FINISHED, OutcomeNoFileName);
        EXPECT_TRUE(urlHasFocus()) << s.how;
        // Enter now runs the next test.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_EQ(starter_->requests.size(), ++started) << s.how;
        notify(WM_DOWNLOAD_FINISHED, OutcomeFinished);
        EXPECT_TRUE(urlHasFocus()) << s.how;
    }
    EXPECT_TRUE(shell_.opened().empty());
}

TEST_F(MainDialogOnTheDesktop, RunsModallyAsAWindowOfItsOwn) {
    TestDialog& dialog = make();
    std::optional<Qt::WindowType> type;
    std::optional<Qt::WindowModality> modality;
    QWindow* transientParent = nullptr;
    QTimer::singleShot(0, &dialog, [&] {
        type = dialog.windowType();
        modality = dialog.windowHandle()->modality();
        transientParent = dialog.windowHandle()->transientParent();
        QTest::mouseClick(control<QPushButton>("close"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), 1);
    // A normal window, neither a dialog of another window nor modal to the window manager.
    EXPECT_EQ(type, Qt::Window);
    EXPECT_EQ(modality, Qt::NonModal);
    EXPECT_EQ(transientParent, nullptr);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(MainDialogOnTheDesktop, TheDroppedListShowsEveryBuiltInUrl) {
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_EQ(url()->count(), 5);
    url()->showPopup();
    QAbstractItemView* list = url()->view();
    ASSERT_TRUE(WaitUntil([&] { return list->isVisible(); }));
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
    for (int row = 0; row < url()->count(); ++row) {
        const QRect item = list->visualRect(list->model()->index(row, 0));
        EXPECT_GE(item.top(), 0) << row;
        EXPECT_LE(item.bottom(), list->viewport()->rect().bottom()) << row;
    }
    url()->hidePopup();
}

TEST_F(MainDialogOnTheDesktop, ALongUrlShowsItsStart) {
    writeFile("Corvanite.cfg", "http://first.example.net/" + std::string(300, 'a') +
                                   ".bin\nhttp://second.example.net/" + std::string(300, 'b') +
                                   ".bin\n");
    TestDialog& dialog = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QLineEdit* field = url()->lineEdit();
    EXPECT_EQ(field->cursorPosition(), 0);
    // The next entry, chosen with the arrow key.
    url()->setFocus();
    QTest::keyClick(url(), Qt::Key_Down);
    ASSERT_EQ(url()->currentIndex(), 1);
    EXPECT_EQ(field->cursorPosition(), 0);
}

TEST_F(MainDialogOnTheDesktop, AReportThatNoApplicationOpensIsNamed) {
    TestDialog& dialog = open();
    shell_.failLaunches();
    auto* viewReport = control<QPushButton>("viewReport");
    // No report yet: nothing to say.
    QTest::mouseClick(viewReport, Qt::LeftButton);
    EXPECT_EQ(answers_.count(), 0u);

    writeFile("BandWidth_TestRpt.txt", "report\r\n");
    QTest::mouseClick(viewReport, Qt::LeftButton);
    ASSERT_EQ(answers_.count(), 1u);
    const MessageBoxCall call = answers_.calls()[0];
    const std::string report = folder_.filePath("BandWidth_TestRpt.txt").toStdString();
    EXPECT_NE(call.text.find(report), std::string::npos) << call.text;
    EXPECT_EQ(call.style & MB_TYPEMASK, MB_OK);
    EXPECT_EQ(call.caption, ApplicationName());
    EXPECT_EQ(call.owner, AsDesktopWindow(&dialog));
}

TEST_F(MainDialogOnTheDesktop, AReportIsNamedOnceTheOpenerSaysNothingCouldOpenIt) {
    open();
    StandInOpener opener(0);
    writeFile("BandWidth_TestRpt.txt", "report\r\n");
    const std::string report = folder_.filePath("BandWidth_TestRpt.txt").toStdString();
    auto* viewReport = control<QPushButton>("viewReport");
    // A viewer was found: nothing to say.
    QTest::mouseClick(viewReport, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return opener.opened().size() == 1; }));
    // None is configured: xdg-open says so with its exit status alone.
    opener.exitWith(4);
    QTest::mouseClick(viewReport, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return answers_.count() > 0; }));
    EXPECT_EQ(answers_.count(), 1u);
    EXPECT_NE(answers_.calls()[0].text.find(report), std::string::npos) << answers_.calls()[0].text;
    EXPECT_EQ(opener.opened()[1], "file://" + report);
}

}  // namespace
