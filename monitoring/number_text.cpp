#include "monitoring/number_text.h"

#include <charconv>
#include <cmath>

std::string ShortestNumberText(double value) {
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

std::string IntegerText(double value) {
    return std::to_string(std::llround(value));
}
