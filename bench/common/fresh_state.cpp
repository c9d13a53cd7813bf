#include "bench/common/fresh_state.h"

#include <fcntl.h>
#include <unistd.h>

void DropCachedPages(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void ResetWrittenFiles(const std::vector<std::string>& paths) {
    ::sync();
    for (const std::string& path : paths) {
        // Written back by the sync: clean pages, which the kernel can drop.
        DropCachedPages(path);
        ::unlink(path.c_str());
    }
}

void CacheServedFile(const std::string& path) {
    ::sync();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
    static char buffer[1 << 20];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
}
