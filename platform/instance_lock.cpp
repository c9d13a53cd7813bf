#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/last_error.h"

namespace {

// Another user who could write into the directory could put a file of their own in place
// of the lock, so only a real directory of this user's that no one else can write is used.
bool IsSafeDirectory(const std::string& directory) {
    struct stat status;
    if (directory.empty() || directory.front() != '/' || lstat(directory.c_str(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string PrivateTemporaryDirectory() {
    const char* temporary = std::getenv("TMPDIR");
    std::string base = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string directory = base + "/corvanite-" + std::to_string(geteuid());
    if (mkdir(directory.c_str(), S_IRWXU) != 0 && errno != EEXIST)
        return {};
    return IsSafeDirectory(directory) ? directory : std::string();
}

}  // namespace

std::string InstanceLockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && IsSafeDirectory(runtime))
        return runtime;
    return PrivateTemporaryDirectory();
}

BOOL CreateInstanceLockIn(const std::string& directory, const std::string& name) {
    if (!IsSafeDirectory(directory)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const std::string path = directory + "/" + name + ".lock";
    // Not inherited by programs this one starts (a report viewer must not keep the guard
    // after the program has ended), and never through a link planted in its place.
    const int file =
        open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (file < 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    int locked;
    do {
        locked = flock(file, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool taken = errno == EWOULDBLOCK;
        close(file);
        SetLastError(taken ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // The descriptor stays open until the process ends: that is what holds the guard.
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL CreateInstanceLock(const std::string& name) {
    const std::string directory = InstanceLockDirectory();
    if (directory.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return CreateInstanceLockIn(directory, name);
}
