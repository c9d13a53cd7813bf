#include "history/history_upgrade.h"

#include <set>

#include <sqlite3.h>

#include "history/history_schema.h"
#include "history/sqlite_database.h"

namespace {

std::set<std::string> ColumnsOfTests(SqliteDatabase& db) {
    std::set<std::string> names;
    SqliteStatement info(db, "PRAGMA table_info(tests)");
    if (info.prepared() == SQLITE_OK) {
        while (info.step() == SQLITE_ROW) {
            names.insert(info.text(1));
        }
    }
    return names;
}

}  // namespace

int AddMissingHistoryColumns(SqliteDatabase& db) {
    const std::set<std::string> present = ColumnsOfTests(db);
    for (const HistoryColumn& column : kHistoryColumnsAdded) {
        if (present.count(column.name) != 0) {
            continue;
        }
        const std::string add =
            std::string("ALTER TABLE tests ADD COLUMN ") + column.name + " " + column.type;
        if (const int rc = db.exec(add.c_str()); rc != SQLITE_OK) {
            return rc;
        }
    }
    return SQLITE_OK;
}

std::string HistoryColumnsToSelect(SqliteDatabase& db) {
    const std::set<std::string> present = ColumnsOfTests(db);
    std::string columns = kHistoryColumns;
    for (const HistoryColumn& column : kHistoryColumnsAdded) {
        if (std::string(column.name) == kRateSamplesColumn) {
            continue;  // read one test at a time
        }
        columns += ", ";
        columns += present.count(column.name) != 0 ? column.name : "NULL";
    }
    return columns;
}

std::string EncodeRateSamples(const std::vector<std::uint32_t>& samples) {
    std::string bytes;
    bytes.reserve(samples.size() * 4);
    for (const std::uint32_t sample : samples) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((sample >> shift) & 0xFF);
        }
    }
    return bytes;
}

std::vector<std::uint32_t> DecodeRateSamples(const std::string& bytes) {
    std::vector<std::uint32_t> samples(bytes.size() / 4);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::uint32_t sample = 0;
        for (int b = 3; b >= 0; --b) {
            sample = (sample << 8) | static_cast<unsigned char>(bytes[i * 4 + b]);
        }
        samples[i] = sample;
    }
    return samples;
}
