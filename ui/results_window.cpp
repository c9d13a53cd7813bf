#include "ui/results_window.h"

#include <algorithm>
#include <limits>

#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QToolTip>
#include <QValueAxis>

#include "frontend/history_csv.h"
#include "frontend/result_line.h"
#include "platform/desktop/desktop_window.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "ui/app_icon.h"
#include "ui/dialog_units.h"
#include "ui/history_rows.h"
#include "ui/history_snapshot.h"
#include "ui/history_table_model.h"
#include "ui/start_time.h"
#include "ui/window_placement.h"

namespace {

// A bucket for every two or three pixels across a wide chart; each line keeps at most twice
// as many points, which is all a line of that width can show.
constexpr int ChartBuckets = 300;
// A line of more points than this is drawn without its point markers, which would only blot it.
constexpr qsizetype MarkerLimit = 200;
constexpr const char* CsvFileName = "BandWidth_History.csv";
// The axes never have more ticks than these, nor labels closer than half a label apart.
constexpr int MostTimeTicks = 6;
constexpr int MostRateTicks = 5;

QString Text(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

std::string DefaultSaveFileChooser(QWidget* parent, const std::string& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export CSV"), Text(suggested),
                                        QStringLiteral("CSV files (*.csv);;All files (*)"))
        .toLocal8Bit()
        .toStdString();
}

// The time axis labels what tells its ticks apart.
QString TimeFormat(double spanMilliseconds) {
    constexpr double Hour = 3600.0 * 1000;
    constexpr double Day = 24 * Hour;
    if (spanMilliseconds <= Hour) {
        return QStringLiteral("HH:mm:ss");
    }
    if (spanMilliseconds <= 2 * Day) {
        return QStringLiteral("MMM d HH:mm");
    }
    if (spanMilliseconds <= 300 * Day) {
        return QStringLiteral("MMM d");
    }
    return QStringLiteral("yyyy-MM-dd");
}

// As many ticks as labels of the format fit across the plot, from two to MostTimeTicks.
int TimeTickCount(const QDateTimeAxis& axis, qreal plotWidth) {
    const QFontMetrics metrics(axis.labelsFont());
    const QString widest =
        QDateTime(QDate(2088, 12, 28), QTime(18, 58, 58)).toString(axis.format());
    const qreal perLabel = metrics.horizontalAdvance(widest) * 1.5;
    const int fitting = perLabel > 0 ? static_cast<int>(plotWidth / perLabel) + 1 : MostTimeTicks;
    return std::clamp(fitting, 2, MostTimeTicks);
}

// As many ticks as lines of labels fit up the plot, from two to MostRateTicks.
int RateTickCount(const QValueAxis& axis, qreal plotHeight) {
    const qreal perLabel = QFontMetrics(axis.labelsFont()).height() * 1.5;
    const int fitting = perLabel > 0 ? static_cast<int>(plotHeight / perLabel) + 1 : MostRateTicks;
    return std::clamp(fitting, 2, MostRateTicks);
}

// The rate axis from 0 to a round number above top, its labels as plain as its ticks allow.
void SetRateScale(QValueAxis& axis, double top, int ticks) {
    axis.setTickCount(ticks);
    axis.setRange(0, top > 0 ? top * 1.1 : 1);
    axis.applyNiceNumbers();
    axis.setLabelFormat(RateLabelFormat(axis.max(), axis.tickCount()));
}

}  // namespace

