#include "cli/history_print.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "cli/exit_status.h"
#include "cli/json_result.h"
#include "cli/options.h"
#include "frontend/history_csv.h"
#include "frontend/outcome_table.h"
#include "history/history_reader.h"
#include "history/history_row.h"
#include "history/history_store.h"

namespace {

std::string Number(std::optional<double> value, const char* format, const char* none) {
    if (!value) {
        return none;
    }
    char text[64];
    std::snprintf(text, sizeof text, format, *value);
    return text;
}

std::optional<double> MegabytesPerSecond(const HistoryRow& row) {
    std::optional<double> megabytes;
    if (row.megabitsPerSecond) {
        megabytes = *row.megabitsPerSecond / 8;
    }
    return megabytes;
}

// "2026-12-08T17:05:09.123Z" as "2026-12-08 17:05:09".
std::string TableTime(const std::string& utc) {
    if (utc.size() < 19) {
        return utc;
    }
    std::string text = utc.substr(0, 19);
    text[10] = ' ';
    return text;
}

}  // namespace

std::string HistoryTableHeader() {
    char text[256];
    std::snprintf(text, sizeof text, "%-19s %10s %8s %15s %10s %11s %8s  %-13s  URL\n",
                  "Start (UTC)", "Mbit/s", "MB/s", "Bytes", "Total s", "First byte", "Outcome",
                  "Program");
    return text;
}

std::string HistoryTableLine(const HistoryRow& row) {
    const std::optional<double> megabytes = MegabytesPerSecond(row);
    std::string total = Number(row.totalSeconds, "%.3f", "-");
    if (row.wholeSeconds) {
        total = (row.totalSeconds ? Number(row.totalSeconds, "%.0f", "-") : "<1") + "*";
    }
    const std::string firstByte = Number(row.firstByteSeconds, "%.3f", "-");
    char text[512];
    std::snprintf(text, sizeof text, "%-19s %10s %8s %15llu %10s %11s %8u  %-13s  ",
                  TableTime(row.startUtc).c_str(),
                  Number(row.megabitsPerSecond, "%.2f", "-").c_str(),
                  Number(megabytes, "%.2f", "-").c_str(),
                  static_cast<unsigned long long>(row.bytes), total.c_str(), firstByte.c_str(),
                  row.outcome, row.program.empty() ? "-" : row.program.c_str());
    return text + row.url + "\n";
}

std::string Count(const std::optional<int>& count) {
    return count ? std::to_string(*count) : "null";
}

std::string HistoryJsonLine(const HistoryRow& row) {
    const std::optional<double> megabytes = MegabytesPerSecond(row);
    return "{\"id\":" + std::to_string(row.id) + ",\"start_utc\":" + JsonString(row.startUtc) +
           ",\"url\":" + JsonString(row.url) +
           ",\"final_url\":" + (row.finalUrl.empty() ? "null" : JsonString(row.finalUrl)) +
           ",\"outcome\":" + std::to_string(row.outcome) +
           ",\"status\":" + JsonString(OutcomeText(row.outcome)) +
           ",\"bytes\":" + std::to_string(row.bytes) +
           ",\"first_byte_seconds\":" + Number(row.firstByteSeconds, "%.6f", "null") +
           ",\"transfer_seconds\":" + Number(row.transferSeconds, "%.6f", "null") +
           ",\"total_seconds\":" + Number(row.totalSeconds, "%.6f", "null") +
           ",\"megabits_per_second\":" + Number(row.megabitsPerSecond, "%.3f", "null") +
           ",\"megabytes_per_second\":" + Number(megabytes, "%.3f", "null") +
           ",\"server_address\":" +
           (row.serverAddress.empty() ? "null" : JsonString(row.serverAddress)) +
           ",\"program\":" + (row.program.empty() ? "null" : JsonString(row.program)) +
           ",\"whole_seconds\":" + (row.wholeSeconds ? "true" : "false") +
           ",\"connections_requested\":" + Count(row.connectionsRequested) +
           ",\"connections_used\":" + Count(row.connectionsUsed) +
           ",\"steady_megabits_per_second\":" +
           Number(row.steadyMegabitsPerSecond, "%.3f", "null") +
           ",\"name_lookup_seconds\":" + Number(row.nameLookupSeconds, "%.6f", "null") +
           ",\"connect_seconds\":" + Number(row.connectSeconds, "%.6f", "null") +
           ",\"tls_seconds\":" + Number(row.tlsSeconds, "%.6f", "null") +
           ",\"latency_idle_seconds\":" + Number(row.latencyIdleSeconds, "%.6f", "null") +
           ",\"latency_loaded_seconds\":" + Number(row.latencyLoadedSeconds, "%.6f", "null") +
           ",\"latency_loaded_p90_seconds\":" + Number(row.latencyLoaded90Seconds, "%.6f", "null") +
           ",\"latency_kernel_seconds\":" + Number(row.latencyKernelSeconds, "%.6f", "null") +
           ",\"responsiveness_rpm\":" + Number(row.responsivenessRpm, "%.1f", "null") +
           ",\"latency_grade\":" + (row.latencyGrade ? JsonString(*row.latencyGrade) : "null") +
           "}\n";
}

int PrintHistory(const CliOptions& options, const std::string& directory,
                 const std::string& programName) {
    HistoryReader reader;
    const std::string path = directory + "/" + HistoryFileName;
    if (!reader.open(path)) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), reader.problem().c_str());
        return ExitInternal;
    }
    // A large buffer: a hundred thousand rows go out in a few hundred writes.
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    bool written = true;
    bool wholeSeconds = false;
    const auto put = [&written](const std::string& text) {
        written = written && std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    };
    if (options.csv) {
        put(HistoryCsvHeader());
    } else if (!options.json) {
        put(HistoryTableHeader());
    }
    const bool read =
        reader.forEach(HistoryOrder::NewestFirst, options.url, [&](const HistoryRow& row) {
            wholeSeconds = wholeSeconds || row.wholeSeconds;
            put(options.csv    ? HistoryCsvLine(row)
                : options.json ? HistoryJsonLine(row)
                               : HistoryTableLine(row));
        });
    if (wholeSeconds && !options.csv && !options.json) {
        put("* imported from the report: whole seconds only\n");
    }
    written = written && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!read) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), reader.problem().c_str());
        return ExitInternal;
    }
    if (!written) {
        std::fprintf(stderr, "%s: write error: %s\n", programName.c_str(), std::strerror(errno));
        return ExitInternal;
    }
    return 0;
}
