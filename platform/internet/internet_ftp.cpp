// The FTP calls: InternetConnectA, FtpOpenFileA, FtpGetFileSize and the last reply.
#include "platform/internet/internet_ftp.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/internet/curl_options.h"
#include "platform/internet/ftp_connection.h"
#include "platform/internet/remote_file.h"
#include "platform/internet/request_url.h"
#include "platform/internet/session_handle.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

HINTERNET fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

bool hasControlCharacter(const char* text) {
    for (; text && *text; ++text) {
        if (static_cast<unsigned char>(*text) < 0x20) {
            return true;
        }
    }
    return false;
}

}  // namespace

HINTERNET InternetConnectA(HINTERNET session, const char* serverName, INTERNET_PORT serverPort,
                           const char* userName, const char* password, DWORD service,
                           DWORD /*flags*/, DWORD_PTR context) {
    const std::shared_ptr<SessionHandle> owner = findHandleOf<SessionHandle>(session);
    if (!owner) {
        return nullptr;
    }
    // Only FTP: nothing here opens requests on an HTTP connection.
    if (service != INTERNET_SERVICE_FTP || !serverName || !*serverName) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    // Names and credentials go into commands to the server: no line breaks in them.
    if (hasControlCharacter(serverName) || hasControlCharacter(userName) ||
        hasControlCharacter(password)) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    const std::string server(serverName);
    if (isReservedInvalidName(server)) {
        return fail(ERROR_INTERNET_NAME_NOT_RESOLVED);
    }
    const bool literalV6 = server.find(':') != std::string::npos && server.front() != '[';
    const INTERNET_PORT port = serverPort ? serverPort : INTERNET_DEFAULT_FTP_PORT;
    const std::string baseUrl =
        "ftp://" + (literalV6 ? "[" + server + "]" : server) + ":" + std::to_string(port) + "/";

    auto transfer = std::make_unique<CurlTransfer>();
    if (!transfer->valid()) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    CURL* easy = transfer->easy();
    applySessionSettings(easy, owner->settings());
    transfer->setProxy(proxyInEffect(owner->settings(), baseUrl));
    // Each command names the file exactly as given, relative to the login folder.
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (userName && *userName) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, userName);
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password ? password : "");
    }
    auto connection =
        std::make_shared<FtpConnection>(context, owner->timeouts(), std::move(transfer), baseUrl);
    if (const DWORD error = connection->login(); error != ERROR_SUCCESS) {
        return fail(error);
    }
    return addHandle(std::move(connection));
}

HINTERNET FtpOpenFileA(HINTERNET connection, const char* fileName, DWORD access, DWORD flags,
                       DWORD_PTR context) {
    const std::shared_ptr<FtpConnection> ftp = findHandleOf<FtpConnection>(connection);
    if (!ftp) {
        return nullptr;
    }
    if (!fileName || !*fileName || hasControlCharacter(fileName)) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if (access != GENERIC_READ) {
        return fail(ERROR_NOT_SUPPORTED);  // nothing here uploads
    }
    if (!ftp->claimFile()) {
        return fail(ERROR_FTP_TRANSFER_IN_PROGRESS);
    }
    const std::string url = ftp->fileUrl(fileName);
    // Asking for the size first finds a missing file now, as RETR would, without a transfer.
    std::int64_t size = -1;
    if (const DWORD error = ftp->querySize(url, &size); error != ERROR_SUCCESS) {
        ftp->releaseFile();
        return fail(error);
    }
    const bool ascii = (flags & 3) == FTP_TRANSFER_TYPE_ASCII;
    return addHandle(std::make_shared<RemoteFile>(context, ftp, url, ascii));
}

DWORD FtpGetFileSize(HINTERNET file, DWORD* fileSizeHigh) {
    constexpr DWORD kInvalidSize = 0xFFFFFFFF;
    const std::shared_ptr<RemoteFile> remote = findHandleOf<RemoteFile>(file);
    if (!remote) {
        return kInvalidSize;
    }
    if (!remote->isFtp()) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        return kInvalidSize;
    }
    std::int64_t size = -1;
    const DWORD error = remote->size(&size);
    if (error != ERROR_SUCCESS || size < 0) {
        // The server could not tell: its reply says why.
        SetLastError(error != ERROR_SUCCESS ? error : ERROR_INTERNET_EXTENDED_ERROR);
        if (fileSizeHigh) {
            *fileSizeHigh = 0;
        }
        return kInvalidSize;
    }
    SetLastError(ERROR_SUCCESS);
    if (fileSizeHigh) {
        *fileSizeHigh = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
    }
    return static_cast<DWORD>(size);
}

BOOL InternetGetLastResponseInfoA(DWORD* error, char* buffer, DWORD* bufferLength) {
    if (!error || !bufferLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ServerReply reply = lastServerReply();
    *error = reply.code;
    const DWORD needed = static_cast<DWORD>(reply.text.size()) + 1;
    if (!buffer || *bufferLength < needed) {
        *bufferLength = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, reply.text.c_str(), needed);
    *bufferLength = needed - 1;
    return TRUE;
}
