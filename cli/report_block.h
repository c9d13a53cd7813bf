#pragma once

// Finding the block that a test appended to the report file. The worker holds the report's
// write lock from before the download-started notification until after the finished one, so
// the file's size taken when that notification is posted is where the test's block begins.
#include <cstdint>
#include <optional>
#include <string>

// The size of the file at path; none when it cannot be read.
std::optional<std::uint64_t> FileSizeOf(const std::string& path);

// The block that starts at offset in the report file: its 12 lines with LF line ends (the file
// stores CR LF). None when the file holds no whole block there.
std::optional<std::string> ReadReportBlock(const std::string& path, std::uint64_t offset);

// The figure of the block's "Bytes Received: N." line.
std::optional<std::uint64_t> BytesReceivedOf(const std::string& block);
