#pragma once

// Reading back the block that a test appended to the report file, from where the test's ending
// says it begins.
#include <cstdint>
#include <optional>
#include <string>

// The block that starts at offset in the report file: its 12 lines with LF line ends (the file
// stores CR LF). None when the file holds no whole block there.
std::optional<std::string> ReadReportBlock(const std::string& path, std::uint64_t offset);

// The figure of the block's "Bytes Received: N." line.
std::optional<std::uint64_t> BytesReceivedOf(const std::string& block);
