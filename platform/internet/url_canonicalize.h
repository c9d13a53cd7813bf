#pragma once

// URL canonicalisation in the browser mode of the platform: unsafe characters percent-encoded, dot
// segments removed, the query and fragment left as written.
#include "platform/internet/wininet_types.h"

BOOL InternetCanonicalizeUrlA(const char* url, char* buffer, DWORD* bufferLength, DWORD flags);
