#pragma once

// Another process that holds a single-instance guard until it is killed or destroyed: the
// first instance of the program, for tests of the second.
#include <string>

#include <sys/types.h>

class InstanceLockHolder {
public:
    // Forks a child that takes the guard name in directory and keeps it.
    InstanceLockHolder(const std::string& directory, const std::string& name);
    ~InstanceLockHolder();
    InstanceLockHolder(const InstanceLockHolder&) = delete;
    InstanceLockHolder& operator=(const InstanceLockHolder&) = delete;

    // Whether the child got the guard.
    bool held() const { return held_; }
    // Ends the child as abruptly as a crash would (SIGKILL) and waits for it.
    void kill();

private:
    pid_t pid_ = -1;
    bool held_ = false;
};
