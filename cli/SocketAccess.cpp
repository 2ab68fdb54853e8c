#include "cli/SocketAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr qint64 MaxFileBytes = 64 * 1024;

}  // namespace

QString SocketStorePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/chipsmith/virtual-socket.txt");
}

SocketLoad LoadSocketStore(const QString& path) {
    SocketLoad load;
    QFile file(path);
    if (!file.exists()) {
        return load;
    }
    load.outcome = SocketLoad::Outcome::Broken;
    if (!file.open(QIODevice::ReadOnly)) {
        load.reason = "cannot read the virtual socket " + path.toStdString() + ": " +
                      file.errorString().toStdString();
        return load;
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    std::optional<SocketContent> content;
    if (bytes.size() <= MaxFileBytes) {
        content = LoadSocket(bytes.toStdString());
    }
    if (!content) {
        load.reason = "the virtual socket " + path.toStdString() +
                      " is not a socket file chipsmith-sim wrote: fix or remove it";
        return load;
    }
    load.outcome = SocketLoad::Outcome::Loaded;
    load.content = std::move(*content);
    return load;
}

QString SaveSocketStore(const QString& path, const SimulatedChip* chip) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return QStringLiteral("cannot make the folder of %1").arg(path);
    }
    QSaveFile file(path);
    const std::string text = SaveSocket(chip);
    const auto size = static_cast<qint64>(text.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), size) != size ||
        !file.commit()) {
        return QStringLiteral("cannot save the virtual socket to %1: %2")
            .arg(path, file.errorString());
    }
    return {};
}

SimulatedChip NewFactoryChip(int chipType) {
    // Any value but 0xFF, which would read as no calibration at all.
    const auto calibration = static_cast<std::uint8_t>(QRandomGenerator::global()->bounded(0xFF));
    return SimulatedChip::Factory(chipType, calibration);
}
