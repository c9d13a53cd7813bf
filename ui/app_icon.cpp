#include "ui/app_icon.h"

// The resources live in this static library: register them before the first use.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

QPixmap ApplicationIconPixmap() {
    InitResources();
    return QPixmap(QStringLiteral(":/icons/128.png"));
}

QIcon ApplicationIcon() {
    return QIcon(ApplicationIconPixmap());
}
