#pragma once

// The reads the front ends report from: each powers the chip up and down by itself (RunOnChip),
// reads twice and keeps only what the board answered alike (AgreedRead.h), so that one glitch or
// one lost write can make neither a file, nor "equal", nor "blank". A disagreement that a third
// pass cannot settle throws InconsistentReads; a stuck line or a board that stopped answering
// throws PortFailure.

#include <cstdint>
#include <functional>
#include <vector>

#include "chip/ChipOperations.h"

struct ChipFamily;

// Chip addresses 0..n-1, forced with the family's ReadForceMask.
// `expected`: what a check after programming takes as the chip holding the file (AgreedRead.h).
std::vector<std::uint16_t> ReadProgramWords(
    ProgrammerLink& board, const ChipFamily& family, int n, const Progress& progress,
    const std::function<bool(const std::vector<std::uint16_t>&)>& expected = nullptr);

// As BlankCheckWords: addresses 0..n-1 counted, then the calibration word at n.
BlankCheckResult BlankCheckChip(ProgrammerLink& board, const ChipFamily& family, int n,
                                const Progress& progress);

// As VerifyWords: addresses 0..count-1 against image slots 0..count-1; nothing read when the
// verify is not allowed.
VerifyResult VerifyChip(ProgrammerLink& board, const ChipFamily& family, const std::uint32_t* image,
                        int count, bool verifyAllowed, const Progress& progress);

// The calibration word, `count` increments from address 0.
std::uint16_t ReadCalibrationFromChip(ProgrammerLink& board, const ChipFamily& family, int count,
                                      const Progress& progress);
