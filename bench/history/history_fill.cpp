#include "bench/history/history_fill.h"

#include <chrono>

#include <sqlite3.h>

#include "history/history_schema.h"
#include "history/utc_time.h"

bool FillHistory(const std::string& path, int count) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok =
        sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_exec(db, kHistorySchema, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db,
                                  "INSERT INTO tests (start_utc, url, outcome, bytes, first_byte_s,"
                                  " transfer_s, total_s, rate_mbit_s, server_address, program)"
                                  " VALUES (?1, ?2, 0, ?3, 0.021, ?4, ?5, ?6, '192.0.2.7:80',"
                                  " 'corvanite-cli')",
                                  -1, &insert, nullptr) == SQLITE_OK;
    const auto first = std::chrono::system_clock::now() - std::chrono::minutes(count);
    for (int i = 0; ok && i < count; ++i) {
        const std::string start = UtcTimestamp(first + std::chrono::minutes(i));
        const std::string url =
            "http://speed" + std::to_string(i % 20) + ".example.test/files/100MB.bin";
        const double total = 8.0 + (i % 100) / 50.0;
        sqlite3_bind_text(insert, 1, start.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, url.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 3, 100000000);
        sqlite3_bind_double(insert, 4, total - 0.021);
        sqlite3_bind_double(insert, 5, total);
        sqlite3_bind_double(insert, 6, 800 / total);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    // The first version's table, as a user's long history is: recording upgrades it.
    const std::string version = "PRAGMA user_version = 1";
    ok = ok && sqlite3_exec(db, version.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
         sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}
