#include "ui/window_placement.h"

#include <algorithm>

QRect PlaceInside(QSize preferred, QSize minimum, const QRect& available, QSize frame) {
    const QSize size = preferred.boundedTo(available.size() - frame).expandedTo(minimum);
    const QSize whole = size + frame;
    // A window larger than the area after all keeps its top-left corner, and the title bar
    // with it, on the screen.
    const int x = available.x() + std::max(0, (available.width() - whole.width()) / 2);
    const int y = available.y() + std::max(0, (available.height() - whole.height()) / 2);
    return QRect(QPoint(x, y), size);
}
