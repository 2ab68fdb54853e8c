#include "app/FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace {

struct CauseText {
    FileCause cause;
    const char* text;
};

constexpr CauseText Messages[] = {
    {FileCause::Other, "An unknown error occurred while accessing %1."},
    {FileCause::NotFound, "%1 was not found."},
    {FileCause::BadPath, "%1 contains an invalid path."},
    {FileCause::TooManyOpenFiles, "%1 could not be opened because there are too many open files."},
    {FileCause::AccessDenied, "Access to %1 was denied."},
    {FileCause::InvalidHandle, "An invalid file handle was associated with %1."},
    {FileCause::RemoveCurrentDir, "%1 could not be removed because it is the current directory."},
    {FileCause::DirectoryFull, "%1 could not be created because the directory is full."},
    {FileCause::BadSeek, "Seek failed on %1"},
    {FileCause::HardwareIo, "A hardware I/O error was reported while accessing %1."},
    {FileCause::SharingViolation, "A sharing violation occurred while accessing %1."},
    {FileCause::LockViolation, "A locking violation occurred while accessing %1."},
    {FileCause::DiskFull, "Disk full while accessing %1."},
    {FileCause::EndOfFile, "An attempt was made to access %1 past its end."},
};

FileLayer plainFiles;
FileLayer* installed = &plainFiles;

// Why a save to `path` cannot even start, judged from the file system, because QSaveFile reports
// no cause of its own.
FileCause CauseOfFailedCreate(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) {
        return FileCause::AccessDenied;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists()) {
        return FileCause::BadPath;
    }
    if (!folder.isDir()) {
        return FileCause::BadPath;
    }
    if (::access(QFile::encodeName(folder.absoluteFilePath()).constData(), W_OK) != 0 ||
        (info.exists() && !info.isWritable())) {
        return FileCause::AccessDenied;
    }
    return FileCause::Other;
}

}  // namespace

QString FileErrorMessage(const FileError& error) {
    for (const CauseText& message : Messages) {
        if (message.cause == error.cause) {
            return QString::fromLatin1(message.text).arg(error.name);
        }
    }
    return QStringLiteral("Internal application error.");
}

FileCause CauseFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return FileCause::NotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL:
            return FileCause::BadPath;
        case EMFILE:
        case ENFILE:
            return FileCause::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return FileCause::AccessDenied;
        case EBADF:
            return FileCause::InvalidHandle;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileCause::DiskFull;
        case EIO:
            return FileCause::HardwareIo;
        case EBUSY:
        case ETXTBSY:
            return FileCause::SharingViolation;
        case EDEADLK:
        case ENOLCK:
            return FileCause::LockViolation;
        case ESPIPE:
            return FileCause::BadSeek;
        default:
            return FileCause::Other;
    }
}

FileReadResult FileLayer::ReadHead(const QString& path, qint64 maxBytes) {
    FileReadResult result;
    // Plain POSIX calls, so that errno names the cause. O_NONBLOCK: opening a FIFO or a device
    // must not wait for a writer; nothing but a regular file is read.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.error = FileError{CauseFromErrno(errno), path};
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result.error = FileError{CauseFromErrno(errno), path};
    } else if (!S_ISREG(status.st_mode)) {
        result.error = FileError{FileCause::AccessDenied, path};
    }
    if (result.error) {
        ::close(fd);
        return result;
    }
    result.bytes.resize(static_cast<int>(maxBytes));
    qint64 total = 0;
    while (total < maxBytes) {
        const ssize_t got = ::read(fd, result.bytes.data() + total, maxBytes - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            result.error = FileError{CauseFromErrno(errno), path};
            break;
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    result.bytes.resize(static_cast<int>(total));
    if (::close(fd) != 0 && !result.error) {
        result.error = FileError{CauseFromErrno(errno), path};
    }
    return result;
}

std::optional<FileError> FileLayer::WriteWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Only the new content's own temporary file is written; the old file stays until commit.
    // Unbuffered: a buffered write that fails only when commit flushes it (a full disk) would
    // otherwise be put in place as an empty file, with commit saying it went well.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return FileError{CauseOfFailedCreate(path), QFileInfo(path).absoluteFilePath()};
    }
    const QString fullPath = QFileInfo(file.fileName()).absoluteFilePath();
    const qint64 written = WriteContent(file, bytes);
    if (written != bytes.size()) {
        file.cancelWriting();
        return FileError{written < 0 ? FileCause::HardwareIo : FileCause::DiskFull, fullPath};
    }
    if (!file.commit()) {
        return FileError{file.error() == QFileDevice::WriteError ? FileCause::DiskFull
                                                                 : CauseOfFailedCreate(path),
                         fullPath};
    }
    return std::nullopt;
}

qint64 FileLayer::WriteContent(QSaveFile& file, const QByteArray& bytes) {
    return file.write(bytes);
}

FileLayer& Files() {
    return *installed;
}

void SetFileLayer(FileLayer& files) {
    installed = &files;
}
