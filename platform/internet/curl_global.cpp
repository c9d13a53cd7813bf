#include "platform/internet/curl_global.h"

#include <mutex>

#include <curl/curl.h>

void ensureCurlInitialized() {
    static std::once_flag once;
    // Never cleaned up: handles may outlive any point at which that would be safe.
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}
