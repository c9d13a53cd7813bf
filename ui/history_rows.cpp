#include "ui/history_rows.h"

#include <cmath>
#include <limits>

#include "ui/start_time.h"

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();

double Stored(const std::optional<double>& value) {
    return value ? *value : None;
}

std::optional<double> Read(double stored) {
    return std::isnan(stored) ? std::nullopt : std::optional<double>(stored);
}

}  // namespace

std::uint32_t HistoryRows::text(const std::string& value) {
    const auto [found, added] =
        textIndexes_.try_emplace(value, static_cast<std::uint32_t>(texts_.size()));
    if (added) {
        texts_.push_back(value);
    }
    return found->second;
}

void HistoryRows::add(const HistoryRow& row) {
    Entry entry{};
    entry.id = row.id;
    const auto start = UtcMilliseconds(row.startUtc);
    entry.startKnown = start.has_value();
    entry.startMilliseconds = start.value_or(0);
    if (row.startUtc.size() == StartLength) {
        row.startUtc.copy(entry.start.data(), StartLength);
        entry.startText = NoText;
    } else {
        entry.startText = text(row.startUtc);
    }
    entry.bytes = row.bytes;
    entry.firstByteSeconds = Stored(row.firstByteSeconds);
    entry.transferSeconds = Stored(row.transferSeconds);
    entry.totalSeconds = Stored(row.totalSeconds);
    entry.megabitsPerSecond = Stored(row.megabitsPerSecond);
    const auto [url, added] =
        urlIndexes_.try_emplace(row.url, static_cast<std::uint32_t>(urls_.size()));
    if (added) {
        urls_.push_back(row.url);
    }
    entry.url = url->second;
    entry.serverAddress = text(row.serverAddress);
    entry.program = text(row.program);
    entry.outcome = row.outcome;
    entry.wholeSeconds = row.wholeSeconds;
    entry.steadyMegabitsPerSecond = Stored(row.steadyMegabitsPerSecond);
    entry.nameLookupSeconds = Stored(row.nameLookupSeconds);
    entry.connectSeconds = Stored(row.connectSeconds);
    entry.tlsSeconds = Stored(row.tlsSeconds);
    entry.latencyIdleSeconds = Stored(row.latencyIdleSeconds);
    entry.latencyIdleSpreadSeconds = Stored(row.latencyIdleSpreadSeconds);
    entry.latencyLoadedSeconds = Stored(row.latencyLoadedSeconds);
    entry.latencyLoaded90Seconds = Stored(row.latencyLoaded90Seconds);
    entry.latencyKernelSeconds = Stored(row.latencyKernelSeconds);
    entry.responsivenessRpm = Stored(row.responsivenessRpm);
    entry.latencyGrade = row.latencyGrade ? text(*row.latencyGrade) : NoText;
    entry.finalUrl = text(row.finalUrl);
    entry.connectionsRequested = static_cast<std::uint8_t>(row.connectionsRequested.value_or(0));
    entry.connectionsUsed = static_cast<std::uint8_t>(row.connectionsUsed.value_or(0));
    entries_.push_back(entry);
}

HistoryRow HistoryRows::row(std::size_t position) const {
    const Entry& entry = entries_[position];
    HistoryRow row;
    row.id = entry.id;
    row.startUtc = entry.startText == NoText ? std::string(entry.start.data(), StartLength)
                                             : texts_[entry.startText];
    row.url = urls_[entry.url];
    row.outcome = entry.outcome;
    row.bytes = entry.bytes;
    row.firstByteSeconds = Read(entry.firstByteSeconds);
    row.transferSeconds = Read(entry.transferSeconds);
    row.totalSeconds = Read(entry.totalSeconds);
    row.megabitsPerSecond = Read(entry.megabitsPerSecond);
    row.serverAddress = texts_[entry.serverAddress];
    row.program = texts_[entry.program];
    row.wholeSeconds = entry.wholeSeconds;
    row.steadyMegabitsPerSecond = Read(entry.steadyMegabitsPerSecond);
    row.nameLookupSeconds = Read(entry.nameLookupSeconds);
    row.connectSeconds = Read(entry.connectSeconds);
    row.tlsSeconds = Read(entry.tlsSeconds);
    row.latencyIdleSeconds = Read(entry.latencyIdleSeconds);
    row.latencyIdleSpreadSeconds = Read(entry.latencyIdleSpreadSeconds);
    row.latencyLoadedSeconds = Read(entry.latencyLoadedSeconds);
    row.latencyLoaded90Seconds = Read(entry.latencyLoaded90Seconds);
    row.latencyKernelSeconds = Read(entry.latencyKernelSeconds);
    row.responsivenessRpm = Read(entry.responsivenessRpm);
    row.finalUrl = texts_[entry.finalUrl];
    if (entry.latencyGrade != NoText) {
        row.latencyGrade = texts_[entry.latencyGrade];
    }
    if (entry.connectionsRequested != 0) {
        row.connectionsRequested = entry.connectionsRequested;
    }
    if (entry.connectionsUsed != 0) {
        row.connectionsUsed = entry.connectionsUsed;
    }
    return row;
}

std::optional<std::int64_t> HistoryRows::startMilliseconds(std::size_t position) const {
    const Entry& entry = entries_[position];
    return entry.startKnown ? std::optional<std::int64_t>(entry.startMilliseconds) : std::nullopt;
}

std::optional<double> HistoryRows::megabitsPerSecond(std::size_t position) const {
    return Read(entries_[position].megabitsPerSecond);
}
