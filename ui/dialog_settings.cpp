#include "ui/dialog_settings.h"

#include <algorithm>

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include "bandwidth/request.h"

namespace {

const QString ConnectionsKey = QStringLiteral("dialog/connections");
const QString HttpsKey = QStringLiteral("dialog/testHttps");
const QString LatencyKey = QStringLiteral("dialog/measureLatency");

QSettings Open() {
    return QSettings(QFile::decodeName(DialogSettingsPath().c_str()), QSettings::IniFormat);
}

}  // namespace

std::string DialogSettingsPath() {
    // Looked up each time, so that XDG_CONFIG_HOME counts as it is now.
    return QFile::encodeName(
               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/corvanite/corvanite.conf"))
        .toStdString();
}

DialogSettings LoadDialogSettings() {
    const DialogSettings defaults;
    const QSettings stored = Open();
    DialogSettings settings;
    bool number = false;
    const int connections = stored.value(ConnectionsKey).toInt(&number);
    if (number && std::find(ConnectionChoices.begin(), ConnectionChoices.end(), connections) !=
                      ConnectionChoices.end()) {
        settings.connections = connections;
    }
    settings.testHttps = stored.value(HttpsKey, defaults.testHttps).toBool();
    settings.measureLatency = stored.value(LatencyKey, defaults.measureLatency).toBool();
    return settings;
}

bool SaveDialogSettings(const DialogSettings& settings) {
    QSettings stored = Open();
    stored.setValue(ConnectionsKey, settings.connections);
    stored.setValue(HttpsKey, settings.testHttps);
    stored.setValue(LatencyKey, settings.measureLatency);
    stored.sync();
    return stored.status() == QSettings::NoError;
}

void ApplyDialogSettings(const DialogSettings& settings, TestRequest& request) {
    request.connections = settings.connections;
    request.allowHttps = settings.testHttps;
    request.measureLatency = settings.measureLatency;
}
