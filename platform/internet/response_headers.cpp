#include "platform/internet/response_headers.h"

#include <cctype>

namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

int statusOf(std::string_view statusLine) {
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos || statusLine.size() < space + 4) {
        return 0;
    }
    int status = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(statusLine[i]))) {
            return 0;
        }
        status = status * 10 + (statusLine[i] - '0');
    }
    return status;
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

std::optional<std::uint64_t> parseDecimal(std::string_view text) {
    text = trim(text);
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

void ResponseHeaders::addLine(std::string_view line) {
    if (complete_) {
        return;  // trailers of a chunked body
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    if (line.substr(0, 5) == "HTTP/") {
        block_.assign(1, std::string(line));
        return;
    }
    if (block_.empty()) {
        return;
    }
    if (!line.empty()) {
        block_.emplace_back(line);
        return;
    }
    // The end of a block: interim and followed blocks give way to the next one.
    status_ = statusOf(block_.front());
    const bool followed = isRedirect(status_) && value("Location").has_value();
    redirects_ += followed ? 1 : 0;
    complete_ = status_ >= 200 && !followed;
}

std::string ResponseHeaders::version() const {
    if (block_.empty()) {
        return "";
    }
    return block_.front().substr(0, block_.front().find(' '));
}

std::string ResponseHeaders::statusText() const {
    if (block_.empty()) {
        return "";
    }
    const std::string& line = block_.front();
    const std::size_t space = line.find(' ');
    const std::size_t text =
        space == std::string::npos ? std::string::npos : line.find(' ', space + 1);
    return text == std::string::npos ? "" : line.substr(text + 1);
}

std::optional<std::string> ResponseHeaders::value(std::string_view name, std::size_t index) const {
    for (std::size_t i = 1; i < block_.size(); ++i) {
        const std::string_view line = block_[i];
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !sameName(trim(line.substr(0, colon)), name)) {
            continue;
        }
        if (index-- == 0) {
            return std::string(trim(line.substr(colon + 1)));
        }
    }
    return std::nullopt;
}

std::string ResponseHeaders::rawText() const {
    std::string text;
    for (const std::string& line : block_) {
        text += line + "\r\n";
    }
    return text + "\r\n";
}
