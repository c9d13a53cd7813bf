#include "ui/url_list_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Closes the file, and with it gives up the shared lock, on every way out.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Open, a plain file, and no writer holds it: readers share, writers lock it exclusively.
    bool openForSharedReading() const {
        struct stat info {};
        return fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) &&
               ::flock(fd_, LOCK_SH | LOCK_NB) == 0;
    }

    // Appends up to size bytes; 0 at the end of the file or on a read error.
    std::size_t read(std::string& into, std::size_t size) const {
        const std::size_t before = into.size();
        into.resize(before + size);
        ssize_t got;
        do {
            got = ::read(fd_, into.data() + before, size);
        } while (got < 0 && errno == EINTR);
        into.resize(before + (got > 0 ? static_cast<std::size_t>(got) : 0));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    int fd_;
};

void AddEntry(std::vector<std::string>& entries, std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (!line.empty()) {
        entries.push_back(std::move(line));
    }
}

}  // namespace

std::optional<std::vector<std::string>> ReadUrlListFile(const std::string& path) {
    ReadOnlyFile file(path);
    if (!file.openForSharedReading()) {
        return std::nullopt;
    }
    std::vector<std::string> entries;
    std::string pending;  // the line read so far, line end not yet seen
    std::string block;
    while (file.read(block, 64 * 1024) > 0) {
        std::size_t start = 0;
        for (std::size_t end; (end = block.find('\n', start)) != std::string::npos;
             start = end + 1) {
            pending.append(block, start, end - start);
            AddEntry(entries, std::move(pending));
            pending.clear();
        }
        pending.append(block, start, std::string::npos);
        block.clear();
    }
    // A last line without a line end keeps a carriage return that no line feed follows.
    if (!pending.empty()) {
        entries.push_back(std::move(pending));
    }
    return entries;
}
