#pragma once

// The kind of Internet service a URL names. The three classic services keep the platform's
// service numbers; every other kind lives from 0x1000 upward, 0x1000 itself being a service
// that is not recognised (and the value after any failed parse).
#include "platform/win_types.h"

constexpr DWORD ServiceFtp = 1;
constexpr DWORD ServiceGopher = 2;
constexpr DWORD ServiceHttp = 3;
constexpr DWORD ServiceUnknown = 0x1000;
constexpr DWORD ServiceFile = 0x1001;
constexpr DWORD ServiceMailto = 0x1002;
constexpr DWORD ServiceNews = 0x1006;
constexpr DWORD ServiceHttps = 0x100B;
