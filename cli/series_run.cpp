#include "cli/series_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "cli/cli_run.h"
#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/series_summary.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest a stop signal waits to be noticed between two tests.
constexpr auto kStopLook = std::chrono::milliseconds(100);

// Waits until the moment; false when a stop signal came first.
bool WaitUntil(Clock::time_point moment) {
    while (CancelRequest.load() == StopNone) {
        const auto now = Clock::now();
        if (now >= moment) {
            return true;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(moment - now, kStopLook));
    }
    return false;
}

bool Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

}  // namespace

int RunSeries(const CliOptions& options, const std::string& url, CliContext& context) {
    if (options.repeat <= 1) {
        return RunOneTest(options, url, context).exitStatus;
    }
    std::vector<std::optional<double>> rates;
    unsigned finished = 0;
    int status = 0;
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options.interval));
    auto nextStart = Clock::now();
    for (unsigned i = 0; i < options.repeat; ++i) {
        if (i > 0) {
            if (!options.json && !Print("\n")) {
                return ExitInternal;
            }
            if (!WaitUntil(nextStart)) {
                status = CancelRequest.load() == StopExit
                             ? ExitStatusOfOutcome(OutcomeExitRequested)
                             : ExitStatusOfOutcome(OutcomeCancelled);
                break;
            }
        }
        nextStart = Clock::now() + interval;
        const CliTest test = RunOneTest(options, url, context);
        const bool done = test.ending && test.ending->outcome == OutcomeFinished;
        finished += done ? 1 : 0;
        rates.push_back(done ? RateMegabitsPerSecond(test.ending->measurement) : std::nullopt);
        if (test.exitStatus != 0) {
            status = test.exitStatus;
        }
        if (test.exitStatus == ExitInternal && !test.ending) {
            break;  // the test could not be run: the next would not be either
        }
        if (CancelRequest.load() != StopNone) {
            break;
        }
    }
    const SeriesSummary summary = SummarizeSeries(rates, finished);
    const std::string text =
        options.json ? FormatJsonSeriesSummary(summary) : "\n" + FormatSeriesSummary(summary);
    if (!Print(text)) {
        return ExitInternal;
    }
    return status;
}
