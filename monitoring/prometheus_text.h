#pragma once

// The Prometheus text exposition format of the history's last tests: per URL the figures of its
// newest test (monitoring/result_figures.h) as gauges named corvanite_<figure>, the end of that
// test as corvanite_last_test_timestamp_seconds, and the tests of each outcome so far as the
// counter corvanite_tests_total; every sample labelled with url (its password masked, as the
// history keeps it) and outcome. No sample carries a time stamp: the scrape's is the sample's.
#include <string>
#include <vector>

#include "history/history_reader.h"
#include "history/history_row.h"

// The file name node_exporter's textfile collector reads (it takes *.prom).
inline constexpr const char* PrometheusTextfileName = "corvanite.prom";

std::string FormatPrometheusText(const std::vector<HistoryRow>& latest,
                                 const std::vector<OutcomeCount>& counts);
