// The URL list file reader on any file content: the entries are exactly the file's non-empty
// lines, without their line ends, whatever bytes the file holds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/url_list_file.h"
#include "fuzz/fuzz_check.h"

namespace {

// What the reader must give: lines end at LF, a CR right before the LF goes with it, a last
// line without a line end counts, empty lines do not.
std::vector<std::string> ExpectedEntries(const std::string& content) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        std::string line;
        if (end == std::string::npos) {
            line = content.substr(start);
            start = content.size();
        } else {
            line = content.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            start = end + 1;
        }
        if (!line.empty()) {
            entries.push_back(line);
        }
    }
    return entries;
}

// One in-memory file for the whole run, reached by a path like any list file.
int ListFile() {
    static const int fd = memfd_create("Corvanite.cfg", MFD_CLOEXEC);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ListFile();
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(ftruncate(fd, 0) == 0);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = pwrite(fd, data + written, size - written, written);
        FUZZ_CHECK(n > 0);
        written += static_cast<std::size_t>(n);
    }
    const std::string content(reinterpret_cast<const char*>(data), size);

    const auto entries = ReadUrlListFile("/proc/self/fd/" + std::to_string(fd));
    FUZZ_CHECK(entries.has_value());
    FUZZ_CHECK(*entries == ExpectedEntries(content));
    return 0;
}
