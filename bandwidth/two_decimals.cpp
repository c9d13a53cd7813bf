#include "bandwidth/two_decimals.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

constexpr int significantDigits = 17;

// Adds one to the last digit of digits, carrying through nines; true when the carry ran
// out of the front (every digit was a nine, and all are now zeros).
bool RaiseLast(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    return true;
}

}  // namespace

std::string FormatTwoDecimals(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    std::string sign = std::signbit(value) ? "-" : "";
    value = std::fabs(value);
    if (value == 0) {
        return sign + "0.00";
    }

    // The exact decimal expansion: no double has more than 767 significant digits, so with
    // this precision nothing is rounded and the digit after the 17th is the true one.
    char exact[800];
    auto [end, ec] =
        std::to_chars(exact, exact + sizeof exact, value, std::chars_format::scientific, 780);
    if (ec != std::errc()) {
        return sign + "0.00";
    }
    std::string_view text(exact, end - exact);
    std::string_view::size_type e = text.find('e');
    int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    std::string digits(1, text[0]);
    digits.append(text.substr(2, significantDigits - 1));
    char next = text[2 + significantDigits - 1];

    // Round to 17 significant digits, halves up.
    if (next >= '5' && RaiseLast(digits)) {
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++exponent;
    }

    // The 17 digits stand for digits[0].digits[1..] x 10^exponent. Keep those down to the
    // second decimal and raise on the first digit cut off.
    int kept = exponent + 3;
    std::string whole;  // integer part followed by the two decimals, no point
    if (kept <= 0) {
        whole = (kept == 0 && digits[0] >= '5') ? "001" : "000";
    } else if (kept >= significantDigits) {
        whole = digits + std::string(kept - significantDigits, '0');
    } else {
        whole = digits.substr(0, kept);
        if (digits[kept] >= '5' && RaiseLast(whole)) {
            whole.insert(whole.begin(), '1');
        }
    }
    while (whole.size() < 3) {
        whole.insert(whole.begin(), '0');
    }
    return sign + whole.substr(0, whole.size() - 2) + "." + whole.substr(whole.size() - 2);
}
