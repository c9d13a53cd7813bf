#include "history/utc_time.h"

#include <cstdio>

namespace {

std::string Format(std::time_t seconds, long long milliseconds) {
    std::tm utc{};
    if (::gmtime_r(&seconds, &utc) == nullptr) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lldZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, milliseconds);
    return text;
}

}  // namespace

std::string UtcTimestamp(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch =
        std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch()).count();
    // Floored, so that a time before 1970 keeps milliseconds from 0 to 999.
    long long seconds = sinceEpoch / 1000;
    long long milliseconds = sinceEpoch % 1000;
    if (milliseconds < 0) {
        milliseconds += 1000;
        --seconds;
    }
    return Format(static_cast<std::time_t>(seconds), milliseconds);
}

std::string UtcTimestamp(std::time_t time) {
    return Format(time, 0);
}

std::optional<std::int64_t> MillisecondsOfUtcTimestamp(const std::string& stamp) {
    std::tm utc{};
    int milliseconds = 0;
    int consumed = 0;
    if (std::sscanf(stamp.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ%n", &utc.tm_year, &utc.tm_mon,
                    &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &milliseconds,
                    &consumed) != 7 ||
        static_cast<std::size_t>(consumed) != stamp.size()) {
        return std::nullopt;
    }
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    const std::time_t seconds = ::timegm(&utc);
    return static_cast<std::int64_t>(seconds) * 1000 + milliseconds;
}
