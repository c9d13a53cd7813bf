#include "frontend/history_csv.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "frontend/outcome_table.h"
#include "history/history_row.h"

namespace {

std::string Field(const std::string& text) {
    std::string value = text;
    if (!value.empty() && std::strchr("=+-@", value.front()) != nullptr) {
        value.insert(value.begin(), '\'');
    }
    if (value.find_first_of(",\"\r\n") == std::string::npos) {
        return value;
    }
    std::string quoted = "\"";
    for (const char c : value) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string Number(std::optional<double> value, const char* format) {
    if (!value) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, format, *value);
    return text;
}

std::string Count(std::optional<int> count) {
    return count ? std::to_string(*count) : std::string();
}

}  // namespace

std::string HistoryCsvHeader() {
    return "start_utc,url,outcome,status,bytes,first_byte_seconds,transfer_seconds,"
           "total_seconds,megabits_per_second,megabytes_per_second,server_address,program,"
           "whole_seconds,latency_idle_seconds,latency_loaded_seconds,responsiveness_rpm,"
           "latency_grade,connections_requested,connections_used,steady_megabits_per_second,"
           "name_lookup_seconds,connect_seconds,tls_seconds\r\n";
}

std::string HistoryCsvLine(const HistoryRow& row) {
    std::optional<double> megabytes;
    if (row.megabitsPerSecond) {
        megabytes = *row.megabitsPerSecond / 8;
    }
    std::string line;
    line.reserve(256);
    line += Field(row.startUtc) + ",";
    line += Field(row.url) + ",";
    line += std::to_string(row.outcome) + ",";
    line += Field(OutcomeText(row.outcome)) + ",";
    line += std::to_string(row.bytes) + ",";
    line += Number(row.firstByteSeconds, "%.6f") + ",";
    line += Number(row.transferSeconds, "%.6f") + ",";
    line += Number(row.totalSeconds, "%.6f") + ",";
    line += Number(row.megabitsPerSecond, "%.3f") + ",";
    line += Number(megabytes, "%.3f") + ",";
    line += Field(row.serverAddress) + ",";
    line += Field(row.program) + ",";
    line += row.wholeSeconds ? "1," : "0,";
    line += Number(row.latencyIdleSeconds, "%.6f") + ",";
    line += Number(row.latencyLoadedSeconds, "%.6f") + ",";
    line += Number(row.responsivenessRpm, "%.1f") + ",";
    line += Field(row.latencyGrade.value_or("")) + ",";
    line += Count(row.connectionsRequested) + ",";
    line += Count(row.connectionsUsed) + ",";
    line += Number(row.steadyMegabitsPerSecond, "%.3f") + ",";
    line += Number(row.nameLookupSeconds, "%.6f") + ",";
    line += Number(row.connectSeconds, "%.6f") + ",";
    line += Number(row.tlsSeconds, "%.6f");
    line += "\r\n";
    return line;
}

bool ExportHistoryCsv(const std::vector<HistoryRow>& rows, const std::string& path,
                      std::string* problem) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        if (problem != nullptr) {
            *problem = "cannot create " + path + ": " + std::strerror(errno);
        }
        return false;
    }
    const std::string header = HistoryCsvHeader();
    bool written = std::fwrite(header.data(), 1, header.size(), out) == header.size();
    for (const HistoryRow& row : rows) {
        if (!written) {
            break;
        }
        const std::string line = HistoryCsvLine(row);
        written = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    }
    const int error = written ? 0 : errno;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        if (problem != nullptr) {
            *problem = "cannot write " + path + ": " + std::strerror(written ? errno : error);
        }
        return false;
    }
    return true;
}
