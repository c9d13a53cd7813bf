#pragma once

// Opening a session and a URL through it.
#include "platform/internet/wininet_types.h"

HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxy,
                        const char* proxyBypass, DWORD flags);
HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char* headers,
                           DWORD headersLength, DWORD flags, DWORD_PTR context);
