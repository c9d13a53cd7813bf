#include "bandwidth/destination_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

DestinationFile::~DestinationFile() {
    close();
}

bool DestinationFile::open(const std::string& path) {
    close();
    // Non-blocking so that a FIFO planted under the name cannot hold the worker at open().
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISREG(info.st_mode) ? errno : EINVAL;
        ::close(fd);
        errno = error;
        return false;
    }
    // Empty the file only once the lock is ours: a file held by another writer stays intact.
    // An empty file is left alone: ext4 takes a truncation to zero for a file being replaced
    // and pushes all of it to the disk when it is closed, a quarter of a second a GiB.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &info) != 0 ||
        (info.st_size != 0 && ftruncate(fd, 0) != 0) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    fd_ = fd;
    path_ = path;
    failed_ = false;
    writeError_ = 0;
    used_ = 0;
    if (!buffer_) {
        buffer_ = std::make_unique<char[]>(kBufferSize);
    }
    return true;
}

bool DestinationFile::write(const void* data, std::size_t size) {
    if (fd_ < 0 || failed_) {
        return false;
    }
    if (used_ + size > kBufferSize) {
        if (!flush()) {
            return false;
        }
        if (size >= kBufferSize) {
            return writeOut(static_cast<const char*>(data), size);
        }
    }
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return true;
}

char* DestinationFile::spaceAfterFlush(std::size_t size) {
    if (fd_ < 0 || failed_ || size > kBufferSize) {
        return nullptr;
    }
    if (used_ + size > kBufferSize && !flush()) {
        return nullptr;
    }
    return buffer_.get() + used_;
}

bool DestinationFile::flush() {
    if (fd_ < 0 || failed_) {
        return false;
    }
    const std::size_t size = used_;
    used_ = 0;
    return writeOut(buffer_.get(), size);
}

bool DestinationFile::writeOut(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            failed_ = true;
            writeError_ = written < 0 ? errno : ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void DestinationFile::close() {
    if (fd_ < 0) {
        return;
    }
    flush();
    ::close(fd_);  // releases the lock
    fd_ = -1;
    used_ = 0;
}

void DestinationFile::discard() {
    if (fd_ < 0) {
        return;
    }
    // Removed while the lock is still ours, so no other test of the program is writing it.
    struct stat mine {};
    struct stat named {};
    if (fstat(fd_, &mine) == 0 && ::lstat(path_.c_str(), &named) == 0 &&
        mine.st_dev == named.st_dev && mine.st_ino == named.st_ino) {
        ::unlink(path_.c_str());
    }
    ::close(fd_);
    fd_ = -1;
    used_ = 0;
}
