#include "history/report_import.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "history/report_labels.h"
#include "history/utc_time.h"
#include "inet/url_password.h"

namespace {

struct PendingBlock {
    std::string startUtc;
    std::optional<std::string> url;
    std::optional<std::uint64_t> bytes;
    bool secondsSeen = false;
    std::optional<std::uint64_t> seconds;  // none for "< 1"
};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A whole decimal number that fills the text; none otherwise.
std::optional<std::uint64_t> Number(std::string_view text) {
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    const std::string digits(text);
    errno = 0;
    const unsigned long long value = std::strtoull(digits.c_str(), nullptr, 10);
    if (errno != 0) {
        return std::nullopt;
    }
    return value;
}

// "2026-12-08 03:30:05" in the machine's local time, as UTC.
std::string UtcOfLocalStamp(std::string_view stamp) {
    std::tm local{};
    int year = 0;
    const std::string text(stamp);
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &local.tm_mon, &local.tm_mday,
                    &local.tm_hour, &local.tm_min, &local.tm_sec, &tail) != 6) {
        return {};
    }
    local.tm_year = year - 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1;  // the rules of that date decide
    const std::time_t time = std::mktime(&local);
    if (time == static_cast<std::time_t>(-1)) {
        return {};
    }
    return UtcTimestamp(time);
}

std::optional<HistoryRow> RowOf(const PendingBlock& block) {
    if (!block.url || !block.bytes || !block.secondsSeen) {
        return std::nullopt;
    }
    HistoryRow row;
    row.startUtc = block.startUtc;
    row.url = MaskUrlPassword(*block.url);
    row.outcome = 0;
    row.bytes = *block.bytes;
    row.wholeSeconds = true;
    if (block.seconds && *block.seconds >= 1) {
        row.totalSeconds = static_cast<double>(*block.seconds);
        row.megabitsPerSecond = static_cast<double>(row.bytes) * 8.0 / 1e6 / *row.totalSeconds;
    }
    return row;
}

}  // namespace

std::vector<HistoryRow> RowsOfReport(std::string_view report) {
    std::vector<HistoryRow> rows;
    std::optional<PendingBlock> block;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t end = report.find('\n', start);
        if (end == std::string_view::npos) {
            end = report.size();
        }
        std::string_view line = report.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (StartsWith(line, ReportStampLabel)) {
            block = PendingBlock{};
            block->startUtc = UtcOfLocalStamp(line.substr(ReportStampLabel.size()));
        } else if (!block) {
            continue;
        } else if (StartsWith(line, ReportUrlLabel)) {
            block->url = std::string(line.substr(ReportUrlLabel.size()));
        } else if (StartsWith(line, ReportBytesLabel)) {
            std::string_view figure = line.substr(ReportBytesLabel.size());
            if (!figure.empty() && figure.back() == ReportBytesEnd) {
                block->bytes = Number(figure.substr(0, figure.size() - 1));
            }
        } else if (StartsWith(line, ReportSecondsLabel)) {
            const std::string_view figure = line.substr(ReportSecondsLabel.size());
            block->secondsSeen = figure == ReportUnderOneSecond || Number(figure).has_value();
            block->seconds = Number(figure);
        } else if (StartsWith(line, ReportRateLabel)) {
            if (auto row = RowOf(*block)) {
                rows.push_back(std::move(*row));
            }
            block.reset();
        }
    }
    return rows;
}
