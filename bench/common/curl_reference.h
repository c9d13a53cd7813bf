#pragma once

// The reference every download is measured against: the curl tool fetching the same URL.
#include <string>

#include "bench/common/child_run.h"

// `curl -s -f -o out url`; out is a file, or /dev/null to count the network side alone.
ChildRun RunCurl(const std::string& url, const std::string& out);

// The same; a failure of curl ends the benchmark. The file written stays for the next
// ResetWrittenFiles.
ChildRun RunCurlOrExit(const std::string& url, const std::string& out);
