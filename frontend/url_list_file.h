#pragma once

// The optional list of test URLs beside the executable: one URL per line.
#include <optional>
#include <string>
#include <vector>

// The entries of the list file at path, in file order: every non-empty line exactly as
// written, without its line end (LF, or CR LF). Nothing when the file cannot be opened for
// reading with others kept from writing it (absent, locked by a writer, not readable).
std::optional<std::vector<std::string>> ReadUrlListFile(const std::string& path);
