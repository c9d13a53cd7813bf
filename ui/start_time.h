#pragma once

// A test's start as the history stores it ("2026-12-08T17:05:09.123Z", UTC), as the Results
// window places it on its time axis and shows it in its table.
#include <cstdint>
#include <optional>
#include <string_view>

#include <QString>

// Milliseconds since 1970-01-01T00:00:00Z; none for a text of any other form (an imported
// row whose report stamp could not be read has none).
std::optional<std::int64_t> UtcMilliseconds(std::string_view startUtc);

// "2026-12-08 18:05:09" in the machine's local time.
QString LocalStartText(std::int64_t utcMilliseconds);
