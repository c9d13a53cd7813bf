// Speed of whole tests run through the main dialog (offscreen) on a large file from a local
// nginx, against `curl -s -o FILE URL` on the same URL, interleaved in one invocation, each
// run from a fresh state (earlier downloads flushed and dropped from the page cache; the
// served file cached). Also the delay from the worker's last read to "Downloading finished."
// on the status line, the time a confirmed Cancel takes to end a test while data flows, and
// the peak memory.
//
//   ui_bench [--runs 7] [--mib 1024] [--quick]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "bandwidth/running_workers.h"
#include "bandwidth/worker_hooks.h"
#include "bench/common/bench_options.h"
#include "bench/common/curl_reference.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/peak_memory.h"
#include "bench/common/served_file.h"
#include "bench/common/stats.h"
#include "bench/common/summary.h"
#include "platform/desktop/desktop_window.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "tests/support/temp_dir.h"
#include "ui/main_dialog.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr double kTimeLimit = 1.05;
constexpr double kFinishedShownLimitMs = 100;
constexpr double kCancelLimitMs = 200;
constexpr double kPeakLimitMiB = 96;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the event loop until condition holds, checked each time the loop has nothing left to
// do (so after the status line has been repainted); returns the moment it first held.
Clock::time_point runUntil(const std::function<bool()>& condition) {
    QEventLoop loop;
    Clock::time_point at{};
    auto check = [&] {
        if (at == Clock::time_point{} && condition()) {
            at = Clock::now();
            loop.quit();
        }
    };
    const auto connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                             &QAbstractEventDispatcher::aboutToBlock, check);
    check();
    if (at == Clock::time_point{}) {
        loop.exec();
    }
    QObject::disconnect(connection);
    return at;
}

// Notes when the user-interface thread last took a posted notification off its queue, so
// that a delay splits into the worker's part (until the notification is taken) and the
// dialog's part (from there until the status line has been repainted).
class TakenClock final : public QObject {
public:
    TakenClock() { QCoreApplication::instance()->installEventFilter(this); }
    ~TakenClock() override { QCoreApplication::instance()->removeEventFilter(this); }

    Clock::time_point last() const { return last_; }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (receiver->inherits("QtMessageTarget")) {
            last_ = Clock::now();
        }
        return QObject::eventFilter(receiver, event);
    }

private:
    Clock::time_point last_{};
};

// A delay from some moment to the status line showing the result, split at the moment the
// finished notification was taken.
struct Delay {
    double totalMs;
    double dialogMs;
};

class DialogRunner {
public:
    explicit DialogRunner(const std::string& programDirectory)
        : dialog_(TestDialog::Options{programDirectory, {}}) {
        SetMainWindow(AsDesktopWindow(&dialog_));
        dialog_.show();
        url_ = dialog_.findChild<QComboBox*>("url");
        status_ = dialog_.findChild<QLabel*>("status");
        progress_ = dialog_.findChild<QProgressBar*>("progress");
        test_ = dialog_.findChild<QPushButton*>("test");
        cancel_ = dialog_.findChild<QPushButton*>("cancel");
    }
    ~DialogRunner() { SetMainWindow(nullptr); }

    struct Run {
        double seconds;
        Delay finishedShown;  // from the worker's last read to the text on the status line
    };

    Run download(const std::string& url) {
        std::atomic<Clock::rep> lastRead{0};
        SetTestWorkerEndOfDataObserver([&] { lastRead = Clock::now().time_since_epoch().count(); });
        url_->setEditText(QString::fromStdString(url));
        const auto start = Clock::now();
        test_->click();
        const auto shown = runUntil([this] { return dialog_.idle(); });
        SetTestWorkerEndOfDataObserver({});
        expectStatus("Downloading finished.");
        WaitForTestWorkers(std::chrono::seconds(30));
        const Clock::time_point read{Clock::duration(lastRead.load())};
        return {seconds(shown - start),
                {milliseconds(shown - read), milliseconds(shown - taken_.last())}};
    }

