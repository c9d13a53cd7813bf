#pragma once

// The history's tables, and the version number (PRAGMA user_version) that names them. A
// history of a higher version was made by a newer program: it is read by no one here and
// written by no one here.
inline constexpr int kHistorySchemaVersion = 2;

// One row per test. Times in seconds, the rate in megabits (10^6 bits) per second; NULL where
// the test did not get that far. whole_seconds: 1 for a row imported from the report.
inline constexpr const char* kHistorySchema =
    "CREATE TABLE IF NOT EXISTS tests ("
    " id INTEGER PRIMARY KEY,"
    " start_utc TEXT NOT NULL,"
    " url TEXT NOT NULL,"
    " outcome INTEGER NOT NULL,"
    " bytes INTEGER NOT NULL,"
    " first_byte_s REAL,"
    " transfer_s REAL,"
    " total_s REAL,"
    " rate_mbit_s REAL,"
    " server_address TEXT,"
    " program TEXT,"
    " whole_seconds INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX IF NOT EXISTS tests_by_start ON tests(start_utc, id);"
    "CREATE INDEX IF NOT EXISTS tests_by_url ON tests(url, start_utc, id);";

// The columns of version 1 every reader selects, in HistoryRow's order.
inline constexpr const char* kHistoryColumns =
    "id, start_utc, url, outcome, bytes, first_byte_s, transfer_s, total_s, rate_mbit_s,"
    " server_address, program, whole_seconds";

// Columns added since version 1, selected after kHistoryColumns in this order (all but
// rate_samples, which is read for one test at a time). Upgrading adds each one a history lacks
// (ALTER TABLE tests ADD COLUMN), so that a history of any earlier version is brought up to
// this one in place; a row recorded before has NULL in them.
struct HistoryAddedColumn {
    const char* name;
    const char* type;
};
inline constexpr HistoryAddedColumn kHistoryAddedColumns[] = {
    // Latency in seconds (median idle, its spread, median and 90th percentile loaded, the
    // download connection's own as the kernel kept it), round trips a minute under load and
    // the grade of what the load added.
    {"latency_idle_s", "REAL"},
    {"latency_idle_spread_s", "REAL"},
    {"latency_loaded_s", "REAL"},
    {"latency_loaded_p90_s", "REAL"},
    {"latency_kernel_s", "REAL"},
    {"responsiveness_rpm", "REAL"},
    {"latency_grade", "TEXT"},
    // The URL the data came from after redirects, its password masked.
    {"final_url", "TEXT"},
    // Connections asked for and used, the rate without the ramp-up, where the first
    // connection's time went.
    {"connections_requested", "INTEGER"},
    {"connections_used", "INTEGER"},
    {"steady_rate_mbit_s", "REAL"},
    {"name_lookup_s", "REAL"},
    {"connect_s", "REAL"},
    {"tls_s", "REAL"},
    // The bytes of each 100 ms of the test (history/rate_samples_blob.h).
    {"rate_samples", "BLOB"},
};
inline constexpr const char* kRateSamplesColumn = "rate_samples";
