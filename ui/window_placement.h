#pragma once

// Where a window of its own opens: at the size it would like, held to the screen's free area
// (less the frame the window manager adds, which is not known before it shows), centred there.
#include <QRect>
#include <QSize>

// The window's own area: its size, and where its frame's top-left corner goes.
QRect PlaceInside(QSize preferred, QSize minimum, const QRect& available, QSize frame);
