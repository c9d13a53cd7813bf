#pragma once

// One HTTP request with a body, for handing results to servers of the user's own (a metrics
// gateway, a time-series database): sent whole, the answer's body dropped, bounded in time.
#include <chrono>
#include <string>
#include <vector>

struct HttpUpload {
    std::string method = "POST";  // or "PUT"
    std::string url;
    std::string contentType;
    std::string body;
    // Further request headers, "Name: value".
    std::vector<std::string> headers;
    // The longest the whole exchange may take, connecting included.
    std::chrono::milliseconds timeout{5000};
};

struct HttpUploadResult {
    bool delivered = false;  // the server answered 2xx
    long status = 0;         // the HTTP status; 0 when no answer came
    // When not delivered: what went wrong, in words (the server's status and the start of its
    // answer, or the transfer library's reason).
    std::string problem;
};

HttpUploadResult SendHttpUpload(const HttpUpload& upload);
