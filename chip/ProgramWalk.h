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
    // False: the configuration word is left for later (ProgramConfigurationWord), as a protecting
    // one must be until the words have been checked.
    bool configuration = true;
};

// Precondition: the chip just powered up (RunOnChip with StartAt::PowerUp). Powers it down.
ProgramResult ProgramWords(const PulsePlan& plan, const ProgramJob& job, const Progress& progress);

// The configuration word of image slot Family().configAddress alone, unless it is blank; true when
// it reads back right (or is blank). Same precondition; powers the chip down.
bool ProgramConfigurationWord(const PulsePlan& plan, const std::uint32_t* image);
