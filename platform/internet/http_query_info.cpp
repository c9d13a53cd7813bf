// HttpQueryInfoA: answers from the final response's headers.
#include "platform/internet/http_query_info.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "platform/internet/remote_file.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

const char* headerName(DWORD level) {
    switch (level) {
        case HTTP_QUERY_CONTENT_TYPE:
            return "Content-Type";
        case HTTP_QUERY_CONTENT_LENGTH:
            return "Content-Length";
        case HTTP_QUERY_DATE:
            return "Date";
        case HTTP_QUERY_LAST_MODIFIED:
            return "Last-Modified";
        case HTTP_QUERY_LOCATION:
            return "Location";
        case HTTP_QUERY_SERVER:
            return "Server";
        default:
            return nullptr;
    }
}

std::optional<std::string> lookUp(const ResponseHeaders& headers, DWORD level, DWORD index) {
    if (const char* name = headerName(level)) {
        return headers.value(name, index);
    }
    if (index > 0) {
        return std::nullopt;  // the status line's parts and the whole block occur once
    }
    switch (level) {
        case HTTP_QUERY_STATUS_CODE:
            return std::to_string(headers.statusCode());
        case HTTP_QUERY_STATUS_TEXT:
            return headers.statusText();
        case HTTP_QUERY_VERSION:
            return headers.version();
        case HTTP_QUERY_RAW_HEADERS_CRLF:
            return headers.rawText();
        default:
            return std::nullopt;
    }
}

BOOL giveNumber(std::uint64_t value, std::size_t width, void* buffer, DWORD* bufferLength) {
    if (!buffer || *bufferLength < width) {
        *bufferLength = static_cast<DWORD>(width);
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (width == sizeof(DWORD)) {
        if (value > 0xFFFFFFFFu) {
            // Never a wrapped number: a length past 4 GiB needs the 64-bit form.
            return fail(ERROR_ARITHMETIC_OVERFLOW);
        }
        const DWORD narrow = static_cast<DWORD>(value);
        std::memcpy(buffer, &narrow, sizeof narrow);
    } else {
        std::memcpy(buffer, &value, sizeof value);
    }
    *bufferLength = static_cast<DWORD>(width);
    return TRUE;
}

BOOL giveText(const std::string& text, void* buffer, DWORD* bufferLength) {
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || *bufferLength < needed) {
        *bufferLength = needed;
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, text.c_str(), needed);
    *bufferLength = needed - 1;
    return TRUE;
}

}  // namespace

BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* bufferLength,
                    DWORD* index) {
    if (!bufferLength) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    const std::shared_ptr<RemoteFile> file = findHandleOf<RemoteFile>(request);
    if (!file) {
        return FALSE;
    }
    if (!file->isHttp()) {
        return fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    }
    const DWORD modifiers = infoLevel & HTTP_QUERY_MODIFIER_FLAGS_MASK;
    const bool number = modifiers == HTTP_QUERY_FLAG_NUMBER;
    const bool number64 = modifiers == HTTP_QUERY_FLAG_NUMBER64;
    if (modifiers != 0 && !number && !number64) {
        return fail(ERROR_INVALID_PARAMETER);  // request headers, times, coalescing: not kept
    }
    const DWORD occurrence = index ? *index : 0;
    const std::optional<std::string> value =
        lookUp(file->headers(), infoLevel & HTTP_QUERY_HEADER_MASK, occurrence);
    if (!value) {
        return fail(ERROR_HTTP_HEADER_NOT_FOUND);
    }
    BOOL ok = FALSE;
    if (number || number64) {
        const std::optional<std::uint64_t> parsed = parseDecimal(*value);
        if (!parsed) {
            return fail(ERROR_HTTP_INVALID_HEADER);
        }
        ok = giveNumber(*parsed, number ? sizeof(DWORD) : sizeof(std::uint64_t), buffer,
                        bufferLength);
    } else {
        ok = giveText(*value, buffer, bufferLength);
    }
    if (ok && index) {
        *index = occurrence + 1;
    }
    return ok;
}
