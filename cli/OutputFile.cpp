#include "cli/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

QString NumberedPath(const QString& path, int number) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a hidden file's name, not its extension.
    const qsizetype at = dot > 0 ? path.size() - name.size() + dot : path.size();
    return path.left(at) + QStringLiteral("-%1").arg(number, 3, 10, QLatin1Char('0')) +
           path.mid(at);
}

bool CanReplace(const QString& path, std::string& why) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        why = path.toStdString() + ": not a regular file";
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray folderName = QFile::encodeName(folder);
    if (::stat(folderName.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        why = "cannot write " + path.toStdString() + ": there is no folder " + folder.toStdString();
        return false;
    }
    if (::access(folderName.constData(), W_OK) != 0) {
        why = "cannot write " + path.toStdString() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool SaveWhole(const QString& path, const QByteArray& bytes, std::string& why) {
    if (!CanReplace(path, why)) {
        return false;
    }
    QSaveFile file(path);
    // Unbuffered: a buffered write that fails only when commit flushes it (a full disk) is not
    // seen by commit, which then renames the empty file into place.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        file.write(bytes) == bytes.size() && file.commit()) {
        return true;
    }
    why = "cannot write " + path.toStdString() + ": " + file.errorString().toStdString();
    file.cancelWriting();
    return false;
}

bool WriteStream(std::ostream& out, const QByteArray& bytes, std::string& why) {
    // The standard streams keep no cause of their own; errno, set by the failing write, has it.
    // A stream that failed before this write gives none: errno has moved on since.
    const bool failedBefore = !out;
    errno = 0;
    out.write(bytes.constData(), bytes.size());
    out.flush();
    if (out) {
        return true;
    }
    why = "cannot write to standard output: " +
          std::string(errno != 0 && !failedBefore ? std::strerror(errno) : "the output failed");
    return false;
}
