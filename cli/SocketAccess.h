#pragma once

// chipsmith-sim's virtual socket as chipsmith-cli reads and writes it.

#include <QString>
#include <optional>
#include <string>

#include "sim/ChipSnapshot.h"

struct SocketLoad {
    enum class Outcome { NoFile, Loaded, Broken };
    Outcome outcome = Outcome::NoFile;
    SocketContent content;  // when Loaded
    std::string reason;     // when Broken: what is wrong and what was done with the file
};

// chipsmith-sim's socket file: the user's data folder + "/chipsmith/virtual-socket.txt".
QString SocketStorePath();
SocketLoad LoadSocketStore(const QString& path);
// An empty string when saved; else why not. Atomic: the old file stays on failure.
QString SaveSocketStore(const QString& path, const SimulatedChip* chip);
// A blank chip as the factory ships it, with a random calibration value.
SimulatedChip NewFactoryChip(int chipType);
