#pragma once

// The chip command each Command runs.

#include "cli/ChipCommands.h"

// Runs the chip command of `command` on the context's board; an empty outcome for a command that
// is no chip command (detect, checksum).
ChipOutcome RunChipCommand(Command command, CommandContext& context);
