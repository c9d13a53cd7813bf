#include "history/history_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include <sqlite3.h>

#include "history/history_schema.h"
#include "history/rate_samples_blob.h"
#include "history/sqlite_database.h"
#include "inet/url_password.h"

namespace {

constexpr int kBusyTimeoutMs = 2000;

HistoryRow RowOf(const SqliteStatement& statement) {
    HistoryRow row;
    row.id = statement.integer(0);
    row.startUtc = statement.text(1);
    row.url = statement.text(2);
    row.outcome = static_cast<unsigned>(statement.integer(3));
    row.bytes = static_cast<std::uint64_t>(statement.integer(4));
    row.firstByteSeconds = statement.real(5);
    row.transferSeconds = statement.real(6);
    row.totalSeconds = statement.real(7);
    row.megabitsPerSecond = statement.real(8);
    row.serverAddress = statement.text(9);
    row.program = statement.text(10);
    row.wholeSeconds = statement.integer(11) != 0;
    row.latencyIdleSeconds = statement.real(12);
    row.latencyIdleSpreadSeconds = statement.real(13);
    row.latencyLoadedSeconds = statement.real(14);
    row.latencyLoaded90Seconds = statement.real(15);
    row.latencyKernelSeconds = statement.real(16);
    row.responsivenessRpm = statement.real(17);
    if (std::string grade = statement.text(18); !grade.empty()) {
        row.latencyGrade = std::move(grade);
    }
    row.finalUrl = statement.text(19);
    if (const auto requested = statement.optionalInteger(20)) {
        row.connectionsRequested = static_cast<int>(*requested);
    }
    if (const auto used = statement.optionalInteger(21)) {
        row.connectionsUsed = static_cast<int>(*used);
    }
    row.steadyMegabitsPerSecond = statement.real(22);
    row.nameLookupSeconds = statement.real(23);
    row.connectSeconds = statement.real(24);
    row.tlsSeconds = statement.real(25);
    return row;
}

}  // namespace

HistoryReader::HistoryReader() = default;
HistoryReader::~HistoryReader() = default;

bool HistoryReader::open(const std::string& path) {
    path_ = path;
    db_.reset();
    problem_.clear();
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        return true;
    }
    auto db = std::make_unique<SqliteDatabase>();
    // One reader, one thread: SQLite's own locking of the connection would only cost time.
    if (const int rc = db->open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
        rc != SQLITE_OK) {
        db_ = std::move(db);
        return fail(rc);
    }
    sqlite3_busy_timeout(db->handle(), kBusyTimeoutMs);
    db_ = std::move(db);
    std::int64_t version = 0;
    if (const int rc = db_->queryInteger("PRAGMA user_version", version); rc != SQLITE_OK) {
        return fail(rc);
    }
    if (version > kHistorySchemaVersion) {
        problem_ = "The history " + path + " was written by a newer version of the program " +
                   "(history version " + std::to_string(version) + "); read it with that version.";
        db_.reset();
        return false;
    }
    if (version == 0) {
        db_.reset();  // created, and no test recorded yet
        return true;
    }
    return readColumns();
}

// A history of an earlier version, which a reader cannot upgrade, lacks the columns added
// since: they read as NULL.
bool HistoryReader::readColumns() {
    std::vector<std::string> present;
    SqliteStatement columns(*db_, "PRAGMA table_info(tests)");
    if (columns.prepared() != SQLITE_OK) {
        return fail(columns.prepared());
    }
    int rc = SQLITE_ROW;
    while ((rc = columns.step()) == SQLITE_ROW) {
        present.push_back(columns.text(1));
    }
    if (rc != SQLITE_DONE) {
        return fail(rc);
    }
    columns_ = kHistoryColumns;
    for (const HistoryAddedColumn& column : kHistoryAddedColumns) {
        if (std::string_view(column.name) == kRateSamplesColumn) {
            continue;  // read one test at a time
        }
        const bool there = std::find(present.begin(), present.end(), column.name) != present.end();
        columns_ += std::string(", ") + (there ? column.name : "NULL");
    }
    return true;
}

bool HistoryReader::fail(int rc) {
    const std::string detail = db_ ? db_->errorText() : sqlite3_errstr(rc);
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            problem_ = "The history " + path_ + " is locked by another program (" + detail +
                       "); try again once it is free.";
            break;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            problem_ = "The history " + path_ + " is damaged (" + detail +
                       "); move it aside, and the next test starts a new one.";
            break;
        default:
            problem_ = "The history " + path_ + " cannot be read (" + detail + ").";
            break;
    }
    db_.reset();
    return false;
}

