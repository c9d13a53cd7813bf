#pragma once

// The history's rows as the Results window keeps them: a long history in little memory, the
// texts that repeat from test to test (URL, server, program) held once, and every row still
// given back exactly as it was read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "history/history_row.h"

class HistoryRows {
public:
    // Kept in the order added.
    void add(const HistoryRow& row);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // The row at a position, as it was added.
    HistoryRow row(std::size_t position) const;

    // The URLs in the order of their first row: added newest first, the most recently tested
    // come first.
    const std::vector<std::string>& urls() const { return urls_; }
    // The position in urls() of the row's URL.
    std::size_t urlIndex(std::size_t position) const { return entries_[position].url; }
    // The start in milliseconds since 1970 (UTC); none when its text has no such form.
    std::optional<std::int64_t> startMilliseconds(std::size_t position) const;
    unsigned outcome(std::size_t position) const { return entries_[position].outcome; }
    std::optional<double> megabitsPerSecond(std::size_t position) const;
    bool wholeSeconds(std::size_t position) const { return entries_[position].wholeSeconds; }

private:
    static constexpr std::size_t StartLength = 24;  // "2026-12-08T17:05:09.123Z"
    static constexpr std::uint32_t NoText = 0xFFFFFFFF;

    struct Entry {
        std::int64_t id;
        std::int64_t startMilliseconds;
        std::uint64_t bytes;
        // NaN: none.
        double firstByteSeconds;
        double transferSeconds;
        double totalSeconds;
        double megabitsPerSecond;
        double steadyMegabitsPerSecond;
        double nameLookupSeconds;
        double connectSeconds;
        double tlsSeconds;
        double latencyIdleSeconds;
        double latencyIdleSpreadSeconds;
        double latencyLoadedSeconds;
        double latencyLoaded90Seconds;
        double latencyKernelSeconds;
        double responsivenessRpm;
        // The start as read, when it has the usual length; otherwise startText holds it.
        std::array<char, StartLength> start;
        std::uint32_t startText;
        std::uint32_t url;
        std::uint32_t serverAddress;
        std::uint32_t program;
        std::uint32_t latencyGrade;  // NoText: none
        std::uint32_t finalUrl;
        unsigned outcome;
        bool startKnown;
        bool wholeSeconds;
        // Connections asked for and used; 0 when not known (at most 16 each).
        std::uint8_t connectionsRequested;
        std::uint8_t connectionsUsed;
    };

    std::uint32_t text(const std::string& value);

    std::vector<Entry> entries_;
    std::vector<std::string> urls_;
    std::unordered_map<std::string, std::uint32_t> urlIndexes_;
    std::vector<std::string> texts_;
    std::unordered_map<std::string, std::uint32_t> textIndexes_;
};
