#pragma once

// Dialog templates give positions in dialog units: a quarter of the dialog font's average
// character width across, an eighth of its height down. The average is taken over the 52
// Latin letters, the measure the templates were laid out with.
#include <QFont>
#include <QRect>
#include <QSize>

class DialogUnits {
public:
    explicit DialogUnits(const QFont& dialogFont);
    DialogUnits(int averageCharWidth, int fontHeight);

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;
    QSize size(int width, int height) const;

    // The font that dialogs use: the desktop's user-interface font at the size the user chose,
    // as message boxes use it.
    static QFont dialogFont();

private:
    int charWidth_;
    int height_;
};
