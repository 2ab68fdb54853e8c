#pragma once

// The addresses programming walks, whatever pulses each word gets (PulsePlan): the word stepping of
// each family, the calibration word kept, blank words skipped, the ID words, the way to the
// configuration word, and the count of words that failed.

#include <cstdint>

#include "chip/ChipOperations.h"
#include "chip/PulsePlan.h"

constexpr int NoIdWords = -1;

struct ProgramJob {
    const std::uint32_t* image;  // slot k holds the word for chip address k
    int words;                   // program words from address 0, the kept calibration word left out
    int idAddress;               // the first of the ID words to program, or NoIdWords
};

// Precondition: the chip just powered up (RunOnChip with StartAt::PowerUp). Powers it down.
ProgramResult ProgramWords(const PulsePlan& plan, const ProgramJob& job, const Progress& progress);
