#include "ui/dialog_units.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogUnits, QuarterCharacterAcrossEighthLineDown) {
    // The classic 8-point dialog font: 6 pixels a character, 13 a line.
    const DialogUnits units(6, 13);
    EXPECT_EQ(units.x(4), 6);
    EXPECT_EQ(units.y(8), 13);
    EXPECT_EQ(units.size(320, 200), QSize(480, 325));
    EXPECT_EQ(units.rect(179, 167, 50, 14), QRect(269, 271, 75, 23));
    EXPECT_EQ(units.x(0), 0);
    EXPECT_EQ(units.x(1), 2);  // 1.5 rounds up
    EXPECT_EQ(units.y(1), 2);  // 1.625 rounds up
}

}  // namespace
