#pragma once

// What follows a test for monitoring: the metrics of the history's last tests to a node_exporter
// textfile folder and to a Pushgateway, the test itself to InfluxDB, and an alert when the
// URL's recent tests call for one. Each export is bounded by a short time-out and none of them
// touches the test, its report or its history row.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "monitoring/alert_rule.h"

// The InfluxDB 2.x token is read from here, never from the command line, where every user of
// the machine could read it.
inline constexpr const char* InfluxTokenVariable = "CORVANITE_INFLUX_TOKEN";

struct ExportSettings {
    std::optional<std::string> textfileDirectory;
    std::optional<std::string> pushgatewayUrl;
    std::optional<std::string> influxUrl;  // the whole write endpoint, 1.x or 2.x
    std::optional<AlertRule> alert;
    // The longest one server may take.
    std::chrono::milliseconds timeout{3000};

    bool any() const { return textfileDirectory || pushgatewayUrl || influxUrl || alert; }
};

struct ExportResult {
    // Lines for standard error: alerts and recoveries, then exports that failed.
    std::vector<std::string> lines;
    bool failed = false;  // an export did not reach its place
};

// Exports the test of url that the history at historyPath holds last.
ExportResult ExportTest(const ExportSettings& settings, const std::string& historyPath,
                        const std::string& url);
