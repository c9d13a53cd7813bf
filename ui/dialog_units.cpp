#include "ui/dialog_units.h"

#include <QApplication>
#include <QFontMetrics>

namespace {

// units * base / divisor, rounded to the nearest pixel as the window system does.
int Scale(int units, int base, int divisor) {
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& dialogFont) {
    const QFontMetrics metrics(dialogFont);
    // The font's own average (over every glyph it has) runs narrower than text for many
    // fonts, and buttons and texts would then be cut; the letters' width, rounded to whole
    // pixels, is what text needs.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    charWidth_ = (letters / 26 + 1) / 2;
    height_ = metrics.height();
}

DialogUnits::DialogUnits(int averageCharWidth, int fontHeight)
    : charWidth_(averageCharWidth), height_(fontHeight) {}

int DialogUnits::x(int units) const {
    return Scale(units, charWidth_, 4);
}

int DialogUnits::y(int units) const {
    return Scale(units, height_, 8);
}

QRect DialogUnits::rect(int x, int y, int width, int height) const {
    return QRect(this->x(x), this->y(y), this->x(width), this->y(height));
}

QSize DialogUnits::size(int width, int height) const {
    return QSize(x(width), y(height));
}

QFont DialogUnits::dialogFont() {
    return QApplication::font();
}
