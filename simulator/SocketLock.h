#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One program at a time on a virtual socket: the command line holds this lock for its whole run
// with --port sim, and chipsmith-sim while one of its chip commands runs, so that neither reads a
// chip the other is half-way through programming. The lock is a file beside the socket file
// (path + ".lock"); one left by a program that died is taken over. Needs QtCore only.
class SocketLock {
public:
    explicit SocketLock(const QString& socketPath);
    ~SocketLock();
    SocketLock(const SocketLock&) = delete;
    SocketLock& operator=(const SocketLock&) = delete;

    // Takes the lock at once or not at all. False when another program holds it or the lock file
    // cannot be made; then `why` says which program, or what failed, for the user.
    bool TryLock(QString& why);

    // The lock file's path for a socket file's.
    static QString PathFor(const QString& socketPath);

private:
    QString socketPath_;
    std::unique_ptr<QLockFile> file_;
};
