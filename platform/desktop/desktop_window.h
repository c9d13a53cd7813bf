#pragma once

// A widget as the layers without Qt hold it (DesktopWindow, platform/win_types.h): the same
// pointer, typed apart so that only these two turn one into the other.
#include "platform/win_types.h"

class QWidget;

inline DesktopWindow* AsDesktopWindow(QWidget* widget) {
    return reinterpret_cast<DesktopWindow*>(widget);
}

inline QWidget* AsWidget(DesktopWindow* window) {
    return reinterpret_cast<QWidget*>(window);
}