    // Cancels once a quarter of the file has arrived; the time from the answer to Idle.
    Delay cancelWhileFlowing(const std::string& url) {
        url_->setEditText(QString::fromStdString(url));
        test_->click();
        runUntil([this] {
            return progress_->isVisible() && progress_->value() > progress_->maximum() / 4;
        });
        Clock::time_point answered{};
        SetMessageBoxAnswerer([&](const MessageBoxCall&) {
            answered = Clock::now();
            return IDYES;
        });
        cancel_->click();
        SetMessageBoxAnswerer({});
        const auto ended = runUntil([this] { return dialog_.idle(); });
        expectStatus("Downloading is broken by user.");
        WaitForTestWorkers(std::chrono::seconds(30));
        return {milliseconds(ended - answered), milliseconds(ended - taken_.last())};
    }

private:
    void expectStatus(const char* text) const {
        if (status_->text() != QLatin1String(text)) {
            std::fprintf(stderr, "status: \"%s\"\n", status_->text().toLocal8Bit().constData());
            std::exit(2);
        }
    }

    TakenClock taken_;
    TestDialog dialog_;
    QComboBox* url_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* test_;
    QPushButton* cancel_;
};

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {7, 1024}, {3, 64});
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);

    testsupport::TempDir program;
    const ServedFile served(options.size);
    const std::string& url = served.url();
    const std::string download = program.file("big.bin");
    const std::string curlFile = program.file("curl.bin");
    DialogRunner dialog(program.path());
    const long peakBefore = PeakResidentKiB();
    std::printf("file %llu MiB, %d interleaved runs\n",
                static_cast<unsigned long long>(options.size), options.runs);

    std::vector<double> dialogTimes, curlTimes;
    Delay worstShown{0, 0};
    double viaDialog = 0;
    double curl = 0;
    RunInterleaved(
        options.runs,
        [&] {
            const DialogRunner::Run run = dialog.download(url);
            viaDialog = run.seconds;
            if (run.finishedShown.totalMs > worstShown.totalMs) {
                worstShown = run.finishedShown;
            }
        },
        [&] { curl = RunCurlOrExit(url, curlFile).seconds; },
        [&](int round) {
            dialogTimes.push_back(viaDialog);
            curlTimes.push_back(curl);
            std::printf("run %d: dialog %.3f s, curl %.3f s, ratio %.3f\n", round, viaDialog, curl,
                        viaDialog / curl);
        },
        [&] {
            ResetWrittenFiles({download, curlFile});
        });
    Delay worstCancel{0, 0};
    for (int i = 0; i < 3; ++i) {
        ResetWrittenFiles({download});
        const Delay cancel = dialog.cancelWhileFlowing(url);
        if (cancel.totalMs > worstCancel.totalMs) {
            worstCancel = cancel;
        }
    }
    ResetWrittenFiles({download, curlFile});

    PrintSpread("dialog", dialogTimes, "s");
    PrintSpread("curl -s -o FILE", curlTimes, "s");
    const double peakMiB = PeakResidentKiB() / 1024.0;
    std::printf(
        "last read to \"Downloading finished.\" shown: worst %.3f ms (limit %.0f ms), of it %.3f "
        "ms in the dialog after the notification was taken\n",
        worstShown.totalMs, kFinishedShownLimitMs, worstShown.dialogMs);
    std::printf(
        "Cancel answered Yes to Idle while data flows: worst %.3f ms (limit %.0f ms), of it %.3f "
        "ms in the dialog after the notification was taken\n",
        worstCancel.totalMs, kCancelLimitMs, worstCancel.dialogMs);
    std::printf("peak memory %.1f MiB (%.1f MiB before the runs; limit %.0f MiB)\n", peakMiB,
                peakBefore / 1024.0, kPeakLimitMiB);

    Summary speed = CompareMedians("dialog", dialogTimes, curlTimes, kTimeLimit);
    speed.peakMiB = peakMiB;
    const Summary shown = WithinLimit("dialog_finished_shown", Figure(worstShown.totalMs, "ms"),
                                      Figure(kFinishedShownLimitMs, "ms", 0),
                                      worstShown.totalMs < kFinishedShownLimitMs);
    const Summary cancel =
        WithinLimit("dialog_cancel", Figure(worstCancel.totalMs, "ms"),
                    Figure(kCancelLimitMs, "ms", 0), worstCancel.totalMs < kCancelLimitMs);
    const Summary memory =
        WithinLimit("dialog_memory", Figure(peakMiB, "MiB", 1), Figure(kPeakLimitMiB, "MiB", 0),
                    peakMiB < kPeakLimitMiB, peakMiB);
    PrintSummary(speed);
    PrintSummary(shown);
    PrintSummary(cancel);
    PrintSummary(memory);
    return speed.ok && shown.ok && cancel.ok && memory.ok ? 0 : 1;
}
