#pragma once

// Programming's last look at the chip: the programmed words and the configuration word read again
// from a fresh power-up (ChipReads.h; the words once when they read as the image, else twice). The
// read-back after each pulse reads at the address the chip stands at, so it cannot see an address
// counter that slipped by a lost clock edge; only this can.

#include <cstdint>

#include "chip/ChipOperations.h"

struct ChipFamily;

struct ProgramCheck {
    int differences = 0;  // the configuration word included
    bool configurationDiffers = false;
};

// Compares chip addresses 0..words-1 with image slots 0..words-1 (not when the image's
// configuration word hides them: wordsVisible false), then the configuration word unless its
// slot is blank.
ProgramCheck CheckProgrammed(ProgrammerLink& board, const ChipFamily& family,
                             const std::uint32_t* image, int words, bool wordsVisible,
                             const Progress& progress);
