#include "ui/start_time.h"

#include <chrono>

#include <QDateTime>

namespace {

// The number in text[from, from + count), all decimal digits; none otherwise.
std::optional<int> Digits(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<std::int64_t> UtcMilliseconds(std::string_view startUtc) {
    // Read by hand: a window opening on a hundred thousand rows cannot afford a general
    // date parser for each.
    constexpr std::string_view Shape = "0000-00-00T00:00:00.000Z";
    if (startUtc.size() != Shape.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < Shape.size(); ++i) {
        if (Shape[i] != '0' && startUtc[i] != Shape[i]) {
            return std::nullopt;
        }
    }
    const auto year = Digits(startUtc, 0, 4);
    const auto month = Digits(startUtc, 5, 2);
    const auto day = Digits(startUtc, 8, 2);
    const auto hour = Digits(startUtc, 11, 2);
    const auto minute = Digits(startUtc, 14, 2);
    const auto second = Digits(startUtc, 17, 2);
    const auto millisecond = Digits(startUtc, 20, 3);
    if (!year || !month || !day || !hour || !minute || !second || !millisecond || *hour > 23 ||
        *minute > 59 || *second > 60) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(*year),
                                           std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    const std::chrono::sys_days days{date};
    const auto time = days + std::chrono::hours(*hour) + std::chrono::minutes(*minute) +
                      std::chrono::seconds(*second) + std::chrono::milliseconds(*millisecond);
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

QString LocalStartText(std::int64_t utcMilliseconds) {
    return QDateTime::fromMSecsSinceEpoch(utcMilliseconds)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
