// Handle options, closing and status callbacks.
#include "platform/internet/internet_options.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/internet/internet_handle.h"
#include "platform/internet/remote_file.h"
#include "platform/internet/transfer_error_text.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL giveDword(DWORD value, void* buffer, DWORD* bufferLength) {
    if (!bufferLength) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if (!buffer || *bufferLength < sizeof(DWORD)) {
        *bufferLength = sizeof(DWORD);
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, &value, sizeof value);
    *bufferLength = sizeof(DWORD);
    return TRUE;
}

// A text and its NUL; the length given back leaves the NUL out, or on a short buffer asks for
// room for it.
BOOL giveText(const std::string& text, void* buffer, DWORD* bufferLength) {
    if (!bufferLength) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    const auto needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || *bufferLength < needed) {
        *bufferLength = needed;
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, text.c_str(), needed);
    *bufferLength = needed - 1;
    return TRUE;
}

BOOL giveUrl(HINTERNET handle, void* buffer, DWORD* bufferLength) {
    const std::shared_ptr<RemoteFile> file = findHandleOf<RemoteFile>(handle);
    if (!file) {
        return FALSE;
    }
    const std::string url = file->effectiveUrl();
    if (url.empty()) {
        return fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    }
    return giveText(url, buffer, bufferLength);
}

BOOL givePeerAddress(HINTERNET handle, void* buffer, DWORD* bufferLength) {
    const std::shared_ptr<RemoteFile> file = findHandleOf<RemoteFile>(handle);
    if (!file) {
        return FALSE;
    }
    const std::string address = file->peerAddress();
    if (address.empty()) {
        return fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    }
    return giveText(address, buffer, bufferLength);
}

BOOL giveTimings(HINTERNET handle, void* buffer, DWORD* bufferLength) {
    const std::shared_ptr<RemoteFile> file = findHandleOf<RemoteFile>(handle);
    if (!file) {
        return FALSE;
    }
    if (!bufferLength) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if (!buffer || *bufferLength < sizeof(INTERNET_CONNECTION_TIMINGS)) {
        *bufferLength = sizeof(INTERNET_CONNECTION_TIMINGS);
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    INTERNET_CONNECTION_TIMINGS timings;
    if (!file->timings(&timings)) {
        return fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    }
    std::memcpy(buffer, &timings, sizeof timings);
    *bufferLength = sizeof timings;
    return TRUE;
}

BOOL giveDataSocket(HINTERNET handle, void* buffer, DWORD* bufferLength) {
    if (!bufferLength) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    if (!buffer || *bufferLength < sizeof(int)) {
        *bufferLength = sizeof(int);
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    const std::shared_ptr<RemoteFile> file = findHandleOf<RemoteFile>(handle);
    if (!file) {
        return FALSE;
    }
    const int socket = file->duplicateSocket();
    if (socket < 0) {
        return fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    }
    std::memcpy(buffer, &socket, sizeof socket);
    *bufferLength = sizeof socket;
    return TRUE;
}

}  // namespace

BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD* bufferLength) {
    if (option == INTERNET_OPTION_PEER_ADDRESS) {
        return givePeerAddress(handle, buffer, bufferLength);
    }
    if (option == INTERNET_OPTION_CONNECTION_TIMINGS) {
        return giveTimings(handle, buffer, bufferLength);
    }
    if (option == INTERNET_OPTION_URL) {
        return giveUrl(handle, buffer, bufferLength);
    }
    if (option == INTERNET_OPTION_TRANSFER_ERROR_TEXT ||
        option == INTERNET_OPTION_TRANSFER_SYSTEM_ERROR ||
        option == INTERNET_OPTION_TRANSFER_PROXY ||
        option == INTERNET_OPTION_TRANSFER_PROXY_STATUS) {
        if (handle) {
            return fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        }
        const TransferFailure& last = lastTransferFailure();
        switch (option) {
            case INTERNET_OPTION_TRANSFER_ERROR_TEXT:
                return giveText(last.text, buffer, bufferLength);
            case INTERNET_OPTION_TRANSFER_PROXY:
                return giveText(last.proxy, buffer, bufferLength);
            case INTERNET_OPTION_TRANSFER_SYSTEM_ERROR:
                return giveDword(static_cast<DWORD>(last.systemError), buffer, bufferLength);
            default:
                return giveDword(static_cast<DWORD>(last.proxyStatus), buffer, bufferLength);
        }
    }
    if (option == INTERNET_OPTION_DATA_SOCKET) {
        return giveDataSocket(handle, buffer, bufferLength);
    }
    if (option != INTERNET_OPTION_HANDLE_TYPE && option != INTERNET_OPTION_CONNECT_TIMEOUT &&
        option != INTERNET_OPTION_RECEIVE_TIMEOUT) {
        return fail(ERROR_INTERNET_INVALID_OPTION);
    }
    std::shared_ptr<InternetHandle> found;
    if (handle || option == INTERNET_OPTION_HANDLE_TYPE) {
        found = findHandle(handle);
        if (!found) {
            return fail(ERROR_INVALID_HANDLE);
        }
    }
    const InternetTimeouts timeouts = found ? found->timeouts() : defaultInternetTimeouts();
    switch (option) {
        case INTERNET_OPTION_HANDLE_TYPE:
            return giveDword(found->type(), buffer, bufferLength);
        case INTERNET_OPTION_CONNECT_TIMEOUT:
            return giveDword(timeouts.connectMs, buffer, bufferLength);
        default:
            return giveDword(timeouts.receiveMs, buffer, bufferLength);
    }
}

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD bufferLength) {
    if (option != INTERNET_OPTION_CONNECT_TIMEOUT && option != INTERNET_OPTION_RECEIVE_TIMEOUT) {
        return fail(ERROR_INTERNET_INVALID_OPTION);
    }
    if (!buffer || bufferLength < sizeof(DWORD)) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    DWORD milliseconds = 0;
    std::memcpy(&milliseconds, buffer, sizeof milliseconds);
    const bool connect = option == INTERNET_OPTION_CONNECT_TIMEOUT;
    if (!handle) {
        // The process-wide defaults that sessions opened from now on start from.
        connect ? setDefaultConnectTimeout(milliseconds) : setDefaultReceiveTimeout(milliseconds);
        return TRUE;
    }
    const std::shared_ptr<InternetHandle> found = findHandle(handle);
    if (!found) {
        return fail(ERROR_INVALID_HANDLE);
    }
    // Takes effect for the transfers begun through the handle from now on.
    connect ? found->setConnectTimeout(milliseconds) : found->setReceiveTimeout(milliseconds);
    return TRUE;
}

BOOL InternetCloseHandle(HINTERNET handle) {
    const std::shared_ptr<InternetHandle> removed = removeHandle(handle);
    if (!removed) {
        return fail(ERROR_INVALID_HANDLE);
    }
    removed->close();
    return TRUE;
}

INTERNET_STATUS_CALLBACK InternetSetStatusCallback(HINTERNET handle,
                                                   INTERNET_STATUS_CALLBACK callback) {
    const std::shared_ptr<InternetHandle> found = findHandle(handle);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INTERNET_INVALID_STATUS_CALLBACK;
    }
    return found->exchangeStatusCallback(callback);
}
