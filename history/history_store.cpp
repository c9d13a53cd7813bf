#include "history/history_store.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sqlite3.h>

#include "history/history_schema.h"
#include "history/rate_samples_blob.h"
#include "history/report_import.h"
#include "history/sqlite_database.h"
#include "inet/url_password.h"

namespace {

// Long enough for another writer's transaction, even one that imports a long report.
constexpr int kBusyTimeoutMs = 2000;

std::string Problem(const std::string& path, const std::string& reason, const std::string& advice) {
    return "Test results are not being added to the history " + path + ": " + reason + ". " +
           advice + " The report is written as before.";
}

std::string ProblemOf(const std::string& path, int rc, const std::string& detail) {
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Problem(path, "another program holds it locked (" + detail + ")",
                           "Close the program that uses it; the next tests are recorded once it "
                           "is free.");
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_CANTOPEN:
            return Problem(path, "it cannot be written (" + detail + ")",
                           "Make the file and its folder writable to record tests again.");
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return Problem(path, "it is damaged (" + detail + ")",
                           "Move it aside; the next test starts a new history.");
        case SQLITE_IOERR:
            return Problem(path, "reading or writing it failed (" + detail + ")",
                           "Check the disk, and that the file and its folder are writable.");
        case SQLITE_FULL:
            return Problem(path, "the disk is full (" + detail + ")",
                           "Free some space to record tests again.");
        default:
            return Problem(path, detail, "Check the file and its folder.");
    }
}

