#pragma once

// The reference every download is measured against: the curl tool fetching the same URL.
#include <string>

#include "bench/common/child_run.h"

// `curl -s -f -o out url`; out is a file, or /dev/null to count the network side alone.
ChildRun RunCurl(const std::string& url, const std::string& out);

// The seconds `curl -s -f -o out url` took; out is removed afterwards. A failure of curl ends
// the benchmark.
double CurlSecondsToFile(const std::string& url, const std::string& out);
