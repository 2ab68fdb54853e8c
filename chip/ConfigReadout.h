#pragma once

// Read-outs that power the board, read one word and power it down again.

#include <cstdint>
#include <functional>

class ProgrammerLink;
struct ChipFamily;

// The chip's configuration word, forced with the family's ReadForceMask. Powers up and down, and
// reads it twice, each in a power-up of its own (AgreedRead.h).
std::uint16_t ReadConfigWordFromChip(ProgrammerLink& board, const ChipFamily& family);

// The calibration word at the end of program memory: `count` increments from address 0, then a
// read, once. Precondition: the board is powered and the chip addresses word 0. Powers the board
// down. progress, when it is not empty, receives 100 * steps / count after each step.
std::uint16_t ReadCalibrationWord(ProgrammerLink& board, int count,
                                  const std::function<void(int)>& progress);
