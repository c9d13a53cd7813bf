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
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/app_services.h"
#include "bandwidth/test_worker.h"
#include "bandwidth/test_worker_hooks.h"
#include "platform/message_box.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "ui/test_dialog.h"

using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

double runCurl(const std::string& url, const std::string& out) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("curl", "curl", "-s", "-o", out.c_str(), url.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = seconds(Clock::now() - start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "curl failed\n");
        std::exit(2);
    }
    return elapsed;
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
        WaitForTestWorkers();
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
        WaitForTestWorkers();
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
    const long peakBefore = peakKiB();

    std::vector<double> ratios;
    std::vector<double> dialogTimes;
    std::vector<double> curlTimes;
    Delay worstShown{0, 0};
    for (int i = 0; i < runs; ++i) {
        double viaDialog = 0;
        double curl = 0;
        auto oneDialog = [&] {
            const DialogRunner::Run run = dialog.download(url);
            viaDialog = run.seconds;
            if (run.finishedShown.totalMs > worstShown.totalMs) {
                worstShown = run.finishedShown;
            }
            std::remove(program.file("big.bin").c_str());
        };
        auto oneCurl = [&] {
            curl = runCurl(url, program.file("curl.bin"));
            std::remove(program.file("curl.bin").c_str());
        };
        // Alternate who goes first, so that neither always meets a warmer cache.
        if (i % 2 == 0) {
            oneDialog();
            oneCurl();
        } else {
            oneCurl();
            oneDialog();
        }
        dialogTimes.push_back(viaDialog);
        curlTimes.push_back(curl);
        ratios.push_back(viaDialog / curl);
        std::printf("run %d: dialog %.3f s, curl %.3f s, ratio %.3f\n", i + 1, viaDialog, curl,
                    viaDialog / curl);
    }
    Delay worstCancel{0, 0};
    for (int i = 0; i < 3; ++i) {
        const Delay cancel = dialog.cancelWhileFlowing(url);
        if (cancel.totalMs > worstCancel.totalMs) {
            worstCancel = cancel;
        }
        std::remove(program.file("big.bin").c_str());
    }

    const double ratio = median(ratios);
    const long peak = peakKiB();
    std::printf("file %llu MiB, %d interleaved runs\n", static_cast<unsigned long long>(megabytes),
                runs);
    std::printf("median dialog %.3f s (%.0f MiB/s), median curl %.3f s (%.0f MiB/s)\n",
                median(dialogTimes), megabytes / median(dialogTimes), median(curlTimes),
                megabytes / median(curlTimes));
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
