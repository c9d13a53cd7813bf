#include "ui/app_icon.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QImage>
#include <QList>
#include <QSize>

#include "tests/common/qt_application.h"

namespace {

TEST(ApplicationIcon, CarriesAPictureForEverySizeTheWindowSystemAsksFor) {
    TestApplication();
    const QIcon icon = ApplicationIcon();
    QList<QSize> expected;
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        expected << QSize(side, side);
    }
    QList<QSize> sizes = icon.availableSizes();
    std::sort(sizes.begin(), sizes.end(),
              [](const QSize& a, const QSize& b) { return a.width() < b.width(); });
    EXPECT_EQ(sizes, expected);
}

TEST(ApplicationIcon, TheAboutBoxPictureIsThe32PixelOne) {
    TestApplication();
    const QPixmap picture = ApplicationIconPixmap();
    EXPECT_EQ(picture.size(), QSize(32, 32));
    EXPECT_EQ(picture.toImage(), ApplicationIcon().pixmap(QSize(32, 32)).toImage());
}

}  // namespace
