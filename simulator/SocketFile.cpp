#include "simulator/SocketFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Far more than the largest chip needs; anything bigger is not ours and is not read whole.
constexpr qint64 MaxFileBytes = 64 * 1024;

}  // namespace

QString SocketFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/chipsmith/virtual-socket.txt");
}

std::optional<SocketContent> ReadSocketFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes) {
        return std::nullopt;
    }
    return LoadSocket(bytes.toStdString());
}

bool WriteSocketFile(const QString& path, const SimulatedChip* chip) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const std::string text = SaveSocket(chip);
    const auto size = static_cast<qint64>(text.size());
    return file.write(text.data(), size) == size && file.commit();
}
