#pragma once

// chipsmith-cli with --port given more than once: one chip on each board at once. Each board is
// its own object (its port, its link, its clock) and runs its chip on a thread of its own; a fault
// on one board ends only that board's chip, with its supplies off, and leaves that board out of the
// rounds after it. The results, the tally and the log rows are per board; with --repeat the
// prompt asks once for the whole set. A board that is not found is named and left out.

#include "cli/CliEnvironment.h"
#include "cli/CliOptions.h"

// Runs options.command on every board of options.ports; returns the exit status: the worst of the
// boards' (a board not found or that stopped answering counts as 3).
int RunBoards(const CliOptions& options, CliEnvironment& environment);
