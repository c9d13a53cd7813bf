#pragma once

// A command run as a child process and timed from its start to its exit, with the CPU time
// and the peak resident size that the kernel reports for it.
#include <string>
#include <vector>

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: less swayed than wall time by a busy machine
    long peakKiB = 0;
    bool ok = false;  // exited with status 0
};

struct ChildStreams {
    std::string out = "/dev/null";  // standard output goes here
    std::string err = "/dev/null";  // standard error goes here (a file or a terminal)
    bool ownSession = false;        // a session of its own, so that err can be its terminal
};

// argv[0] is looked up on the PATH when it holds no "/".
ChildRun RunChild(const std::vector<std::string>& argv, const ChildStreams& streams = {});

// This benchmark's own executable, for running a part of it as a child.
std::string SelfPath();
