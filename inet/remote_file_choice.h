#pragma once

// Which remote file class serves an open URL. Service types and the platform's handle types
// share this one choice: 1 or 7 (ftp, the FTP-file handle) make a CInternetFile, 2 or 11
// (gopher, the gopher-file handle) a CGopherFile, 3, 13 or 0x100B (http, the HTTP-request
// handle, https) a CHttpFile.
#include <string>

#include "platform/internet/wininet.h"

class CInternetFile;

// A new file in read mode over handle, or nullptr when the value has no file class (the
// handle is then left to the caller).
CInternetFile* NewRemoteFile(DWORD serviceOrHandleType, HINTERNET handle, const std::string& object,
                             const std::string& server, DWORD context);
