#include "cli/iso8601.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

std::string Iso8601Local(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    // Whole seconds towards the past, so that a time before 1970 keeps positive milliseconds.
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(time - seconds).count();
    const std::time_t calendar = system_clock::to_time_t(seconds);
    std::tm local{};
    if (localtime_r(&calendar, &local) == nullptr) {
        return {};
    }
    const long offset = local.tm_gmtoff;
    const long offsetMinutes = std::labs(offset) / 60;
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lld%c%02ld:%02ld",
                      local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec, static_cast<long long>(milliseconds),
                      offset < 0 ? '-' : '+', offsetMinutes / 60, offsetMinutes % 60);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof text) {
        return {};
    }
    return text;
}
