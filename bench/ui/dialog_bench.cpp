// Speed of whole tests run through the main dialog (offscreen) on a large file from a local
// nginx, against `curl -s -o FILE URL` on the same URL, interleaved in one invocation. Also
// the delay from the worker's last read to "Downloading finished." on the status line, the
// time a confirmed Cancel takes to end a test while data flows, and the peak memory.
//
//   build/bench/ui/ui_bench [runs] [megabytes]      (default: 5 runs, 1024 MiB)
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

#include "bandwidth/worker.h"
#include "bandwidth/worker_hooks.h"
#include "bench/common/curl_reference.h"
#include "bench/common/interleaved.h"
#include "bench/common/peak_memory.h"
#include "bench/common/stats.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "ui/main_dialog.h"

using Clock = std::chrono::steady_clock;

namespace {

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
        SetMainWindow(&dialog_);
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
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);

    testsupport::TempDir served;
    testsupport::TempDir program;
    testsupport::writePatternFile(served.file("big.bin"), megabytes << 20);
    testsupport::NginxServer nginx(served.path());
    const std::string url = nginx.url("/big.bin");
    DialogRunner dialog(program.path());
    const long peakBefore = PeakResidentKiB();

    std::vector<double> ratios;
    std::vector<double> dialogTimes;
    std::vector<double> curlTimes;
    Delay worstShown{0, 0};
    double viaDialog = 0;
    double curl = 0;
    RunInterleaved(
        runs,
        [&] {
            const DialogRunner::Run run = dialog.download(url);
            viaDialog = run.seconds;
            if (run.finishedShown.totalMs > worstShown.totalMs) {
                worstShown = run.finishedShown;
            }
            std::remove(program.file("big.bin").c_str());
        },
        [&] { curl = CurlSecondsToFile(url, program.file("curl.bin")); },
        [&](int round) {
            dialogTimes.push_back(viaDialog);
            curlTimes.push_back(curl);
            ratios.push_back(viaDialog / curl);
            std::printf("run %d: dialog %.3f s, curl %.3f s, ratio %.3f\n", round, viaDialog, curl,
                        viaDialog / curl);
        });
    Delay worstCancel{0, 0};
    for (int i = 0; i < 3; ++i) {
        const Delay cancel = dialog.cancelWhileFlowing(url);
        if (cancel.totalMs > worstCancel.totalMs) {
            worstCancel = cancel;
        }
        std::remove(program.file("big.bin").c_str());
    }

    const double ratio = Median(ratios);
    const long peak = PeakResidentKiB();
    std::printf("file %llu MiB, %d interleaved runs\n", static_cast<unsigned long long>(megabytes),
                runs);
    std::printf("median dialog %.3f s (%.0f MiB/s), median curl %.3f s (%.0f MiB/s)\n",
                Median(dialogTimes), megabytes / Median(dialogTimes), Median(curlTimes),
                megabytes / Median(curlTimes));
    std::printf("median ratio dialog/curl: %.3f\n", ratio);
    std::printf(
        "last read to \"Downloading finished.\" shown: worst %.3f ms (limit 100) %s; of it %.3f ms "
        "in the dialog after the notification was taken\n",
        worstShown.totalMs, worstShown.totalMs < 100 ? "ok" : "OVER", worstShown.dialogMs);
    std::printf(
        "Cancel answered Yes to Idle while data flows: worst %.3f ms (limit 200) %s; of it %.3f ms "
        "in the dialog after the notification was taken\n",
        worstCancel.totalMs, worstCancel.totalMs < 200 ? "ok" : "OVER", worstCancel.dialogMs);
    std::printf("peak memory: %.1f MiB (%.1f MiB before the runs; limit 96) %s\n", peak / 1024.0,
                peakBefore / 1024.0, peak < 96 * 1024 ? "ok" : "OVER");
    return worstShown.totalMs < 100 && worstCancel.totalMs < 200 && peak < 96 * 1024 ? 0 : 1;
}
