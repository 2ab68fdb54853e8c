#pragma once

#include <QString>
#include <optional>

#include "sim/ChipSnapshot.h"

// The file that keeps the virtual socket's chip between runs of the program.

// The user's data folder + "/chipsmith/virtual-socket.txt".
QString SocketFilePath();

// What the file at path holds; nothing when there is no file or it is not a socket file.
std::optional<SocketContent> ReadSocketFile(const QString& path);

// Saves the socket (nullptr: empty), making the folder if needed. A failed write leaves the
// previous file as it was and returns false.
bool WriteSocketFile(const QString& path, const SimulatedChip* chip);
