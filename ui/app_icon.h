#pragma once

// Icon 128, the application icon: the window icon of both dialogs (every size the window
// system may ask for) and the About dialog's 32 x 32 picture.
#include <QIcon>
#include <QPixmap>

QIcon ApplicationIcon();
QPixmap ApplicationIconPixmap();
