#include "history/sqlite_database.h"

#include <sqlite3.h>

SqliteDatabase::~SqliteDatabase() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
    }
}

int SqliteDatabase::open(const std::string& path, int flags) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (db_ != nullptr) {
        sqlite3_extended_result_codes(db_, 1);
    }
    return rc;
}

int SqliteDatabase::exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

int SqliteDatabase::queryInteger(const char* sql, std::int64_t& value) {
    SqliteStatement statement(*this, sql);
    if (statement.prepared() != SQLITE_OK) {
        return statement.prepared();
    }
    const int rc = statement.step();
    if (rc != SQLITE_ROW) {
        return rc == SQLITE_DONE ? SQLITE_ERROR : rc;
    }
    value = statement.integer(0);
    return SQLITE_OK;
}

std::string SqliteDatabase::errorText() const {
    return db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
}

SqliteStatement::SqliteStatement(SqliteDatabase& database, const char* sql)
    : prepared_(sqlite3_prepare_v2(database.handle(), sql, -1, &statement_, nullptr)) {}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::bindText(int index, const std::string& text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void SqliteStatement::bindInteger(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
}

void SqliteStatement::bindReal(int index, std::optional<double> value) {
    if (value) {
        sqlite3_bind_double(statement_, index, *value);
    } else {
        sqlite3_bind_null(statement_, index);
    }
}

void SqliteStatement::bindInteger(int index, std::optional<std::int64_t> value) {
    if (value) {
        sqlite3_bind_int64(statement_, index, *value);
    } else {
        sqlite3_bind_null(statement_, index);
    }
}

void SqliteStatement::bindBlob(int index, const std::string& bytes) {
    sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

int SqliteStatement::step() {
    return sqlite3_step(statement_);
}

int SqliteStatement::reset() {
    return sqlite3_reset(statement_);
}

std::string SqliteStatement::text(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    if (text == nullptr) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::int64_t SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::optional<double> SqliteStatement::real(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_double(statement_, column);
}

std::optional<std::int64_t> SqliteStatement::optionalInteger(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_int64(statement_, column);
}

std::string SqliteStatement::blob(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
}
