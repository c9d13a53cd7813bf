#pragma once

// The report of one completed test: a 12-line block appended to BandWidth_TestRpt.txt in
// the program's directory. The block is built in memory between begin and finish and
// reaches the file in one write, so the file gets either a whole block or nothing.
//
// Several tests may hold the report open at once: each takes the write lock that every writer
// of the system takes only while it appends its block, waiting for another's append to end, so
// blocks never interleave and a viewer may read the file at any time.
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class CStdioFile;

class TestReport {
public:
    // The wall clock in whole seconds, and its conversion to local time (false when the
    // time cannot be converted). Tests put in their own.
    using Clock = std::function<std::time_t()>;
    using LocalTime = std::function<bool(std::time_t, std::tm&)>;
    // Called while another writer holds the lock, with how many tries to take it have failed:
    // pauses and says whether to try again. By default a few seconds in all.
    using LockWait = std::function<bool(int failedTries)>;

    static constexpr const char* fileName = "BandWidth_TestRpt.txt";

    TestReport();
    explicit TestReport(Clock clock);  // with the system's local time
    TestReport(Clock clock, LocalTime localTime, LockWait lockWait = {});
    ~TestReport();
    TestReport(const TestReport&) = delete;
    TestReport& operator=(const TestReport&) = delete;

    // Opens programDirectory + "/BandWidth_TestRpt.txt" for appending, creating it when it is
    // missing and never truncating it. False (errno tells why) when it cannot be opened, for
    // instance when the name is a symbolic link or anything but a plain file: a link planted
    // there is never followed onto another file.
    bool open(const std::string& programDirectory);
    // Starts the block with the title, the start time stamp and the URL, and reads the
    // start of the timed interval. The URL is written as given, except that the password of a
    // "user:password@" part is written as "****": the report is a plain file that others can
    // often read.
    void begin(const std::string& url);
    // Reads the end of the timed interval, completes the block and appends it, once another
    // writer's append has ended. True only once the whole block is in the file; on false (the
    // lock could not be had, the write failed) the file is as it was before and errno tells why.
    bool finish(std::uint64_t bytes);
    // Where the block that finish appended begins in the file; none before it has.
    std::optional<std::uint64_t> blockStart() const { return blockStart_; }
    // Closes the file, dropping a block that was begun and not finished. Never raises.
    void close();

private:
    enum class State { Closed, Open, Started, Written };

    Clock clock_;
    LocalTime localTime_;
    LockWait lockWait_;
    std::unique_ptr<CStdioFile> file_;
    std::string block_;
    std::time_t start_ = 0;
    std::optional<std::uint64_t> blockStart_;
    State state_ = State::Closed;
};
