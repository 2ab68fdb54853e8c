#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "sim/ChipSnapshot.h"

// The file that keeps the virtual socket's chip between runs and between programs: chipsmith-sim
// and the command line both take the chip from it and put it back. Needs QtCore only.

// The user's data folder + "/chipsmith/virtual-socket.txt".
QString SocketFilePath();

// A blank chip as the factory ships it: erased, with a random calibration value. What a socket
// gets when there is no file yet, and what "New chip" puts in.
SimulatedChip NewFactoryChip(int chipType);

// What was found at a socket file's path.
struct SocketFileLoad {
    enum class Outcome {
        NoFile,  // nothing there: the caller decides what the socket holds
        Loaded,  // content holds the chip, or no chip for an empty socket
        Broken,  // something there that cannot be taken; see reason and keptAs
    };
    Outcome outcome = Outcome::NoFile;
    SocketContent content;
    QByteArray text;  // Loaded: the file's bytes as read
    QString reason;   // Broken: what is wrong with it, for the user
    QString keptAs;  // Broken: where it was moved; empty if it could not be moved (reason says why)
};

// Reads the socket file. Anything at the path that cannot be taken (not a plain file, unreadable,
// too big, not a socket text or cut short) is moved aside to path + ".broken" (".broken.2", ...
// when that name is taken), so that a later save never writes over what someone may want back.
SocketFileLoad LoadSocketFile(const QString& path);

struct SocketFileSave {
    bool saved = false;
    QString reason;  // when not saved: why, for the user
    QString keptAs;  // SaveSocketFileOver: where the chip went instead, the file having changed
};

// Saves the socket (nullptr: empty), making the folder if needed. The file is replaced as a
// whole: a reader sees the old file or the new one, and a failed save leaves the old one as it was.
SocketFileSave SaveSocketFile(const QString& path, const SimulatedChip* chip);

// As SaveSocketFile, but only over the file as it was loaded: `loaded` holds its bytes, or nothing
// when there was no file. A file changed meanwhile (chipsmith-sim saved a newer chip) stays, and
// this chip is saved to path + ".cli" instead (keptAs), so neither is lost.
SocketFileSave SaveSocketFileOver(const QString& path, const SimulatedChip* chip,
                                  const std::optional<QByteArray>& loaded);
