#include "bench/common/curl_reference.h"

#include <cstdio>
#include <cstdlib>

ChildRun RunCurl(const std::string& url, const std::string& out) {
    return RunChild({"curl", "-s", "-f", "-o", out, url});
}

ChildRun RunCurlOrExit(const std::string& url, const std::string& out) {
    const ChildRun run = RunCurl(url, out);
    if (!run.ok) {
        std::fprintf(stderr, "curl failed on %s\n", url.c_str());
        std::exit(2);
    }
    return run;
}
