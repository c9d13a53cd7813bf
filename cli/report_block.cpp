#include "cli/report_block.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

#include "history/report_labels.h"

namespace {

// A block is a few hundred bytes plus its URL; this bounds what is read for one.
constexpr std::size_t kLongestBlock = 1 << 20;

}  // namespace

std::optional<std::string> ReadReportBlock(const std::string& path, std::uint64_t offset) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string raw;
    char buffer[4096];
    int lines = 0;
    std::size_t scanned = 0;
    auto position = static_cast<off_t>(offset);
    while (lines < ReportBlockLines && raw.size() < kLongestBlock) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, position);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        raw.append(buffer, static_cast<std::size_t>(n));
        position += n;
        for (; scanned < raw.size() && lines < ReportBlockLines; ++scanned) {
            if (raw[scanned] == '\n') {
                ++lines;
            }
        }
    }
    ::close(fd);
    if (lines < ReportBlockLines) {
        return std::nullopt;
    }
    raw.resize(scanned);
    std::string block;
    block.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        block += raw[i];
    }
    return block;
}

std::optional<std::uint64_t> BytesReceivedOf(const std::string& block) {
    const std::string label = "\n" + std::string(ReportBytesLabel);
    const std::string::size_type at = block.find(label);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const char* digits = block.c_str() + at + label.size();
    if (*digits < '0' || *digits > '9') {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(digits, &end, 10);
    if (errno != 0 || *end != ReportBytesEnd) {
        return std::nullopt;
    }
    return value;
}
