#include "inet/internet_exception.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "inet/internet_error_messages.h"
#include "inet/internet_failure_text.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

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
        std::string response = LastServerResponse();
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
    const InternetFailure last = LastInternetFailure(error, {}, 0);
    exception->m_strTransferDetail = last.detail;
    exception->m_nSystemError = last.systemError;
    exception->m_strProxy = last.proxy;
    exception->m_dwProxyStatus = last.proxyStatus;
    throw exception;
}
