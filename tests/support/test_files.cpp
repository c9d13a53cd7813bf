#include "tests/support/test_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

std::string patternBytes(std::uint64_t size, std::uint64_t offset) {
    std::string bytes(size, '\0');
    for (std::uint64_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(patternByte(offset + i));
    }
    return bytes;
}

bool matchesPattern(const void* data, std::size_t size, std::uint64_t offset) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != patternByte(offset + i)) {
            return false;
        }
    }
    return true;
}

void writePatternFile(const std::string& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    // One period-aligned block written again and again.
    const std::string block = patternBytes(251 * 256);
    std::uint64_t left = size;
    while (left > 0 && out) {
        const std::uint64_t n = left < block.size() ? left : block.size();
        out.write(block.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

void makeSparseFile(const std::string& path, std::uint64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        throw std::runtime_error("cannot make the sparse file " + path);
    }
    ::close(fd);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned fileMode(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

}  // namespace testsupport