bool HistoryReader::forEach(HistoryOrder order, const std::optional<std::string>& url,
                            const std::function<void(const HistoryRow&)>& visit) {
    if (!db_) {
        return problem_.empty();
    }
    const char* direction = order == HistoryOrder::NewestFirst ? "DESC" : "ASC";
    // The table read in the order it was written goes at the speed of the disk; in the order
    // of the index by start time it takes a look-up a row. The two orders are the same unless
    // tests overlapped (the dialog's and the command line's) or the clock was set back.
    // One URL's rows come through the index by URL, in start order, whatever the case.
    const std::string orderBy =
        !url && writtenInStartOrder()
            ? std::string(" ORDER BY id ") + direction
            : std::string(" ORDER BY start_utc ") + direction + ", id " + direction;
    const std::string sql =
        "SELECT " + columns_ + " FROM tests" + (url ? " WHERE url = ?1" : "") + orderBy;
    SqliteStatement statement(*db_, sql.c_str());
    if (statement.prepared() != SQLITE_OK) {
        return fail(statement.prepared());
    }
    if (url) {
        statement.bindText(1, MaskUrlPassword(*url));
    }
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW) {
        visit(RowOf(statement));
    }
    return rc == SQLITE_DONE || fail(rc);
}

bool HistoryReader::writtenInStartOrder() {
    // Answered by the index by start time alone, without touching the table.
    SqliteStatement statement(*db_, "SELECT id FROM tests ORDER BY start_utc, id");
    if (statement.prepared() != SQLITE_OK) {
        return false;
    }
    std::int64_t last = std::numeric_limits<std::int64_t>::min();
    while (statement.step() == SQLITE_ROW) {
        const std::int64_t id = statement.integer(0);
        if (id < last) {
            return false;
        }
        last = id;
    }
    return true;
}

std::vector<HistoryRow> HistoryReader::rows(HistoryOrder order,
                                            const std::optional<std::string>& url) {
    std::vector<HistoryRow> rows;
    if (!forEach(order, url, [&rows](const HistoryRow& row) { rows.push_back(row); })) {
        rows.clear();
    }
    return rows;
}

std::vector<std::uint32_t> HistoryReader::rateSamples(std::int64_t id) {
    if (!db_ || columns_.empty()) {
        return {};
    }
    SqliteStatement statement(
        *db_, (std::string("SELECT ") + kRateSamplesColumn + " FROM tests WHERE id = ?1").c_str());
    // A history of the first version has no samples to give.
    if (statement.prepared() != SQLITE_OK) {
        return {};
    }
    statement.bindInteger(1, id);
    return statement.step() == SQLITE_ROW ? DecodeRateSamples(statement.blob(0))
                                          : std::vector<std::uint32_t>();
}

std::vector<std::string> HistoryReader::urls() {
    std::vector<std::string> urls;
    if (!db_) {
        return urls;
    }
    SqliteStatement statement(
        *db_, "SELECT url FROM tests GROUP BY url ORDER BY MAX(start_utc) DESC, url");
    if (statement.prepared() != SQLITE_OK) {
        fail(statement.prepared());
        return urls;
    }
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW) {
        urls.push_back(statement.text(0));
    }
    if (rc != SQLITE_DONE) {
        fail(rc);
        urls.clear();
    }
    return urls;
}

std::vector<HistoryRow> HistoryReader::latestOfEachUrl() {
    std::vector<HistoryRow> rows;
    if (!db_) {
        return rows;
    }
    // Both the URLs and each one's newest test come from the index by URL.
    const std::string sql = std::string("SELECT ") + kHistoryColumns +
                            " FROM (SELECT DISTINCT url AS tested FROM tests) JOIN tests ON"
                            " id = (SELECT id FROM tests WHERE url = tested"
                            " ORDER BY start_utc DESC, id DESC LIMIT 1) ORDER BY url";
    SqliteStatement statement(*db_, sql.c_str());
    if (statement.prepared() != SQLITE_OK) {
        fail(statement.prepared());
        return rows;
    }
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW) {
        rows.push_back(RowOf(statement));
    }
    if (rc != SQLITE_DONE) {
        fail(rc);
        rows.clear();
    }
    return rows;
}

std::vector<OutcomeCount> HistoryReader::outcomeCounts() {
    std::vector<OutcomeCount> counts;
    if (!db_) {
        return counts;
    }
    SqliteStatement statement(*db_,
                              "SELECT url, outcome, COUNT(*) FROM tests GROUP BY url, outcome"
                              " ORDER BY url, outcome");
    if (statement.prepared() != SQLITE_OK) {
        fail(statement.prepared());
        return counts;
    }
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW) {
        counts.push_back({statement.text(0), static_cast<unsigned>(statement.integer(1)),
                          static_cast<std::uint64_t>(statement.integer(2))});
    }
    if (rc != SQLITE_DONE) {
        fail(rc);
        counts.clear();
    }
    return counts;
}

bool HistoryReader::walkBack(const std::string& url,
                             const std::function<bool(const HistoryRow&)>& visit) {
    if (!db_) {
        return problem_.empty();
    }
    const std::string sql = std::string("SELECT ") + kHistoryColumns +
                            " FROM tests WHERE url = ?1 ORDER BY start_utc DESC, id DESC";
    SqliteStatement statement(*db_, sql.c_str());
    if (statement.prepared() != SQLITE_OK) {
        return fail(statement.prepared());
    }
    statement.bindText(1, MaskUrlPassword(url));
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW) {
        if (!visit(RowOf(statement))) {
            return true;
        }
    }
    return rc == SQLITE_DONE || fail(rc);
}
