#include "monitoring/textfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<std::string> ReplaceTextfile(const std::string& directory, const std::string& name,
                                           const std::string& text) {
    const std::string path = directory + "/" + name;
    // Not ending in .prom: the collector passes over it while it is written.
    std::string pattern = directory + "/." + name + ".XXXXXX";
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int fd = ::mkstemp(temporary.data());
    const auto problem = [&path](const char* doing, int error) {
        return "cannot " + std::string(doing) + " " + path + ": " + std::strerror(error) +
               "; give --prometheus-textfile a folder you can write (the one node_exporter's "
               "--collector.textfile.directory names)";
    };
    if (fd < 0) {
        return problem("write", errno);
    }
    // Readable by the exporter, which often runs as a user of its own.
    ::fchmod(fd, 0644);
    const bool written = WriteAll(fd, text);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.data());
        return problem("write", error);
    }
    if (::rename(temporary.data(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.data());
        return problem("replace", error);
    }
    return std::nullopt;
}
