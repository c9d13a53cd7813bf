#pragma once

// A remote file over HTTP or HTTPS: the response's body, and its headers on request.
#include <string>

#include "inet/internet_file.h"

class CHttpFile : public CInternetFile {
public:
    CHttpFile(HINTERNET file, const std::string& object, const std::string& serverName,
              const std::string& verb, DWORD context, bool readMode = true,
              HINTERNET connection = nullptr);

    const char* GetRuntimeClassName() const override { return "CHttpFile"; }

    // One HttpQueryInfoA on the file's handle with these arguments, its result as it comes:
    // a missing header or any other failure is false, never an exception.
    bool QueryHeader(DWORD infoLevel, void* buffer, DWORD* bufferLength,
                     DWORD* index = nullptr) const;

    // "http://", then the server name and the object when the file came through a server
    // connection.
    virtual std::string FileUrlText() const;

    const std::string& GetObject() const { return m_strObject; }
    const std::string& GetVerb() const { return m_strVerb; }

protected:
    std::string m_strObject;
    std::string m_strVerb;
};
