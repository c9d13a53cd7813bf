#include "tests/common/instance_lock_holder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/instance_lock.h"

InstanceLockHolder::InstanceLockHolder(const std::string& directory, const std::string& name) {
    int ready[2];
    if (pipe(ready) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        close(ready[0]);
        const char held = CreateInstanceLockIn(directory, name) ? '1' : '0';
        if (write(ready[1], &held, 1) != 1)
            _exit(2);
        for (;;)
            pause();
    }
    close(ready[1]);
    char held = 0;
    held_ = pid_ > 0 && read(ready[0], &held, 1) == 1 && held == '1';
    close(ready[0]);
}

InstanceLockHolder::~InstanceLockHolder() {
    kill();
}

void InstanceLockHolder::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
