#include "platform/internet/internet_timeouts.h"

#include <atomic>

namespace {
std::atomic<DWORD> connectDefault{InternetTimeouts{}.connectMs};
std::atomic<DWORD> receiveDefault{InternetTimeouts{}.receiveMs};
}  // namespace

InternetTimeouts defaultInternetTimeouts() {
    return InternetTimeouts{connectDefault.load(), receiveDefault.load()};
}

void setDefaultConnectTimeout(DWORD milliseconds) {
    connectDefault = milliseconds;
}

void setDefaultReceiveTimeout(DWORD milliseconds) {
    receiveDefault = milliseconds;
}
