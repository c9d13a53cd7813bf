#include "bandwidth/two_decimals.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

struct Case {
    double value;
    const char* shown;
};

void PrintTo(const Case& c, std::ostream* os) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g -> %s", c.value, c.shown);
    *os << text;
}

const Case cases[] = {
    {0.0, "0.00"},
    {1.125, "1.13"},  // an exact half is raised
    {2.675, "2.67"},  // stored just below the half
    {0.125, "0.13"},
    {0.005, "0.01"},  // stored just above the half
    {0.015, "0.01"},  // stored below the half, not within 17 digits of it
    {1.005, "1.00"},  // 1.00499999999999989...: 1.0049999999999999 in 17 digits
    {0.995, "1.00"},  // 0.99499999999999999556: 17 digits carry through the nines
    {0.155, "0.16"},  // 0.15499999999999999889: likewise
    {0.105, "0.11"},
    {999.995, "1000.00"},  // stored as 999.99500000000000455
    {99.995, "100.00"},
    {9.999, "10.00"},
    {0.004, "0.00"},
    {0.0049999999999999, "0.00"},
    {1e-300, "0.00"},
    {0.3333333333333333, "0.33"},
    {120.56318359375, "120.56"},
    {964.50546875, "964.51"},
    {1205.6318359375, "1205.63"},
    {9645.0546875, "9645.05"},
    {4194303.9990234375, "4194304.00"},
    {33554431.9921875, "33554431.99"},
    {699050.666015625, "699050.67"},
    {5592405.328125, "5592405.33"},
    {1e14 + 0.125, "100000000000000.13"},   // the half is the 18th digit: raised
    {1e15 + 0.125, "1000000000000000.10"},  // 17 digits keep one decimal: .1
    {1e15 + 0.375, "1000000000000000.40"},
    {9999999999999998.0, "9999999999999998.00"},
    {99999999999999999.0, "100000000000000000.00"},      // stored as 1e17
    {std::ldexp(1.0, 70), "1180591620717411300000.00"},  // digits past the 17th are zeros
    {-1.125, "-1.13"},
};

class TwoDecimals : public ::testing::TestWithParam<Case> {};

TEST_P(TwoDecimals, Shows) {
    const Case& c = GetParam();
    EXPECT_EQ(FormatTwoDecimals(c.value), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Table, TwoDecimals, ::testing::ValuesIn(cases));

TEST(TwoDecimalsHuge, KeepsSeventeenDigitsAndPadsWithZeros) {
    // 1e300 is stored as 1.00000000000000005250...e300: the 18th digit is a 5.
    EXPECT_EQ(FormatTwoDecimals(1e300), "10000000000000001" + std::string(284, '0') + ".00");
    EXPECT_EQ(FormatTwoDecimals(1.7976931348623157e308),
              "17976931348623157" + std::string(292, '0') + ".00");
}

TEST(TwoDecimalsLocale, IgnoresTheNumericLocale) {
    // A locale with a decimal comma, when the machine has one; the "C" locale otherwise.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old != nullptr ? old : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(FormatTwoDecimals(1.5), "1.50");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// Values whose digits are plain enough for the C library to show them the same way: the
// two ways agree everywhere the first rounding cannot matter.
TEST(TwoDecimalsAgreement, MatchesPrintfAwayFromHalves) {
    for (std::uint32_t bytes = 0; bytes < 200000; bytes += 7) {
        for (int seconds : {1, 3, 7, 10, 60}) {
            double value = bytes * 0.0009765625 / seconds;
            char text[64];
            std::snprintf(text, sizeof text, "%.3f", value);
            std::string third(text);
            char last = third.back();
            if (last == '5' || last == '4') {
                continue;  // near a half: the rules may differ from the C library's
            }
            std::snprintf(text, sizeof text, "%.2f", value);
            ASSERT_EQ(FormatTwoDecimals(value), text) << bytes << " / " << seconds;
        }
    }
}

}  // namespace
