#pragma once

// The failure of an Internet operation: the platform's error number as it stood when the
// failure was raised, and the context value of the session or file that raised it.
#include <string>

#include "framework/exception.h"
#include "platform/win_types.h"

class CInternetException : public CException {
public:
    explicit CInternetException(DWORD error, DWORD context = 1)
        : m_dwError(error), m_dwContext(context) {}

    const char* GetRuntimeClassName() const override { return "CInternetException"; }

    // The platform's text for the error; for ERROR_INTERNET_EXTENDED_ERROR the server's last
    // response. False, with an empty text, for a number that has no text.
    bool GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const override;

    DWORD m_dwError;
    DWORD m_dwContext;
    // The transfer library's own words for the failure when it was raised, if it had any
    // ("Could not resolve host: nosuch.invalid"): more than the platform's text tells.
    std::string m_strTransferDetail;
    // What else the transfer library knew then: the system's reason a connection failed
    // (errno, 0 for none), the proxy the transfer went through ("host:port", "" when direct)
    // and that proxy's HTTP status when it refused a tunnel (0 for none).
    int m_nSystemError = 0;
    std::string m_strProxy;
    DWORD m_dwProxyStatus = 0;
};

// Throws a new CInternetException; an error of 0 stands for the calling thread's last error,
// read at once.
[[noreturn]] void RaiseInternetError(DWORD context, DWORD error = 0);
