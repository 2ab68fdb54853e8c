#include "app/AlgorithmSetting.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

const QString Key = QStringLiteral("programming/algorithm");
const QString Adaptive = QStringLiteral("adaptive");
const QString Classic = QStringLiteral("classic");

}  // namespace

QString AlgorithmSettingPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/chipsmith/window.ini");
}

Algorithm LoadAlgorithm(const QString& path) {
    const QSettings settings(path, QSettings::IniFormat);
    return settings.value(Key).toString() == Adaptive ? Algorithm::Fast : Algorithm::Classic;
}

bool SaveAlgorithm(const QString& path, Algorithm algorithm) {
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(Key, algorithm == Algorithm::Fast ? Adaptive : Classic);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
