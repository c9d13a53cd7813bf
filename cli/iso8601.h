#pragma once

// Wall-clock times in ISO 8601 with the machine's local offset: "2026-12-08T17:05:09.123+01:00".
#include <chrono>
#include <string>

// Empty when the time cannot be converted to local time.
std::string Iso8601Local(std::chrono::system_clock::time_point time);
