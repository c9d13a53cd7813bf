#include "inet/internet_exception.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "inet/internet_error_messages.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

// The server's last response on this thread, "" when there is none.
std::string LastResponse() {
    DWORD error = 0;
    DWORD length = 0;
    if (InternetGetLastResponseInfoA(&error, nullptr, &length) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || length == 0) {
        return {};
    }
    // One more than asked for, so that the text ends in a terminator whatever the count.
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    DWORD size = length + 1;
    if (!InternetGetLastResponseInfoA(&error, buffer.data(), &size)) {
        return {};
    }
    return buffer.data();
}

// The transfer library's words for the thread's last failed transfer, "" when there are none.
std::string TransferDetail() {
    DWORD length = 0;
    if (InternetQueryOptionA(nullptr, INTERNET_OPTION_TRANSFER_ERROR_TEXT, nullptr, &length) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= 1) {
        return {};
    }
    std::vector<char> buffer(length, '\0');
    if (!InternetQueryOptionA(nullptr, INTERNET_OPTION_TRANSFER_ERROR_TEXT, buffer.data(),
                              &length)) {
        return {};
    }
    return std::string(buffer.data(), length);
}

}  // namespace

bool CInternetException::GetErrorMessage(char* text, UINT maxChars, UINT* helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (text == nullptr || maxChars == 0) {
        return false;
    }
    const char* message = InternetErrorMessage(m_dwError);
    if (message == nullptr) {
        text[0] = '\0';
        return false;
    }
    std::string result = message;
    if (m_dwError == ERROR_INTERNET_EXTENDED_ERROR) {
        // The reason is in what the server said; without a response the fixed text stays.
        std::string response = LastResponse();
        if (!response.empty()) {
            result = std::move(response);
        }
    }
    const std::size_t n = std::min<std::size_t>(result.size(), maxChars - 1);
    std::memcpy(text, result.data(), n);
    text[n] = '\0';
    return true;
}

void RaiseInternetError(DWORD context, DWORD error) {
    if (error == 0) {
        error = GetLastError();
    }
    auto* exception = new CInternetException(error, context);
    exception->m_strTransferDetail = TransferDetail();
    throw exception;
}
