#pragma once

// Small pieces of chipsmith-cli's result lines, worded the same in every command.

#include <string>

// "1 word", "25 words"; `what` replaces "word" ("error").
std::string CountOf(int count, const std::string& what = "word");

// A calibration value as two upper-case hex digits ("07", "5A"), so that columns of results line
// up and a script reads a fixed width.
std::string CalibrationByte(int value);

// Why a run ended when the 12-bit power-up could not be timed (SupplyGapMissed): the machine, not
// the board and not the chip; `changed` says whether the run had begun to program the chip.
std::string BusyMachineText(const std::string& why, bool changed);
