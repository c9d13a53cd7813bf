// Reading a remote file: InternetReadFile, InternetQueryDataAvailable, InternetSetFilePointer,
// and InternetWriteFile, which no handle here is opened for.
#include "platform/internet/internet_read.h"

#include <memory>

#include "platform/internet/remote_file.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

BOOL result(DWORD error) {
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD bytesToRead, DWORD* bytesRead) {
    if (!bytesRead || (!buffer && bytesToRead > 0)) {
        return result(ERROR_INVALID_PARAMETER);
    }
    *bytesRead = 0;
    RemoteFile* const remote = findHandleQuicklyOf<RemoteFile>(file);
    if (!remote) {
        return FALSE;
    }
    return result(remote->read(buffer, bytesToRead, bytesRead));
}

BOOL InternetQueryDataAvailable(HINTERNET file, DWORD* bytesAvailable, DWORD /*flags*/,
                                DWORD_PTR /*context*/) {
    if (!bytesAvailable) {
        return result(ERROR_INVALID_PARAMETER);
    }
    *bytesAvailable = 0;
    RemoteFile* const remote = findHandleQuicklyOf<RemoteFile>(file);
    if (!remote) {
        return FALSE;
    }
    return result(remote->available(bytesAvailable));
}

DWORD InternetSetFilePointer(HINTERNET file, std::int32_t distanceToMove,
                             std::int32_t* distanceToMoveHigh, DWORD moveMethod,
                             DWORD_PTR /*context*/) {
    constexpr DWORD kFailed = 0xFFFFFFFF;
    const std::shared_ptr<RemoteFile> remote = findHandleOf<RemoteFile>(file);
    if (!remote) {
        return kFailed;
    }
    std::int64_t distance = distanceToMove;
    if (distanceToMoveHigh) {
        distance = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*distanceToMoveHigh)) << 32) |
            static_cast<std::uint32_t>(distanceToMove));
    }
    std::int64_t target = 0;
    switch (moveMethod) {
        case 0:  // FILE_BEGIN
            target = distance;
            break;
        case 1:  // FILE_CURRENT
            target = static_cast<std::int64_t>(remote->position()) + distance;
            break;
        default:
            // The end of a stream is not known before it has been read.
            SetLastError(ERROR_INTERNET_INVALID_OPERATION);
            return kFailed;
    }
    // The data is a stream: it can be skipped forward, never read again.
    if (target < static_cast<std::int64_t>(remote->position())) {
        SetLastError(ERROR_INTERNET_INVALID_OPERATION);
        return kFailed;
    }
    if (const DWORD error = remote->skipTo(static_cast<std::uint64_t>(target));
        error != ERROR_SUCCESS) {
        SetLastError(error);
        return kFailed;
    }
    const std::uint64_t position = remote->position();
    if (distanceToMoveHigh) {
        *distanceToMoveHigh = static_cast<std::int32_t>(position >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

BOOL InternetWriteFile(HINTERNET file, const void* /*buffer*/, DWORD /*bytesToWrite*/,
                       DWORD* bytesWritten) {
    if (bytesWritten) {
        *bytesWritten = 0;
    }
    if (!findHandle(file)) {
        return result(ERROR_INVALID_HANDLE);
    }
    // Every file here is opened for reading.
    return result(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
}
