#pragma once

// What chipsmith-cli checks before it looks for the board, so that a mistake costs neither a chip
// nor a file: a program image that does not fit the chip, and a trace that would write over the
// input or the chip's read-out.

#include <QString>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/HexFile.h"

struct RunCheck {
    std::string refusal;                // why the run must not start; empty when it may
    std::vector<std::string> warnings;  // what the user should know, the run going on
};

// chipType is the chip the run is for (--chip or the file's), 0 when not yet known.
RunCheck CheckBeforeRun(const CliOptions& options, const LoadedImage& file, int chipType);

// Why read must not write its text to `path` on this run: with --port sim, the virtual socket's
// own file, which the run saves the chip to. Empty when it may.
std::string ReadOverSocket(const CliOptions& options, const QString& path,
                           const QString& socketPath);

// Whether two paths name the same file: the same inode when both exist, else the same name in the
// same folder once links are resolved.
bool SameFile(const QString& first, const QString& second);
