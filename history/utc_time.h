#pragma once

// Times as the history stores them: UTC in ISO 8601 with milliseconds, which sort as text.
#include <chrono>
#include <ctime>
#include <string>

// "2026-12-08T17:05:09.123Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point time);
// The same for a calendar time in whole seconds: "2026-12-08T17:05:09.000Z".
std::string UtcTimestamp(std::time_t time);
