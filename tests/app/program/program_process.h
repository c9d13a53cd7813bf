#pragma once

// The program as a process of its own: started with a runtime folder of its own, on the
// offscreen platform unless the test says otherwise, killed when the object goes.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

// Changes to the program's environment, applied after the defaults.
struct ProgramEnvironment {
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> unset;
};

class Program {
public:
    // errorLog, when given, receives the program's standard error.
    Program(const std::string& executable, const std::string& runtime,
            const std::vector<std::string>& arguments = {},
            const ProgramEnvironment& environment = {}, const std::string& errorLog = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The wait status once the program has ended, nothing if it still runs after timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Waits, up to a deadline, until the program holds its guard (or has ended).
bool WaitForGuard(Program& program, const std::string& file);

// A folder of the test's own with a private runtime folder, and copies of the program in it.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A copy of the program under another file name, in a folder with a dot in its name;
    // made on first use.
    std::string copyAs(const std::string& fileName);

    std::string directory_;
    std::string runtime_;
};
