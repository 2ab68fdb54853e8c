#pragma once

// chipsmith-cli checksum FILE: the file's checksum as the chip maker's tools show it, with no port
// touched.

#include <ostream>

#include "cli/CliOptions.h"
#include "cli/HexFile.h"

// Prints the checksum (the bare value with --quiet) and returns the exit status.
int ChecksumCommand(const CliOptions& options, const LoadedImage& file, std::ostream& out,
                    std::ostream& err);
