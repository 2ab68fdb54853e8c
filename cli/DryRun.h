#pragma once

// --dry-run: what program, auto or verify would do with the file, worked out from the file and the
// options alone. No port is touched, no board looked for, no socket file read: a Makefile can be
// checked before a chip is burned.

#include <ostream>

#include "cli/CliOptions.h"
#include "cli/HexFile.h"

// Prints the plan on `out` (a refusal on `err`) and returns the exit status the plan gives: Done
// when the command would run, Usage when it would be refused whatever chip is in the socket.
int DryRun(const CliOptions& options, const LoadedImage& file, std::ostream& out,
           std::ostream& err);
