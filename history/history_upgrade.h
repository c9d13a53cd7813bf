#pragma once

// What a history of an older version needs to be read and written as the current one: the
// columns added since, and how the rate samples are stored in theirs.
#include <cstdint>
#include <string>
#include <vector>

class SqliteDatabase;

// Adds each column of kHistoryColumnsAdded that the tests table lacks; SQLite's result code.
int AddMissingHistoryColumns(SqliteDatabase& db);

// The column list a reader selects: kHistoryColumns, then each added column but the rate
// samples, or NULL in its place where the table lacks it.
std::string HistoryColumnsToSelect(SqliteDatabase& db);

// 100 ms samples as little-endian 32-bit numbers, and back (a trailing part of a number is
// dropped).
std::string EncodeRateSamples(const std::vector<std::uint32_t>& samples);
std::vector<std::uint32_t> DecodeRateSamples(const std::string& bytes);
