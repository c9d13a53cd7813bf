#include "ui/app_icon.h"

#include <QDir>
#include <QString>
#include <QStringList>

// The resources live in this static library: register them before the first use.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

// Icon 128's pictures, one file per size: the resource file decides which sizes there are.
static const QString kIconFolder = QStringLiteral(":/icons/128");

QPixmap ApplicationIconPixmap() {
    InitResources();
    return QPixmap(kIconFolder + QStringLiteral("/32.png"));
}

QIcon ApplicationIcon() {
    InitResources();
    QIcon icon;
    const QDir folder(kIconFolder);
    for (const QString& name : folder.entryList(QDir::Files)) {
        icon.addFile(folder.filePath(name));
    }
    return icon;
}
