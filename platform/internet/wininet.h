#pragma once

// The Internet client calls the program makes, with the platform's names, constants and
// error numbers, implemented over libcurl. Every call is synchronous and sets the calling
// thread's last error (GetLastError) when it fails.
#include "platform/internet/http_query_info.h"
#include "platform/internet/internet_ftp.h"
#include "platform/internet/internet_open.h"
#include "platform/internet/internet_options.h"
#include "platform/internet/internet_read.h"
#include "platform/internet/url_canonicalize.h"
#include "platform/internet/url_crack.h"
#include "platform/internet/wininet_types.h"
