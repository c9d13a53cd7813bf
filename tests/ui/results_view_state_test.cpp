// The Results window's rate axis, without a display: plain numbers, never an exponent.
#include "ui/results_view_state.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(RateAxis, LabelsEveryTickAsAPlainNumber) {
    const struct {
        double top;
        int ticks;
        const char* highest;
        const char* second;
    } cases[] = {
        {10000, 6, "10000", "2000"}, {250000, 6, "250000", "50000"}, {1, 6, "1.0", "0.2"},
        {0.5, 6, "0.5", "0.1"},      {0.05, 6, "0.05", "0.01"},      {25, 6, "25", "5"},
        {2.5, 6, "2.5", "0.5"},
    };
    for (const auto& c : cases) {
        const QString format = RateLabelFormat(c.top, c.ticks);
        const QByteArray pattern = format.toLatin1();
        EXPECT_EQ(QString::asprintf(pattern.constData(), c.top).toStdString(), c.highest) << c.top;
        EXPECT_EQ(QString::asprintf(pattern.constData(), c.top / (c.ticks - 1)).toStdString(),
                  c.second)
            << c.top;
    }
}

}  // namespace