ResultsWindow::ResultsWindow(std::string historyPath, std::string exportFolder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      historyPath_(std::move(historyPath)),
      exportFolder_(std::move(exportFolder)),
      chooser_(DefaultSaveFileChooser) {
    setWindowTitle(QStringLiteral("Corvanite Results"));
    setWindowIcon(ApplicationIcon());
    setFont(DialogUnits::dialogFont());

    auto* filterLabel = new QLabel(QStringLiteral("&URL:"), this);
    urlFilter_ = new QComboBox(this);
    urlFilter_->setObjectName(QStringLiteral("urlFilter"));
    urlFilter_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Wide enough for a host and a file name; longer URLs are there in full when the window
    // is wider, and a small screen still takes the window.
    urlFilter_->setMinimumContentsLength(24);
    urlFilter_->addItem(QStringLiteral("All URLs"));
    filterLabel->setBuddy(urlFilter_);
    refresh_ = new QPushButton(QStringLiteral("&Refresh"), this);
    refresh_->setObjectName(QStringLiteral("refresh"));

    chartView_ = new QChartView(new QChart);
    chartView_->setObjectName(QStringLiteral("chart"));
    chartView_->setRenderHint(QPainter::Antialiasing);
    // Dragging across the chart zooms into that span of time; the right button zooms out.
    chartView_->setRubberBand(QChartView::HorizontalRubberBand);
    // The smallest chart whose axes still read: a few times, a few rates, and the legend.
    chartView_->setMinimumSize(DialogUnits(font()).size(200, 100));
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignCenter);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message_->setMargin(DialogUnits(font()).x(12));
    chartArea_ = new QStackedWidget(this);
    chartArea_->addWidget(chartView_);
    chartArea_->addWidget(message_);
    // The chart shows from the start, so that the view is laid out and drawn while the history
    // is read, not after.
    chartView_->chart()->setTitle(QStringLiteral("Reading the history..."));
    chartArea_->setCurrentWidget(chartView_);

    tableModel_ = new HistoryTableModel(this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("table"));
    table_->setModel(tableModel_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideMiddle);
    // Rows of one height, never measured one by one: a long history opens as fast as a short.
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setStretchLastSection(true);
    setColumnWidths();

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(chartArea_);
    splitter->addWidget(table_);
    // Three fifths for the chart, from the start and as the window grows.
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({300, 200});
    splitter->setChildrenCollapsible(false);

    note_ = new QLabel(QStringLiteral("* imported from the report: whole seconds only"), this);
    note_->setObjectName(QStringLiteral("note"));
    note_->hide();
    exported_ = new QLabel(this);
    exported_->setObjectName(QStringLiteral("exported"));
    exported_->setTextFormat(Qt::PlainText);
    exported_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path is cut off at the window's edge rather than pushing the window past the
    // screen's; the whole line is in its tooltip.
    exported_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    export_ = new QPushButton(QStringLiteral("&Export CSV..."), this);
    export_->setObjectName(QStringLiteral("exportCsv"));

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(urlFilter_, 1);
    top->addWidget(refresh_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(note_);
    bottom->addWidget(exported_, 1);
    bottom->addWidget(export_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    connect(urlFilter_, &QComboBox::currentIndexChanged, this, &ResultsWindow::filterChanged);
    connect(refresh_, &QPushButton::clicked, this, &ResultsWindow::refresh);
    connect(export_, &QPushButton::clicked, this, &ResultsWindow::exportCsv);
    new QShortcut(QKeySequence::Refresh, this, this, &ResultsWindow::refresh);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);

    preferredSize_ = DialogUnits(font()).size(520, 380);
    resize(preferredSize_);
}

ResultsWindow::~ResultsWindow() {
    // The read posts to this window as its last act; it is waited for, not left to post to a
    // window that is gone.
    if (reader_.joinable()) {
        reader_.join();
    }
}

void ResultsWindow::setSaveFileChooser(SaveFileChooser chooser) {
    chooser_ = chooser ? std::move(chooser) : SaveFileChooser(DefaultSaveFileChooser);
}

void ResultsWindow::open() {
    if (!isVisible()) {
        if (!placed_) {
            placeOnScreen();
        }
        refresh();
        show();
    }
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void ResultsWindow::placeOnScreen() {
    placed_ = true;
    // The screen the user is working on, where the test dialog just took the click or key.
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth) * 4;
    const QSize frame(2 * border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border);
    const QRect place =
        PlaceInside(preferredSize_, minimumSizeHint(), screen->availableGeometry(), frame);
    resize(place.size());
    move(place.topLeft());
}

void ResultsWindow::refresh() {
    if (reading_) {
        readAgain_ = true;
        return;
    }
    startReading();
}

void ResultsWindow::startReading() {
    reading_ = true;
    refresh_->setEnabled(false);
    if (reader_.joinable()) {
        reader_.join();
    }
    reader_ = std::thread([this, path = historyPath_] {
        auto snapshot = std::make_shared<HistorySnapshot>(ReadHistorySnapshot(path, ChartBuckets));
        QMetaObject::invokeMethod(
            this, [this, snapshot] { showSnapshot(std::move(*snapshot)); }, Qt::QueuedConnection);
    });
}

void ResultsWindow::showSnapshot(HistorySnapshot snapshot) {
    reader_.join();
    // What was said of the rows before no longer holds for those read now.
    view_.viewChanged();
    showStatus();
    chartView_->chart()->setTitle(QString());
    if (!snapshot.readable) {
        rows_ = std::move(snapshot.rows);
        series_.clear();
        showProblem(Text(snapshot.problem));
    } else {
        // The URL in view stays in view while the history still has it.
        const std::optional<std::string> selected = tableModel_->urlFilter();
        const QSignalBlocker blocker(urlFilter_);
        urlFilter_->clear();
        urlFilter_->addItem(QStringLiteral("All URLs"));
        int index = 0;
        for (const std::string& url : snapshot.rows->urls()) {
            // The URL's own bytes ride along, so that filtering needs no round trip through
            // the shown text.
            urlFilter_->addItem(Text(url), QByteArray::fromStdString(url));
            if (selected && url == *selected) {
                index = urlFilter_->count() - 1;
            }
        }
        urlFilter_->setCurrentIndex(index);
        urlFilter_->setEnabled(true);
        export_->setEnabled(true);
        rows_ = std::move(snapshot.rows);
        series_ = std::move(snapshot.series);
        tableModel_->setUrlFilter(index == 0 ? std::nullopt : selected);
        tableModel_->setRows(rows_);
        note_->setVisible(tableModel_->wholeSecondsInView());
        drawChart();
    }
    reading_ = false;
    refresh_->setEnabled(true);
    if (readAgain_) {
        readAgain_ = false;
        startReading();
    }
}

void ResultsWindow::showProblem(const QString& text) {
    const QSignalBlocker blocker(urlFilter_);
    urlFilter_->clear();
    urlFilter_->addItem(QStringLiteral("All URLs"));
    urlFilter_->setEnabled(false);
    export_->setEnabled(false);
    tableModel_->setUrlFilter(std::nullopt);
    tableModel_->setRows(nullptr);
    note_->hide();
    message_->setText(text);
    chartArea_->setCurrentWidget(message_);
}

void ResultsWindow::filterChanged() {
    const int index = urlFilter_->currentIndex();
    std::optional<std::string> url;
    if (index > 0) {
        url = urlFilter_->itemData(index).toByteArray().toStdString();
    }
    tableModel_->setUrlFilter(std::move(url));
    note_->setVisible(tableModel_->wholeSecondsInView());
    view_.viewChanged();
    showStatus();
    drawChart();
}

void ResultsWindow::drawChart() {
    const std::optional<std::string>& filter = tableModel_->urlFilter();
    double first = std::numeric_limits<double>::max();
    double last = std::numeric_limits<double>::lowest();
    double highest = 0;
    std::vector<const RateSeries*> inView;
    for (const RateSeries& series : series_) {
        if (filter && series.url != *filter) {
            continue;
        }
        inView.push_back(&series);
        first = std::min(first, series.points.front().x());
        last = std::max(last, series.points.back().x());
        for (const QPointF& point : series.points) {
            highest = std::max(highest, point.y());
        }
    }
    if (inView.empty()) {
        message_->setText(
            rows_ && !rows_->empty()
                ? QStringLiteral("No finished test to chart: the tests in view have no rate.")
                : QStringLiteral("No test has been recorded yet. The tests that Corvanite and "
                                 "corvanite-cli run from this folder show here."));
        chartArea_->setCurrentWidget(message_);
        return;
    }
    // A new chart, filled before it is shown: lines added to a chart on screen lay out every
    // line again each time, which for many lines takes longer than all the rest.
    auto* chart = new QChart;
    // The window's own margins are enough: all the room inside goes to the plot and its labels.
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setShowToolTips(true);
    auto* time = new QDateTimeAxis;
    time->setTitleText(QStringLiteral("Start of the test"));
    auto* rate = new QValueAxis;
    rate->setTitleText(QStringLiteral("Download rate (Mbit/s)"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(rate, Qt::AlignLeft);
    // A single moment gets an hour either side; a span a little room at its ends.
    const double pad = last > first ? (last - first) * 0.02 : 3600.0 * 1000;
    time->setFormat(TimeFormat(last - first + 2 * pad));
    time->setTickCount(MostTimeTicks);
    // Fewer ticks as the plot shrinks, so that the labels never overlap.
    connect(chart, &QChart::plotAreaChanged, time, [time, rate, highest](const QRectF& plot) {
        if (const int ticks = TimeTickCount(*time, plot.width()); ticks != time->tickCount()) {
            time->setTickCount(ticks);
        }
        if (const int ticks = RateTickCount(*rate, plot.height()); ticks != rate->tickCount()) {
            SetRateScale(*rate, highest, ticks);
        }
    });
    time->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(first - pad)),
                   QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(last + pad)));
    SetRateScale(*rate, highest, MostRateTicks);
    for (const RateSeries* series : inView) {
        auto* line = new QLineSeries;
        const QString url = Text(series->url);
        line->setName(url);
        line->setColor(view_.colourOf(series->url));
        line->replace(series->points);
        line->setPointsVisible(series->points.size() <= MarkerLimit);
        chart->addSeries(line);
        line->attachAxis(time);
        line->attachAxis(rate);
        connect(line, &QLineSeries::hovered, this, [url](const QPointF& point, bool entered) {
            if (!entered) {
                QToolTip::hideText();
                return;
            }
            QToolTip::showText(QCursor::pos(),
                               LocalStartText(static_cast<std::int64_t>(point.x())) + "\n" +
                                   Text(FormatRateFigure(point.y())) + " Mbit/s\n" + url);
        });
    }
    QChart* old = chartView_->chart();
    chartView_->setChart(chart);
    delete old;
    chartArea_->setCurrentWidget(chartView_);
}

