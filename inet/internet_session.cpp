#include "inet/internet_session.h"

#include <string>

#include "framework/file_exception.h"
#include "framework/stdio_file.h"
#include "inet/internet_exception.h"
#include "inet/internet_file.h"
#include "inet/remote_file_choice.h"
#include "inet/service_type.h"
#include "inet/session_registry.h"
#include "inet/split_url.h"
#include "platform/internet/url_text.h"
#include "services/app_services.h"

namespace {

void RouteStatus(HINTERNET handle, DWORD_PTR context, DWORD status, void* statusInformation,
                 DWORD statusInformationLength) {
    if (CInternetSession* session = SessionRegistry::Find(handle)) {
        session->OnStatusCallback(context, status, statusInformation, statusInformationLength);
    }
}

// The local path a file URL's object names: the URL path with its escapes decoded.
std::string LocalPath(const std::string& object) {
    std::string path = UrlDecode(object);
    if (path.find('\0') != std::string::npos) {
        CFileException::Throw(CFileException::badPath, -1, path);
    }
    return path;
}

}  // namespace

CInternetSession::CInternetSession(const char* agent, DWORD context, DWORD accessType,
                                   const char* proxyName, const char* proxyBypass, DWORD flags)
    : m_dwContext(context) {
    if (agent == nullptr) {
        agent = ApplicationName().c_str();
    }
    m_hSession = InternetOpenA(agent, accessType, proxyName, proxyBypass, flags);
    if (m_hSession == nullptr) {
        RaiseInternetError(m_dwContext, 0);
    }
    SessionRegistry::Add(m_hSession, this);
}

CInternetSession::~CInternetSession() {
    CInternetSession::Close();
}

void CInternetSession::Close() {
    if (m_bCallbackEnabled) {
        if (m_hSession != nullptr) {
            InternetSetStatusCallback(m_hSession, nullptr);
        }
        m_bCallbackEnabled = false;
        m_pOldCallback = nullptr;
    }
    if (m_hSession != nullptr) {
        InternetCloseHandle(m_hSession);
        SessionRegistry::Remove(m_hSession);
        m_hSession = nullptr;
    }
}

void CInternetSession::OnStatusCallback(DWORD_PTR context, DWORD status, void* statusInformation,
                                        DWORD statusInformationLength) {
    if (m_pOldCallback != nullptr && m_pOldCallback != INTERNET_INVALID_STATUS_CALLBACK) {
        m_pOldCallback(m_hSession, context, status, statusInformation, statusInformationLength);
    }
}

void CInternetSession::EnableStatusCallback(bool enable) {
    if (enable == m_bCallbackEnabled) {
        return;
    }
    const INTERNET_STATUS_CALLBACK previous =
        InternetSetStatusCallback(m_hSession, enable ? RouteStatus : nullptr);
    if (previous == INTERNET_INVALID_STATUS_CALLBACK) {
        RaiseInternetError(m_dwContext, 0);
    }
    m_pOldCallback = enable ? previous : nullptr;
    m_bCallbackEnabled = enable;
}

CStdioFile* CInternetSession::OpenRemote(const char* url, DWORD context, DWORD flags,
                                         const char* headers, DWORD headersLength) {
    if (context == 1) {
        context = m_dwContext;
    }
    DWORD serviceType = ServiceUnknown;
    std::string server;
    std::string object;
    INTERNET_PORT port = 0;
    const bool parsed = SplitUrl(url, serviceType, server, object, port);

    if (parsed && serviceType == ServiceFile) {
        const UINT type =
            (flags & INTERNET_FLAG_TRANSFER_BINARY) ? CFile::typeBinary : CFile::typeText;
        return new CStdioFile(LocalPath(object), CFile::modeRead | type);
    }

    const HINTERNET handle =
        InternetOpenUrlA(m_hSession, url, headers, headersLength, flags, context);
    if (handle == nullptr) {
        RaiseInternetError(m_dwContext, 0);
    }
    if (!parsed) {
        serviceType = ServiceTypeOfHandle(handle);
    }
    CInternetFile* file = NewRemoteFile(serviceType, handle, object, server, context);
    if (file == nullptr) {
        // Nothing can read it: the handle is released at once rather than left open.
        InternetCloseHandle(handle);
        return nullptr;
    }
    SessionRegistry::Add(handle, this);
    return file;
}

DWORD ServiceTypeOfHandle(HINTERNET handle) {
    DWORD type = 0;
    DWORD length = sizeof(type);
    if (handle == nullptr ||
        !InternetQueryOptionA(handle, INTERNET_OPTION_HANDLE_TYPE, &type, &length)) {
        return ServiceUnknown;
    }
    return type;
}
