#pragma once

// Icon 128, the application icon: the window icon of both dialogs and the About dialog's picture.
#include <QIcon>
#include <QPixmap>

QIcon ApplicationIcon();
QPixmap ApplicationIconPixmap();