std::vector<std::string> ResultsWindow::chartedUrls() const {
    std::vector<std::string> urls;
    if (chartArea_->currentWidget() != chartView_) {
        return urls;
    }
    for (QAbstractSeries* series : chartView_->chart()->series()) {
        urls.push_back(series->name().toLocal8Bit().toStdString());
    }
    return urls;
}

void ResultsWindow::exportCsv() {
    const std::string path = chooser_(this, exportFolder_ + "/" + CsvFileName);
    if (path.empty()) {
        return;
    }
    const std::vector<HistoryRow> rows = tableModel_->rowsInView();
    std::string problem;
    if (!ExportHistoryCsv(rows, path, &problem)) {
        view_.viewChanged();
        showStatus();
        MessageBoxA(AsDesktopWindow(this),
                    "The results could not be exported: " + problem +
                        ".\nChoose another file, or a folder you can write.",
                    ApplicationName(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    view_.exported(rows.size(), path);
    showStatus();
}

void ResultsWindow::showStatus() {
    exported_->setText(view_.status());
    exported_->setToolTip(view_.status());
}

void ResultsWindow::setColumnWidths() {
    const QFontMetrics metrics = table_->fontMetrics();
    const int padding = metrics.horizontalAdvance(QStringLiteral("MM"));
    const auto fit = [&](int column, const QString& sample) {
        table_->setColumnWidth(column, metrics.horizontalAdvance(sample) + padding);
    };
    fit(HistoryTableModel::StartColumn, QStringLiteral("8888-88-88 88:88:88"));
    fit(HistoryTableModel::UrlColumn, QString(36, QLatin1Char('x')));
    fit(HistoryTableModel::OutcomeColumn, QStringLiteral("Downloading finished."));
    fit(HistoryTableModel::SizeColumn, QStringLiteral("888.8 MB"));
    fit(HistoryTableModel::FirstByteColumn, QStringLiteral("First byte"));
    fit(HistoryTableModel::TotalTimeColumn, QStringLiteral("Total time"));
    fit(HistoryTableModel::MegabitsColumn, QStringLiteral("8888.8"));
    fit(HistoryTableModel::MegabytesColumn, QStringLiteral("888.8"));
    fit(HistoryTableModel::ServerColumn, QStringLiteral("888.888.888.888:88888"));
    fit(HistoryTableModel::ProgramColumn, QStringLiteral("corvanite-cli"));
}
