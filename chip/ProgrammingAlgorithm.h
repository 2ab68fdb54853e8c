#pragma once

// Programming a chip with one of the two algorithms. The window keeps the classic one (a fixed
// budget of long pulses per word); the command-line program may choose the chip maker's adaptive
// one, which reads a word back after every 100 us pulse and stops pulsing once it has taken and
// had its margin: the same safety, about ten times faster.

#include <cstdint>

#include "chip/ChipOperations.h"
#include "chip/ChipTable.h"

enum class Algorithm { Classic, Fast };

// Powers up, programs image slots 0..memoryWords-1 (the calibration word left to the chip with
// keepCalibration), with idWords also the four ID words from their image slots when any of them is
// not blank, then the configuration word; powers down on every path (RunOnChip). A word that fails
// is counted and programming goes on with the next one.
// A configuration word that protects the chip hides its words for good, so it is programmed only
// once they have been read back alike (AgreedRead.h) and found to be the image's, from a power-up
// of its own; otherwise it is left unprogrammed and the result says so (protectionWithheld).
ProgramResult ProgramChip(ProgrammerLink& board, const ChipInfo& chip, Algorithm algorithm,
                          const std::uint32_t* image, bool keepCalibration, bool idWords,
                          const Progress& progress);