// The report's text, up to the given end. Only a plain file is read, never through a link,
// and without waiting: something else planted in the report's place (a FIFO nobody writes)
// would otherwise hold the test.
std::string ReadReport(const ReportToImport& report) {
    const int fd = ::open(report.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string whole;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const std::uint64_t end =
            report.upTo ? std::min<std::uint64_t>(*report.upTo, status.st_size) : status.st_size;
        whole.resize(static_cast<std::size_t>(end));
        std::size_t got = 0;
        while (got < whole.size()) {
            const ssize_t n = ::read(fd, whole.data() + got, whole.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        whole.resize(got);
    }
    ::close(fd);
    return whole;
}

constexpr const char* kInsert =
    "INSERT INTO tests (start_utc, url, outcome, bytes, first_byte_s, transfer_s, total_s,"
    " rate_mbit_s, server_address, program, whole_seconds, latency_idle_s,"
    " latency_idle_spread_s, latency_loaded_s, latency_loaded_p90_s, latency_kernel_s,"
    " responsiveness_rpm, latency_grade, final_url, connections_requested, connections_used,"
    " steady_rate_mbit_s, name_lookup_s, connect_s, tls_s, rate_samples)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18,"
    " ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26)";

int Insert(SqliteStatement& insert, const HistoryRow& row) {
    insert.reset();
    insert.bindText(1, row.startUtc);
    insert.bindText(2, MaskUrlPassword(row.url));
    insert.bindInteger(3, row.outcome);
    insert.bindInteger(4, static_cast<std::int64_t>(row.bytes));
    insert.bindReal(5, row.firstByteSeconds);
    insert.bindReal(6, row.transferSeconds);
    insert.bindReal(7, row.totalSeconds);
    insert.bindReal(8, row.megabitsPerSecond);
    insert.bindText(9, row.serverAddress);
    insert.bindText(10, row.program);
    insert.bindInteger(11, row.wholeSeconds ? 1 : 0);
    insert.bindReal(12, row.latencyIdleSeconds);
    insert.bindReal(13, row.latencyIdleSpreadSeconds);
    insert.bindReal(14, row.latencyLoadedSeconds);
    insert.bindReal(15, row.latencyLoaded90Seconds);
    insert.bindReal(16, row.latencyKernelSeconds);
    insert.bindReal(17, row.responsivenessRpm);
    if (row.latencyGrade) {
        insert.bindText(18, *row.latencyGrade);
    } else {
        sqlite3_bind_null(insert.handle(), 18);
    }
    insert.bindText(19, MaskUrlPassword(row.finalUrl));
    insert.bindInteger(20, row.connectionsRequested);
    insert.bindInteger(21, row.connectionsUsed);
    insert.bindReal(22, row.steadyMegabitsPerSecond);
    insert.bindReal(23, row.nameLookupSeconds);
    insert.bindReal(24, row.connectSeconds);
    insert.bindReal(25, row.tlsSeconds);
    if (row.rateSamples.empty()) {
        sqlite3_bind_null(insert.handle(), 26);
    } else {
        insert.bindBlob(26, EncodeRateSamples(row.rateSamples));
    }
    const int rc = insert.step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Adds every column of this version that the table lacks, and sets the version; inside the
// caller's transaction. Each column is looked up rather than assumed from the old version, so
// that a history any earlier program made is brought up to this one.
int Upgrade(SqliteDatabase& db) {
    std::vector<std::string> present;
    {
        SqliteStatement columns(db, "PRAGMA table_info(tests)");
        if (columns.prepared() != SQLITE_OK) {
            return columns.prepared();
        }
        int rc = SQLITE_ROW;
        while ((rc = columns.step()) == SQLITE_ROW) {
            present.push_back(columns.text(1));
        }
        if (rc != SQLITE_DONE) {
            return rc;
        }
    }
    for (const HistoryAddedColumn& column : kHistoryAddedColumns) {
        if (std::find(present.begin(), present.end(), column.name) != present.end()) {
            continue;
        }
        const std::string add =
            std::string("ALTER TABLE tests ADD COLUMN ") + column.name + " " + column.type;
        if (const int rc = db.exec(add.c_str()); rc != SQLITE_OK) {
            return rc;
        }
    }
    const std::string version = "PRAGMA user_version = " + std::to_string(kHistorySchemaVersion);
    return db.exec(version.c_str());
}

// Creates the tables and imports the report; inside the caller's transaction.
int Create(SqliteDatabase& db, const ReportToImport& report) {
    if (const int rc = db.exec(kHistorySchema); rc != SQLITE_OK) {
        return rc;
    }
    if (const int rc = Upgrade(db); rc != SQLITE_OK) {
        return rc;
    }
    SqliteStatement insert(db, kInsert);
    if (insert.prepared() != SQLITE_OK) {
        return insert.prepared();
    }
    for (const HistoryRow& row : RowsOfReport(ReadReport(report))) {
        if (const int rc = Insert(insert, row); rc != SQLITE_OK) {
            return rc;
        }
    }
    return SQLITE_OK;
}

class Recording {
public:
    Recording(const std::string& path) : path_(path) {}

    HistoryWrite run(const HistoryRow* row, const ReportToImport& report);

private:
    HistoryWrite failed(int rc) { return {false, ProblemOf(path_, rc, db_.errorText())}; }

    const std::string& path_;
    SqliteDatabase db_;
};

HistoryWrite Recording::run(const HistoryRow* row, const ReportToImport& report) {
    if (const int rc = db_.open(path_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        rc != SQLITE_OK) {
        return failed(rc);
    }
    sqlite3_busy_timeout(db_.handle(), kBusyTimeoutMs);
    // The log is folded into the file when it has grown, not each time a test closes the
    // history: that would wait for the disk at the end of every test.
    sqlite3_db_config(db_.handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    if (sqlite3_db_readonly(db_.handle(), "main") == 1) {
        return {false, ProblemOf(path_, SQLITE_READONLY, "read-only file")};
    }
    // The write-ahead log lets readers go on while a test is recorded; a commit then reaches
    // the log before it returns, so a killed process loses nothing it committed.
    // Turning a new file to the log needs it alone for a moment, and SQLite does not wait for
    // that by itself: another writer creating it at the same time is waited for here.
    const auto giveUp =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    int rc = db_.exec("PRAGMA journal_mode = WAL");
    while ((rc & 0xFF) == SQLITE_BUSY && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        rc = db_.exec("PRAGMA journal_mode = WAL");
    }
    if (rc == SQLITE_OK) {
        rc = db_.exec("PRAGMA synchronous = NORMAL");
    }
    if (rc != SQLITE_OK) {
        return failed(rc);
    }
    if (rc = db_.exec("BEGIN IMMEDIATE"); rc != SQLITE_OK) {
        return failed(rc);
    }
    std::int64_t version = 0;
    rc = db_.queryInteger("PRAGMA user_version", version);
    if (rc == SQLITE_OK && version > kHistorySchemaVersion) {
        db_.exec("ROLLBACK");
        return {false, Problem(path_,
                               "it was written by a newer version of the program (history "
                               "version " +
                                   std::to_string(version) + ")",
                               "Record with that version, or move the file aside to start a new "
                               "history.")};
    }
    if (rc == SQLITE_OK && version == 0) {
        rc = Create(db_, report);
    } else if (rc == SQLITE_OK && version < kHistorySchemaVersion) {
        // An older history is upgraded in place: its tests stay, the new columns are empty.
        rc = Upgrade(db_);
    }
    if (rc == SQLITE_OK && row != nullptr) {
        SqliteStatement insert(db_, kInsert);
        rc = insert.prepared() == SQLITE_OK ? Insert(insert, *row) : insert.prepared();
    }
    if (rc == SQLITE_OK) {
        rc = db_.exec("COMMIT");
    }
    if (rc != SQLITE_OK) {
        HistoryWrite result = failed(rc);
        db_.exec("ROLLBACK");
        return result;
    }
    return {true, {}};
}

}  // namespace

HistoryWrite RecordInHistory(const std::string& historyPath, const HistoryRow& row,
                             const ReportToImport& report) {
    Recording recording(historyPath);
    return recording.run(&row, report);
}

HistoryWrite CreateHistory(const std::string& historyPath, const ReportToImport& report) {
    struct stat status {};
    if (::stat(historyPath.c_str(), &status) == 0) {
        return {true, {}};
    }
    Recording recording(historyPath);
    return recording.run(nullptr, report);
}
