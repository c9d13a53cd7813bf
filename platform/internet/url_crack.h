#pragma once

// Splitting a URL into its components.
#include "platform/internet/wininet_types.h"

BOOL InternetCrackUrlA(const char* url, DWORD urlLength, DWORD flags, URL_COMPONENTSA* components);
