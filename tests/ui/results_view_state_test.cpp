// What the Results window keeps without a display: plain rate labels, a colour per URL.
#include "ui/results_view_state.h"

#include <set>
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

TEST(UrlColours, EachUrlKeepsItsOwnColour) {
    ResultsViewState state;
    const QColor third = state.colourOf("http://h/3");
    std::set<QRgb> colours;
    for (int i = 0; i < 40; ++i) {
        colours.insert(state.colourOf("http://h/" + std::to_string(i)).rgb());
    }
    EXPECT_EQ(colours.size(), 40u);
    // Asked again after many others, still the same.
    EXPECT_EQ(state.colourOf("http://h/3"), third);
}

}  // namespace
