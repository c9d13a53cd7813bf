#pragma once

// A number as the report shows it with "%.2f": fixed notation, exactly two decimals, a "."
// whatever the locale. The value is first rounded to 17 significant digits, then cut after
// the second decimal with halves raised: 1.125 gives "1.13", and 2.675 (stored as
// 2.67499999999999982...) gives "2.67".
#include <string>

std::string FormatTwoDecimals(double value);
