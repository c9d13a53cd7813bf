#include "inet/http_file.h"

#include "platform/last_error.h"

CHttpFile::CHttpFile(HINTERNET file, const std::string& object, const std::string& serverName,
                     const std::string& verb, DWORD context, bool readMode, HINTERNET connection)
    : CInternetFile(file, object, serverName, context, readMode, connection),
      m_strObject(object),
      m_strVerb(verb) {}

bool CHttpFile::QueryHeader(DWORD infoLevel, void* buffer, DWORD* bufferLength,
                            DWORD* index) const {
    if (m_hInternet == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return HttpQueryInfoA(m_hInternet, infoLevel, buffer, bufferLength, index) != FALSE;
}

std::string CHttpFile::FileUrlText() const {
    std::string url = "http://";
    if (m_hConnection != nullptr) {
        url += m_strServerName;
        if (!m_strObject.empty() && m_strObject[0] != '/' && m_strObject[0] != '\\') {
            url += '/';
        }
        url += m_strObject;
    }
    return url;
}
