#pragma once

#include "platform/win_types.h"

// Connect and receive time-outs in milliseconds, as the platform has them by default.
// 0 or 0xFFFFFFFF means no time-out.
struct InternetTimeouts {
    DWORD connectMs = 60000;
    DWORD receiveMs = 30000;
};

// The process-wide defaults that new sessions start from; InternetSetOptionA with a null
// handle changes them.
InternetTimeouts defaultInternetTimeouts();
void setDefaultConnectTimeout(DWORD milliseconds);
void setDefaultReceiveTimeout(DWORD milliseconds);
