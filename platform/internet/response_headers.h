#pragma once

// The HTTP response header blocks of one request, fed line by line as libcurl passes them.
// Interim blocks (1xx) and redirects that are followed are passed over; the first other
// block is the response whose headers the queries answer from.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ResponseHeaders {
public:
    void addLine(std::string_view line);

    // The final block has arrived.
    bool complete() const { return complete_; }
    // A redirect was seen (a failure then belongs to following it).
    bool redirected() const { return redirects_ > 0; }
    int redirects() const { return redirects_; }

    int statusCode() const { return status_; }
    // "HTTP/1.1 200 OK" -> "HTTP/1.1", "OK".
    std::string version() const;
    std::string statusText() const;
    // The value of the index-th header of that name (case-insensitive), if there is one.
    std::optional<std::string> value(std::string_view name, std::size_t index = 0) const;
    // Status line and headers, each ended by CR LF, then the empty line.
    std::string rawText() const;

private:
    std::vector<std::string> block_;
    bool complete_ = false;
    int redirects_ = 0;
    int status_ = 0;
};

// A decimal number that fits in 64 bits, with nothing else but blanks around it.
std::optional<std::uint64_t> parseDecimal(std::string_view text);
