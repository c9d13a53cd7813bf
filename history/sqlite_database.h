#pragma once

// The few pieces of SQLite's C API the history uses, each owning what it opens.
#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class SqliteDatabase {
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // SQLite's result code; the extended codes are on.
    int open(const std::string& path, int flags);
    int exec(const char* sql);
    // The first column of the first row of a query that gives one integer.
    int queryInteger(const char* sql, std::int64_t& value);
    // The text of the last failure on this connection.
    std::string errorText() const;
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& database, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // The result of preparing; SQLITE_OK when the statement can be used.
    int prepared() const { return prepared_; }
    sqlite3_stmt* handle() const { return statement_; }

    void bindText(int index, const std::string& text);
    void bindInteger(int index, std::int64_t value);
    void bindReal(int index, std::optional<double> value);           // none: NULL
    void bindInteger(int index, std::optional<std::int64_t> value);  // none: NULL
    void bindBlob(int index, const std::string& bytes);
    int step();
    int reset();

    std::string text(int column) const;  // NULL: empty
    std::int64_t integer(int column) const;
    std::optional<double> real(int column) const;                   // NULL: none
    std::optional<std::int64_t> optionalInteger(int column) const;  // NULL: none
    std::string blob(int column) const;                             // NULL: empty

private:
    sqlite3_stmt* statement_ = nullptr;
    int prepared_;
};
