#pragma once

// Questions to an HTTP response about its status and headers.
#include "platform/internet/wininet_types.h"

// Numbers: HTTP_QUERY_FLAG_NUMBER into 4 bytes (false with ERROR_ARITHMETIC_OVERFLOW past
// 0xFFFFFFFF), HTTP_QUERY_FLAG_NUMBER64 into 8 bytes. Texts: *bufferLength gets the length
// without the NUL; too small a buffer gives false, error 122, and the size needed with it.
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* bufferLength,
                    DWORD* index);
