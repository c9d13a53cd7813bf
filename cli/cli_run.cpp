#include "cli/cli_run.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include <strings.h>
#include <unistd.h>

#include "bandwidth/ending.h"
#include "bandwidth/report.h"
#include "bandwidth/request.h"
#include "bandwidth/worker.h"
#include "cli/cli_window.h"
#include "cli/exit_status.h"
#include "cli/history_print.h"
#include "cli/json_result.h"
#include "cli/options.h"
#include "cli/progress_view.h"
#include "cli/report_block.h"
#include "cli/result.h"
#include "cli/series_run.h"
#include "cli/stop_signals.h"
#include "cli/version_text.h"
#include "frontend/built_in_urls.h"
#include "frontend/failure_cause.h"
#include "frontend/outcome_table.h"
#include "frontend/result_line.h"
#include "frontend/string_table.h"
#include "frontend/url_list_file.h"
#include "frontend/working_folder.h"
#include "history/history_store.h"
#include "history/utc_time.h"
#include "platform/message_box.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kLookInterval = std::chrono::milliseconds(100);

// The URL given, else the first entry of the first list file that can be read, else of the
// built-in list; none when that list file holds no entry.
std::optional<std::string> UrlToTest(const CliOptions& options, const WorkingFolder& folder) {
    if (options.url) {
        return *options.url;
    }
    std::optional<std::vector<std::string>> listed;
    for (const std::string& path : folder.urlListFiles) {
        if ((listed = ReadUrlListFile(path))) {
            break;
        }
    }
    const std::vector<std::string>& urls = listed ? *listed : BuiltInUrls();
    if (urls.empty()) {
        return std::nullopt;
    }
    return urls.front();
}

// Without a window, the worker's boxes become lines on standard error, answered with OK.
void AnswerBoxesOnStandardError() {
    SetMessageBoxPresenter([](const MessageBoxCall& call) {
        std::string text = call.text;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        std::fprintf(stderr, "%s: %s\n", call.caption.c_str(), text.c_str());
        std::fflush(stderr);
        return IDOK;
    });
}

// False when the result could not be written whole (a full disk, a closed pipe).
bool Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

struct Run {
    std::optional<TakenMessage> started;
    std::optional<TakenMessage> finished;
};

// Takes the worker's notifications until the finished one, drawing the progress as it goes.
void TakeUntilFinished(CliWindow& window, ProgressView& view, Run& run) {
    auto nextLook = Clock::now() + kLookInterval;
    while (!run.finished) {
        if (const auto taken = window.take(nextLook)) {
            switch (taken->message) {
                case WM_DOWNLOAD_STARTED:
                    run.started = taken;
                    view.started(taken->wParam, taken->postedAt);
                    break;
                case WM_DOWNLOAD_PROGRESS:
                    view.progress(taken->wParam, taken->postedAt);
                    break;
                case WM_DOWNLOAD_FINISHED:
                    run.finished = taken;
                    break;
                default:
                    break;
            }
        }
        const auto now = Clock::now();
        if (now >= nextLook) {
            view.tick(now);
            nextLook = now + kLookInterval;
        }
    }
}

// What the run comes to: the dialog's status text, and for a finished test the report block
// and the worker's measurement, the same figures the dialog and the history show.
TestResult ResultOf(const Run& run, const std::optional<TestEnding>& ending, const std::string& url,
                    const std::string& reportPath) {
    TestResult result;
    result.url = url;
    result.outcome = static_cast<unsigned>(run.finished->wParam);
    result.status = OutcomeText(result.outcome);
    // The start the history records, so that the two name the test alike.
    if (ending) {
        result.startUtc = UtcTimestamp(ending->startedAt);
        result.connectionsRequested = ending->measurement.connectionsRequested;
    } else if (run.started) {
        result.startUtc = UtcTimestamp(run.started->postedAtWallClock);
    }
    result.cause = FailureCauseText(result.outcome, ending ? ending->cause : std::string());
    if (result.outcome == OutcomeFinished && run.started && ending) {
        const TestMeasurement& measurement = ending->measurement;
        result.bytes = measurement.bytes;
        result.interval = measurement.lastRead;
        result.firstByte = measurement.firstByte;
        if (measurement.firstByte && measurement.lastRead) {
            result.transfer = *measurement.lastRead - *measurement.firstByte;
        }
        result.resultLine = FormatResultLine(*ending);
        result.latency = ending->latency;
        if (std::string line = FormatLatencyLine(*ending); !line.empty()) {
            result.latencyLine = std::move(line);
        }
        result.serverAddress = ending->serverAddress;
        result.connectionsUsed = measurement.connectionsUsed;
        result.rangesRefused = measurement.rangesRefused;
        result.connections = measurement.connections;
        result.steadyMegabitsPerSecond = SteadyRateMegabitsPerSecond(measurement);
        result.phases = measurement.phases;
        result.finalUrl = ending->finalUrl;
        if (ending->reportOffset) {
            result.report = ReadReportBlock(reportPath, *ending->reportOffset);
        }
    }
    return result;
}

void PrintCause(const std::string& programName, const TestResult& result) {
    if (!result.cause.empty()) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), result.cause.c_str());
        std::fflush(stderr);
    }
}

// Exports the test that the history now holds, and says on standard error what came of it.
void Export(const TestEnding& ending, CliContext& context) {
    const std::string& programName = context.programName;
    std::vector<std::string> lines;
    if (ending.recorded) {
        const ExportResult result =
            ExportTest(context.exports, context.directory + "/" + HistoryFileName, ending.url);
        lines = result.lines;
        context.exportFailed = context.exportFailed || result.failed;
    } else {
        lines.push_back("the test is not in the history, so it is not exported");
        context.exportFailed = true;
    }
    for (const std::string& line : lines) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), line.c_str());
    }
    std::fflush(stderr);
}

