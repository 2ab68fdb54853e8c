#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QSaveFile;

// Why a file operation failed, in the program's own terms; each cause has one message.
enum class FileCause {
    Other,
    NotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidHandle,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardwareIo,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
};

struct FileError {
    FileCause cause = FileCause::Other;
    // What the message names: the path as passed when reading fails, the full path when writing
    // fails.
    QString name;
};

// The message for a failure, e.g. "C:/x.hex was not found."; "Internal application error." when
// no message can be built.
QString FileErrorMessage(const FileError& error);
FileCause CauseFromErrno(int error);

struct FileReadResult {
    QByteArray bytes;
    std::optional<FileError> error;
};

// Reading and writing whole files. Writes go through QSaveFile: the new content replaces the old
// file only when every byte has been written, so a failed write never destroys what was there.
class FileLayer {
public:
    virtual ~FileLayer() = default;
    // The first maxBytes bytes of the file (all of it when shorter). Anything but a regular file
    // (a folder, a FIFO, a device) is refused as access denied, without waiting on it.
    FileReadResult ReadHead(const QString& path, qint64 maxBytes);
    std::optional<FileError> WriteWhole(const QString& path, const QByteArray& bytes);

protected:
    // One write of the whole content; tests make it fall short.
    virtual qint64 WriteContent(QSaveFile& file, const QByteArray& bytes);
};

// The file layer in use (a plain FileLayer unless a test installed another).
FileLayer& Files();
void SetFileLayer(FileLayer& files);
