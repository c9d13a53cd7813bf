#pragma once

// Options, status callbacks and closing, for every kind of handle.
#include "platform/internet/wininet_types.h"

BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD* bufferLength);
BOOL InternetSetOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD bufferLength);
BOOL InternetCloseHandle(HINTERNET handle);
INTERNET_STATUS_CALLBACK InternetSetStatusCallback(HINTERNET handle,
                                                   INTERNET_STATUS_CALLBACK callback);