ExportSettings ExportSettingsOf(const CliOptions& options) {
    ExportSettings settings;
    settings.textfileDirectory = options.prometheusTextfile;
    settings.pushgatewayUrl = options.pushgateway;
    settings.influxUrl = options.influx;
    if (options.alertBelow || options.alertAfter) {
        settings.alert = AlertRule{options.alertBelow.value_or(0), options.alertAfter.value_or(1)};
    }
    return settings;
}

// Each URL of the monitor list in turn: the status of the last test that did not finish.
int RunMonitorList(const CliOptions& options, const WorkingFolder& folder, CliContext& context) {
    const auto urls = ReadUrlListFile(folder.monitorList);
    if (!urls || urls->empty()) {
        std::fprintf(stderr, "%s: no URL to monitor: write the URLs to test, one per line, to %s\n",
                     context.programName.c_str(), folder.monitorList.c_str());
        return ExitNoUrl;
    }
    int status = 0;
    for (const std::string& url : *urls) {
        if (const int tested = RunSeries(options, url, context); tested != 0) {
            status = tested;
        }
        if (CancelRequest.load() != StopNone) {
            break;
        }
    }
    return status;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    return strncasecmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

// An https URL whose data came over plain http in the end.
bool LeftTls(const std::string& url, const std::string& finalUrl) {
    return StartsWithNoCase(url, "https://") && StartsWithNoCase(finalUrl, "http://");
}

// Removes the file the test downloaded to; a file that is gone already is no failure.
void Discard(const std::string& programName, const std::string& path) {
    if (!path.empty() && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
        std::fprintf(stderr, "%s: cannot remove %s: %s\n", programName.c_str(), path.c_str(),
                     std::strerror(errno));
    }
}

}  // namespace

CliTest RunOneTest(const CliOptions& options, const std::string& url, CliContext& context) {
    const std::string& programName = context.programName;
    const std::string reportPath = context.directory + "/" + TestReport::fileName;
    // As in the dialog: the test still runs, and ends with the outcome of the file it could
    // not open.
    if (const auto problem = PrepareWorkingFolder(context.directory)) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), FolderProblemText(*problem).c_str());
    }
    ProgressView view(stderr, !options.quiet, ::isatty(STDERR_FILENO) != 0);
    Run run;
    CliWindow window;
    TestRequest request;
    request.window = window.handle();
    request.url = url;
    request.programDirectory = context.directory;
    request.programName = CorvaniteCliName;
    request.allowHttps = true;
    request.connections = options.connections;
    request.measureLatency = options.measureLatency;
    request.ending = std::make_shared<TestEndingSlot>();

    view.connecting(url);
    std::thread worker;
    try {
        StopSignalsBlocked blocked;
        worker = std::thread([&request] { TestWorker(&request); });
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "%s: cannot start the test: %s\n", programName.c_str(), error.what());
        return {ExitInternal, std::nullopt};
    }

    TakeUntilFinished(window, view, run);
    // The worker closes the report right after its finished notification.
    worker.join();

    const std::optional<TestEnding> ending = request.ending->get();
    const TestResult result = ResultOf(run, ending, url, reportPath);
    if (result.bytes && result.interval) {
        const auto megabits = MegabitsPerSecond(*result.bytes, *result.interval);
        view.finished(result.bytes, megabits ? std::optional(*megabits * 1e6 / 8) : std::nullopt);
    } else {
        view.finished();
    }
    PrintCause(programName, result);
    if (ending && LeftTls(ending->url, ending->finalUrl)) {
        std::fprintf(stderr,
                     "%s: the test left TLS: the server redirected it to %s, so it measured a "
                     "plain http download\n",
                     programName.c_str(), ending->finalUrl.c_str());
        std::fflush(stderr);
    }
    if (ending) {
        if (const auto notice = context.historyNotice.take(*ending)) {
            std::fprintf(stderr, "%s: %s\n", programName.c_str(), notice->c_str());
            std::fflush(stderr);
        }
        if (options.discard) {
            Discard(programName, ending->destinationPath);
        }
    }
    const bool printed = Print(options.json ? FormatJsonResult(result) : FormatTextResult(result));
    if (!printed) {
        std::fprintf(stderr, "%s: write error: %s\n", programName.c_str(), std::strerror(errno));
    } else if (result.outcome == OutcomeFinished && !options.quiet) {
        std::fprintf(stderr, "Report appended to %s\n", reportPath.c_str());
    }
    // After the result, which never waits for a monitoring server.
    if (ending && context.exports.any()) {
        Export(*ending, context);
    }
    return {printed ? ExitStatusOfOutcome(result.outcome) : ExitInternal, ending};
}

int RunCli(const CliOptions& options, const std::string& programName) {
    const WorkingFolder folder = WorkingFolderOfThisProgram();
    CliContext context;
    context.directory = folder.directory;
    context.programName = programName;
    context.exports = ExportSettingsOf(options);
    if (options.history) {
        return PrintHistory(options, context.directory, programName);
    }
    std::optional<std::string> url;
    if (!options.monitor) {
        url = UrlToTest(options, folder);
        if (!url || url->empty()) {
            std::fprintf(stderr, "%s: %s\n", programName.c_str(),
                         LoadString(IDS_URL_EMPTY).c_str());
            return ExitNoUrl;
        }
    }
    AnswerBoxesOnStandardError();
    CancelRequest.store(StopNone);
    InstallStopSignalHandlers(!options.quiet);
    const int status = options.monitor ? RunMonitorList(options, folder, context)
                                       : RunSeries(options, *url, context);
    if (status == 0 && context.exportFailed && options.exportFailureStatus) {
        return ExitExportFailed;
    }
    return status;
}
