#pragma once

// Reading, and the other file operations, on a handle that a URL or an FTP file was opened as.
#include <cstdint>

#include "platform/internet/wininet_types.h"

BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD bytesToRead, DWORD* bytesRead);
BOOL InternetQueryDataAvailable(HINTERNET file, DWORD* bytesAvailable, DWORD flags,
                                DWORD_PTR context);
DWORD InternetSetFilePointer(HINTERNET file, std::int32_t distanceToMove,
                             std::int32_t* distanceToMoveHigh, DWORD moveMethod, DWORD_PTR context);
BOOL InternetWriteFile(HINTERNET file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten);
