#include "simulator/SocketFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// Far more than the largest chip needs; anything bigger is not ours and is not read whole.
constexpr qint64 MaxFileBytes = 64 * 1024;
// Enough room for every broken file a user would keep before clearing them away.
constexpr int MaxBrokenNames = 100;

// Why the file at path cannot be taken as it is, or nothing when it can; text gets its bytes.
std::optional<QString> ReadFault(const QString& path, QByteArray& text) {
    // A FIFO or a device would block the read or never end it.
    if (!QFileInfo(path).isFile()) {
        return QStringLiteral("it is not a plain file");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("it cannot be opened: %1").arg(file.errorString());
    }
    text = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        return QStringLiteral("it cannot be read: %1").arg(file.errorString());
    }
    if (text.size() > MaxFileBytes) {
        return QStringLiteral("it is larger than %1 bytes").arg(MaxFileBytes);
    }
    return std::nullopt;
}

// Moves the file at path to the first free ".broken" name; returns that name, or an empty string
// and the reason in failure.
QString MoveAside(const QString& path, QString& failure) {
    for (int k = 1; k <= MaxBrokenNames; ++k) {
        const QString target =
            path + QStringLiteral(".broken") + (k == 1 ? QString() : QStringLiteral(".%1").arg(k));
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
            continue;
        }
        // Not QFile::rename: where renaming fails it copies the file instead, and a FIFO would
        // block that copy.
        if (std::rename(QFile::encodeName(path).constData(),
                        QFile::encodeName(target).constData()) != 0) {
            failure = QString::fromLocal8Bit(std::strerror(errno));
            return QString();
        }
        return target;
    }
    failure =
        QStringLiteral("every name up to %1.broken.%2 is taken").arg(path).arg(MaxBrokenNames);
    return QString();
}

}  // namespace

QString SocketFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/chipsmith/virtual-socket.txt");
}

SimulatedChip NewFactoryChip(int chipType) {
    // Any value but 0xFF, which would read as no calibration at all.
    const auto calibration = static_cast<std::uint8_t>(QRandomGenerator::global()->bounded(0xFF));
    return SimulatedChip::Factory(chipType, calibration);
}

SocketFileLoad LoadSocketFile(const QString& path) {
    SocketFileLoad load;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        return load;
    }
    QByteArray text;
    std::optional<QString> fault = ReadFault(path, text);
    if (!fault) {
        std::string why;
        if (std::optional<SocketContent> content = LoadSocket(text.toStdString(), &why)) {
            load.outcome = SocketFileLoad::Outcome::Loaded;
            load.content = std::move(*content);
            load.text = std::move(text);
            return load;
        }
        fault = QString::fromStdString(why);
    }
    load.outcome = SocketFileLoad::Outcome::Broken;
    load.reason = *fault;
    QString failure;
    load.keptAs = MoveAside(path, failure);
    if (load.keptAs.isEmpty()) {
        load.reason += QStringLiteral("; it could not be moved aside: %1").arg(failure);
    }
    return load;
}

SocketFileSave SaveSocketFile(const QString& path, const SimulatedChip* chip) {
    SocketFileSave result;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        result.reason = QStringLiteral("the folder %1 cannot be made").arg(folder);
        return result;
    }
    QSaveFile file(path);
    // Unbuffered: a buffered write that fails only when commit flushes it (a full disk) is not
    // seen by commit, which then renames the empty file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.reason = file.errorString();
        return result;
    }
    const std::string text = SaveSocket(chip);
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size || !file.commit()) {
        result.reason = file.errorString();
        return result;
    }
    result.saved = true;
    return result;
}

SocketFileSave SaveSocketFileOver(const QString& path, const SimulatedChip* chip,
                                  const std::optional<QByteArray>& loaded) {
    const QFileInfo info(path);
    bool unchanged = !loaded;
    if (info.exists() || info.isSymLink()) {
        // A file that cannot be read now is not the one that was loaded.
        QByteArray text;
        unchanged = loaded && !ReadFault(path, text) && text == *loaded;
    }
    if (unchanged) {
        return SaveSocketFile(path, chip);
    }
    const QString aside = path + QStringLiteral(".cli");
    SocketFileSave save = SaveSocketFile(aside, chip);
    if (save.saved) {
        save.keptAs = aside;
    }
    return save;
}
