#pragma once

// The report of one completed test: a 12-line block appended to BandWidth_TestRpt.txt in
// the program's directory. The block is built in memory between begin and finish and
// reaches the file in one write, so the file gets either a whole block or nothing.
//
// While open, the report holds the write lock that every writer of the system takes: the
// viewer may read it, no other test may write it.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

class CStdioFile;

class TestReport {
public:
    // The wall clock in whole seconds, and its conversion to local time (false when the
    // time cannot be converted). Tests put in their own.
    using Clock = std::function<std::time_t()>;
    using LocalTime = std::function<bool(std::time_t, std::tm&)>;

    static constexpr const char* fileName = "BandWidth_TestRpt.txt";

    TestReport();
    explicit TestReport(Clock clock);  // with the system's local time
    TestReport(Clock clock, LocalTime localTime);
    ~TestReport();
    TestReport(const TestReport&) = delete;
    TestReport& operator=(const TestReport&) = delete;

    // Opens programDirectory + "/BandWidth_TestRpt.txt" for appending, creating it when it is
    // missing and never truncating it. False when it cannot be opened, for instance while
    // another test holds it, or when the name is a symbolic link or anything but a plain file:
    // a link planted there is never followed onto another file.
    bool open(const std::string& programDirectory);
    // Starts the block with the title, the start time stamp and the URL, and reads the
    // start of the timed interval. The URL is written as given, except that the password of a
    // "user:password@" part is written as "****": the report is a plain file that others can
    // often read.
    void begin(const std::string& url);
    // Reads the end of the timed interval, completes the block and appends it. True only
    // once the whole block is in the file; on false the file is as it was before.
    bool finish(std::uint64_t bytes);
    // Closes the file, dropping a block that was begun and not finished. Never raises.
    void close();

private:
    enum class State { Closed, Open, Started, Written };

    Clock clock_;
    LocalTime localTime_;
    std::unique_ptr<CStdioFile> file_;
    std::string block_;
    std::time_t start_ = 0;
    State state_ = State::Closed;
};
