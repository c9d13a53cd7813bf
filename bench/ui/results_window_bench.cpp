// Opening the Results window on a history of 100,000 tests (20 URLs), on the offscreen
// platform: from the window's construction, through its first show and the history's read,
// to the chart painted and the event loop idle; and the process's peak memory. The reference,
// interleaved in the same invocation, is the bare read of the same rows through the history's
// reader, which every front end pays for (corvanite-cli --history too).
//
//   build/bench/ui/results_window_bench [--runs N] [--rows N] [--quick]
//                                       (default: 7 runs, 100000 rows; quick: 3 runs, 10000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractEventDispatcher>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>

#include "bench/common/bench_options.h"
#include "bench/common/interleaved.h"
#include "bench/common/peak_memory.h"
#include "bench/common/stats.h"
#include "bench/common/summary.h"
#include "bench/history/history_fill.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "tests/support/temp_dir.h"
#include "ui/history_table_model.h"
#include "ui/results_window.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr double LimitMs = 300;
constexpr long LimitKiB = 150 * 1024;

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Notes the paints of one widget.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(receiver, event);
    }
};

// Runs the event loop until condition holds when the loop has nothing left to do; returns
// that moment.
Clock::time_point runUntilIdleWith(const std::function<bool()>& condition) {
    QEventLoop loop;
    Clock::time_point at{};
    const auto connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                             &QAbstractEventDispatcher::aboutToBlock, [&] {
                                                 if (at == Clock::time_point{} && condition()) {
                                                     at = Clock::now();
                                                     loop.quit();
                                                 }
                                             });
    loop.exec();
    QObject::disconnect(connection);
    return at;
}

// One opening: the milliseconds to an idle loop with the chart painted.
double openOnce(const std::string& history, const std::string& folder, int rows) {
    const auto start = Clock::now();
    auto window = std::make_unique<ResultsWindow>(history, folder);
    auto* chart = window->findChild<QAbstractScrollArea*>(QStringLiteral("chart"));
    PaintWatch painted(chart->viewport());
    int paintsWhenRead = -1;
    window->open();
    const auto idle = runUntilIdleWith([&] {
        if (window->reading()) {
            return false;
        }
        if (paintsWhenRead < 0) {
            paintsWhenRead = painted.paints;
        }
        return painted.paints > paintsWhenRead;
    });
    if (window->tableModel().rowCount() != rows || window->chartedUrls().size() != 20) {
        std::fprintf(stderr, "the window shows %d rows and %zu lines\n",
                     window->tableModel().rowCount(), window->chartedUrls().size());
        std::exit(2);
    }
    return milliseconds(idle - start);
}

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, "--rows", {7, 100000}, {3, 10000});
    const int runs = options.runs;
    const int rows = static_cast<int>(options.size);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);

    testsupport::TempDir folder;
    const std::string history = folder.file(HistoryFileName);
    if (!FillHistory(history, rows)) {
        std::fprintf(stderr, "cannot fill the history\n");
        return 2;
    }
    const long peakBefore = PeakResidentKiB();

    std::vector<double> opened;
    std::vector<double> read;
    RunInterleaved(
        runs, [&] { opened.push_back(openOnce(history, folder.path(), rows)); },
        [&] {
            const auto start = Clock::now();
            HistoryReader reader;
            int count = 0;
            if (!reader.open(history) ||
                !reader.forEach(HistoryOrder::NewestFirst, std::nullopt,
                                [&count](const HistoryRow&) { ++count; }) ||
                count != rows) {
                std::fprintf(stderr, "cannot read the history\n");
                std::exit(2);
            }
            read.push_back(milliseconds(Clock::now() - start));
        },
        [&](int round) {
            std::printf("run %d: window %.1f ms, bare read %.1f ms\n", round, opened.back(),
                        read.back());
        });

    const long peak = PeakResidentKiB();
    std::printf("Results window on %d rows, %d runs (peak memory %.1f MiB before the first)\n",
                rows, runs, peakBefore / 1024.0);
    PrintSpread("window opened", opened, "ms");
    PrintSpread("bare read of the rows", read, "ms");
    const double median = Median(opened);
    const double peakMiB = peak / 1024.0;
    const bool fast = median < LimitMs;
    const bool small = peak < LimitKiB;
    PrintSummary(WithinLimit("results_window", Figure(median, "ms", 1), Figure(LimitMs, "ms", 0),
                             fast, peakMiB));
    PrintSummary(WithinLimit("results_window_memory", Figure(peakMiB, "MiB", 1),
                             Figure(LimitKiB / 1024.0, "MiB", 0), small, peakMiB));
    return fast && small ? 0 : 1;
}
