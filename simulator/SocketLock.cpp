#include "simulator/SocketLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

SocketLock::SocketLock(const QString& socketPath)
    : socketPath_(socketPath), file_(std::make_unique<QLockFile>(PathFor(socketPath))) {
    // Held for a whole run, which may take minutes: never taken over from a live program for its
    // age, only from a dead one.
    file_->setStaleLockTime(0);
}

SocketLock::~SocketLock() = default;

QString SocketLock::PathFor(const QString& socketPath) {
    return socketPath + QStringLiteral(".lock");
}

bool SocketLock::TryLock(QString& why) {
    if (file_->isLocked()) {
        return true;
    }
    // The socket's folder is made by the first save; the lock may come first.
    const QString folder = QFileInfo(socketPath_).absolutePath();
    if (!QDir().mkpath(folder)) {
        why = QStringLiteral("the virtual socket's folder %1 cannot be made").arg(folder);
        return false;
    }
    if (file_->tryLock(0)) {
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString program;
    switch (file_->error()) {
        case QLockFile::LockFailedError:
            if (file_->getLockInfo(&pid, &host, &program)) {
                why = QStringLiteral(
                          "the virtual socket is in use by %1 (process %2): one program "
                          "at a time works on it; try again when its command has ended")
                          .arg(program.isEmpty() ? QStringLiteral("another program") : program)
                          .arg(pid);
            } else {
                why = QStringLiteral(
                          "the virtual socket is in use by another program (%1): try "
                          "again when its command has ended")
                          .arg(PathFor(socketPath_));
            }
            return false;
        case QLockFile::PermissionError:
            why = QStringLiteral("the virtual socket's lock %1 cannot be made: permission denied")
                      .arg(PathFor(socketPath_));
            return false;
        default:
            why = QStringLiteral("the virtual socket's lock %1 cannot be made")
                      .arg(PathFor(socketPath_));
            return false;
    }
}
