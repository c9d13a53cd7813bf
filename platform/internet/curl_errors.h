#pragma once

#include <curl/curl.h>

#include "platform/win_types.h"

// The platform's error number for a failed transfer. detail is libcurl's error text (may be
// empty); afterRedirect tells that the failure came while following a redirect.
DWORD internetErrorFromCurl(CURLcode code, const char* detail, bool afterRedirect);
