#include "inet/remote_file_choice.h"

#include "inet/gopher_file.h"
#include "inet/http_file.h"
#include "inet/internet_file.h"
#include "inet/service_type.h"

CInternetFile* NewRemoteFile(DWORD serviceOrHandleType, HINTERNET handle, const std::string& object,
                             const std::string& server, DWORD context) {
    switch (serviceOrHandleType) {
        case ServiceFtp:
        case INTERNET_HANDLE_TYPE_FTP_FILE:
            return new CInternetFile(handle, object, server, context, true);
        case ServiceGopher:
        case INTERNET_HANDLE_TYPE_GOPHER_FILE:
            return new CGopherFile(handle, "", context, true);
        case ServiceHttp:
        case INTERNET_HANDLE_TYPE_HTTP_REQUEST:
        case ServiceHttps:
            return new CHttpFile(handle, object, server, "GET", context, true);
        default:
            return nullptr;
    }
}
