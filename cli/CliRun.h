#pragma once

// chipsmith-cli from its arguments to its exit status: the options, the file and the chip, the
// board, one chip or a batch of them (--repeat), and what a stop request does.

#include <QStringList>

#include "cli/CliEnvironment.h"

// Runs the command line (arguments[0] is the program) and returns the exit status.
int RunCli(const QStringList& arguments, CliEnvironment& environment);
