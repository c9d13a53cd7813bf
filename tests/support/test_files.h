#pragma once

// Test files with a known byte pattern, big sparse files, and whole-file reads.
//
//   writePatternFile(dir.file("f.bin"), 100000);
//   EXPECT_TRUE(matchesPattern(received.data(), received.size(), 0));
//   makeSparseFile(dir.file("big.bin"), 5ULL << 30);   // 5 GiB of zeros, no disk space used
#include <cstddef>
#include <cstdint>
#include <string>

namespace testsupport {

// The byte at an offset of every pattern file: it repeats every 251 bytes (a prime, so a
// lost or repeated block of any power-of-two size shows).
inline std::uint8_t patternByte(std::uint64_t offset) {
    return static_cast<std::uint8_t>(offset % 251);
}
std::string patternBytes(std::uint64_t size, std::uint64_t offset = 0);
bool matchesPattern(const void* data, std::size_t size, std::uint64_t offset = 0);

void writePatternFile(const std::string& path, std::uint64_t size);
void writeFile(const std::string& path, const std::string& content);
void makeSparseFile(const std::string& path, std::uint64_t size);
std::string readFile(const std::string& path);
// The permission bits of a file or folder; 0 when there is none.
unsigned fileMode(const std::string& path);

}  // namespace testsupport
