#include "bandwidth/ftp_size_probe.h"

#include "inet/internet_failure_text.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"
#include "platform/message_box.h"
#include "services/app_services.h"

namespace {

void CloseIfOpen(HINTERNET handle) {
    if (handle != nullptr) {
        InternetCloseHandle(handle);
    }
}

// The first box names what failed in words; the second gives the server's own reply.
void ShowConnectFailure(const std::string& cause) {
    MessageBoxA(nullptr, ("InternetConnect Fails: " + cause + "\n").c_str(), "Error", MB_OK);

    char response[255] = {};
    DWORD error = 0;
    DWORD length = sizeof response;
    if (!InternetGetLastResponseInfoA(&error, response, &length)) {
        response[0] = '\0';
    }
    response[sizeof response - 1] = '\0';
    ApplicationMessageBox(std::string("Internet Error: ") + response, MB_OK);
}

std::uint64_t FileSize(HINTERNET file) {
    if (file == nullptr) {
        return kFtpSizeUnknown;
    }
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD low = FtpGetFileSize(file, &high);
    if (low == 0xFFFFFFFF && GetLastError() != ERROR_SUCCESS) {
        return kFtpSizeUnknown;
    }
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace

FtpProbeResult ProbeFtpSize(const FtpProbeTarget& target,
                            const std::function<bool()>& stopRequested, std::uint64_t& size,
                            std::string& cause) {
    HINTERNET internet = InternetOpenA("Corvanite", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                       INTERNET_FLAG_ASYNC);
    if (internet == nullptr) {
        ApplicationMessageBox("InternetOpen Fails!", MB_OK);
    }

    // The server the download already speaks to, where it listens, with the account the
    // download logs in with: a server that refuses anonymous login answers it too.
    const INTERNET_PORT serverPort = target.port != 0 ? target.port : INTERNET_DEFAULT_FTP_PORT;
    const bool named = !target.user.empty();
    HINTERNET connection = internet == nullptr
                               ? nullptr
                               : InternetConnectA(internet, target.server.c_str(), serverPort,
                                                  named ? target.user.c_str() : nullptr,
                                                  named ? target.password.c_str() : nullptr,
                                                  INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    if (connection == nullptr) {
        if (internet == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
        }
        cause = InternetFailureText(LastInternetFailure(0, target.server, serverPort));
        ShowConnectFailure(cause);
        CloseIfOpen(internet);
        return FtpProbeResult::ConnectFailed;
    }

    if (stopRequested()) {
        InternetCloseHandle(connection);
        InternetCloseHandle(internet);
        return FtpProbeResult::Stopped;
    }

    HINTERNET file =
        FtpOpenFileA(connection, target.object.c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0);
    size = FileSize(file);

    CloseIfOpen(file);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return FtpProbeResult::Sized;
}
