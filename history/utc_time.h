#pragma once

// Times as the history stores them: UTC in ISO 8601 with milliseconds, which sort as text.
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

// "2026-12-08T17:05:09.123Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point time);
// The same for a calendar time in whole seconds: "2026-12-08T17:05:09.000Z".
std::string UtcTimestamp(std::time_t time);
// The time a stamp of the history's names, in milliseconds since 1970; none for any other text.
std::optional<std::int64_t> MillisecondsOfUtcTimestamp(const std::string& stamp);
