#pragma once

// One session of the platform's Internet client, for the life of one test: it opens URLs
// and hands back the file to read them through. Construction raises CInternetException when
// the platform refuses the session.
#include "framework/object.h"
#include "platform/internet/wininet.h"

class CStdioFile;

class CInternetSession : public CObject {
public:
    // No agent: the application's name is the agent.
    explicit CInternetSession(const char* agent = nullptr, DWORD context = 1,
                              DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG,
                              const char* proxyName = nullptr, const char* proxyBypass = nullptr,
                              DWORD flags = 0);
    ~CInternetSession() override;

    const char* GetRuntimeClassName() const override { return "CInternetSession"; }

    // Closes the session handle; does nothing when it is closed.
    virtual void Close();

    // Receives the status notifications of the session's handles once they are enabled; by
    // default hands them, with the session handle, to the callback that was there before.
    virtual void OnStatusCallback(DWORD_PTR context, DWORD status, void* statusInformation,
                                  DWORD statusInformationLength);

    // Opens url and returns a new file owned by the caller, who closes and destroys it
    // before the session: a CHttpFile (http, https), a CInternetFile (ftp), a CGopherFile
    // (gopher), a local CStdioFile for a file URL (binary when flags carry
    // INTERNET_FLAG_TRANSFER_BINARY), or nullptr when the opened resource has no file class.
    // A context of 1 stands for the session's. The url and flags reach the platform
    // unchanged. Raises CInternetException (with the session's context) when the platform
    // cannot open the URL, CFileException when a file URL's file cannot be opened.
    CStdioFile* OpenRemote(const char* url, DWORD context = 1,
                           DWORD flags = INTERNET_FLAG_TRANSFER_ASCII,
                           const char* headers = nullptr, DWORD headersLength = 0);

    // Installs (or removes) the routing of status notifications; raises when the platform
    // refuses the callback.
    void EnableStatusCallback(bool enable = true);

    HINTERNET GetSessionHandle() const { return m_hSession; }
    DWORD GetContext() const { return m_dwContext; }

private:
    DWORD m_dwContext;
    HINTERNET m_hSession = nullptr;
    INTERNET_STATUS_CALLBACK m_pOldCallback = nullptr;
    bool m_bCallbackEnabled = false;
};

// The platform's type number of an open handle (INTERNET_HANDLE_TYPE_*), or ServiceUnknown
// when the handle is absent or its type cannot be queried.
DWORD ServiceTypeOfHandle(HINTERNET handle);
