#include "monitoring/result_figures.h"

#include <cmath>

#include "bandwidth/request.h"
#include "history/utc_time.h"

std::vector<TestFigure> FiguresOfTest(const HistoryRow& row) {
    std::vector<TestFigure> figures;
    if (row.megabitsPerSecond) {
        figures.push_back({"download_bytes_per_second",
                           "Download rate of the test: bytes received over its total time.",
                           *row.megabitsPerSecond * 1e6 / 8, false});
    }
    figures.push_back(
        {"test_bytes", "Bytes the test received.", static_cast<double>(row.bytes), true});
    const auto seconds = [&figures](const char* name, const char* help,
                                    const std::optional<double>& value) {
        if (value) {
            figures.push_back({name, help, *value, false});
        }
    };
    seconds("first_byte_seconds", "Time from asking for the URL to the first data.",
            row.firstByteSeconds);
    seconds("transfer_seconds", "Time from the first data to the last read.", row.transferSeconds);
    seconds("test_seconds", "Time from asking for the URL to the last read.", row.totalSeconds);
    seconds("latency_idle_seconds", "Round trip to the server before the download.",
            row.latencyIdleSeconds);
    seconds("latency_loaded_seconds", "Round trip to the server during the download.",
            row.latencyLoadedSeconds);
    seconds("responsiveness_round_trips_per_minute",
            "Round trips a minute to the server during the download.", row.responsivenessRpm);
    return figures;
}

std::optional<std::int64_t> TestStartMilliseconds(const HistoryRow& row) {
    return MillisecondsOfUtcTimestamp(row.startUtc);
}

std::optional<std::int64_t> TestEndMilliseconds(const HistoryRow& row) {
    const auto start = TestStartMilliseconds(row);
    if (!start) {
        return std::nullopt;
    }
    return *start + std::llround(row.totalSeconds.value_or(0) * 1000);
}

std::string OutcomeLabel(unsigned outcome) {
    switch (outcome) {
        case OutcomeFinished:
            return "finished";
        case OutcomeExitRequested:
            return "exit_requested";
        case OutcomeCancelled:
            return "cancelled";
        case OutcomeOpenUrlException:
            return "open_url_failed";
        case OutcomeUrlNotParsed:
            return "url_not_parsed";
        case OutcomeNoHttpLength:
            return "no_http_length";
        case OutcomeFtpProbeFailed:
            return "ftp_size_failed";
        case OutcomeUnsupportedService:
            return "unsupported_scheme";
        case OutcomeNoFileName:
            return "no_file_name";
        case OutcomeDestinationFailed:
            return "destination_failed";
        case OutcomeReportFailed:
            return "report_failed";
        case OutcomeNoRemoteFile:
            return "no_remote_file";
        default:
            return std::to_string(outcome);
    }
}
