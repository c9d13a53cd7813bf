#pragma once

// A program started in a process group of its own, with stdout and stderr appended to a log
// file. The destructor stops it (SIGTERM, then SIGKILL after a grace period); it also dies
// with the test process.
//
//   ChildProcess child({"/usr/bin/python3", "server.py"}, dir.file("server.log"));
//   if (!child.running()) ...
#include <string>
#include <vector>

#include <sys/types.h>

namespace testsupport {

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& logPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // False once the program has ended (it is then reaped).
    bool running();
    void stop();

private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

}  // namespace testsupport
