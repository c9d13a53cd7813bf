#pragma once

// A history of many rows for the benchmarks, written in one transaction as a long use of the
// program would have left it.
#include <string>

// Creates the history at path with count rows over 20 URLs, a test a minute apart, newest last.
// False when it cannot be written.
bool FillHistory(const std::string& path, int count);
