#pragma once

// Reading the history, for a window or a printer: every row, or the rows of one URL, newest
// or oldest first, and the URLs tested. Reads never wait for a writer (the history keeps a
// write-ahead log), and one pass over 100,000 rows takes a fraction of a second.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/history_row.h"

class SqliteDatabase;

enum class HistoryOrder { NewestFirst, OldestFirst };

struct OutcomeCount {
    std::string url;
    unsigned outcome = 0;
    std::uint64_t tests = 0;
};

class HistoryReader {
public:
    // Opens the history at path for reading. A missing file is an empty history. False, with
    // problem() telling why in words for the user, when the file cannot be read: locked,
    // damaged, of a newer version.
    bool open(const std::string& path);
    const std::string& problem() const { return problem_; }

    HistoryReader();
    ~HistoryReader();
    HistoryReader(const HistoryReader&) = delete;
    HistoryReader& operator=(const HistoryReader&) = delete;

    // Calls visit with each row in order; only the rows of url when one is given (a password
    // in it is masked before it is compared, as the history stores it). False, with problem(),
    // when reading failed part way.
    bool forEach(HistoryOrder order, const std::optional<std::string>& url,
                 const std::function<void(const HistoryRow&)>& visit);
    // The same rows gathered; empty on failure (see problem()).
    std::vector<HistoryRow> rows(HistoryOrder order,
                                 const std::optional<std::string>& url = std::nullopt);
    // The bytes of each 100 ms of the test with that id; empty when it has none kept.
    std::vector<std::uint32_t> rateSamples(std::int64_t id);
    // The distinct URLs, the most recently tested first.
    std::vector<std::string> urls();

    // For monitoring, which looks at the last tests of each URL, whichever program ran them:
    // the newest test of every URL, the URLs in order; empty on failure (see problem()).
    std::vector<HistoryRow> latestOfEachUrl();
    // How many tests of each URL ended with each outcome, by URL then outcome.
    std::vector<OutcomeCount> outcomeCounts();
    // Calls visit with the tests of url (masked as stored), newest first, until it returns
    // false. False, with problem(), when reading failed.
    bool walkBack(const std::string& url, const std::function<bool(const HistoryRow&)>& visit);

private:
    // Whether every row's id is greater than those of the rows that started before it. A
    // read that fails part way says no: the full read then meets the failure itself.
    bool writtenInStartOrder();
    bool readColumns();
    bool fail(int rc);

    std::string path_;
    std::unique_ptr<SqliteDatabase> db_;  // none for a missing file
    std::string columns_;                 // what each row's SELECT names
    std::string problem_;
};
