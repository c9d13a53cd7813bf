#pragma once

// corvanite-cli run as the tests need it: a copy laid in a folder of its own (the program keeps
// its list, report and downloads beside itself), started with its standard output and error
// in files, waited for with a deadline, and signalled.
//
//   CliFolder folder;                        // a temporary folder holding corvanite-cli
//   CliProcess cli(folder.program(), {"--json", url});
//   CliExit exit = cli.wait();               // exit.status, exit.out, exit.err
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "tests/support/temp_dir.h"

namespace clitest {

// The corvanite-cli that the build made.
std::string BuiltProgram();

class CliFolder {
public:
    // Copies program (the built one by default) into a fresh temporary folder.
    explicit CliFolder(const std::string& program = BuiltProgram());

    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string program() const { return dir_.file("corvanite-cli"); }

private:
    testsupport::TempDir dir_;
};

struct CliExit {
    bool exited = false;  // false: killed by a signal, or still running at the deadline
    int status = -1;      // the exit status when exited
    std::string out;
    std::string err;
};

// How the program is started, beyond its arguments.
struct CliLaunch {
    // When given, the path of a terminal (a pseudo-terminal's slave side) that takes the
    // program's standard error instead of a file.
    std::string terminal;
    // Changes to the test's environment: "NAME=value" sets a variable, "NAME" unsets it.
    std::vector<std::string> environment;
    // Another user to run as (the test must be root); the test's own when not set.
    std::optional<uid_t> user;
    gid_t group = 0;
};

class CliProcess {
public:
    CliProcess(const std::string& program, const std::vector<std::string>& arguments,
               const CliLaunch& launch = {});
    // Kills the program if it still runs.
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return pid_; }
    void signal(int number) const;
    // What the program has written so far.
    std::string err() const;
    std::string out() const;
    CliExit wait(std::chrono::milliseconds timeout = std::chrono::seconds(120));

private:
    testsupport::TempDir output_;
    pid_t pid_ = -1;
    bool reaped_ = false;
};

// Runs the program to its end.
CliExit RunCli(const std::string& program, const std::vector<std::string>& arguments,
               const CliLaunch& launch = {});

// The lines of what a program wrote, without their line ends.
std::vector<std::string> OutputLines(const std::string& text);

}  // namespace clitest
