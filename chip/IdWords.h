#pragma once

// The four ID words a chip carries for its user (a serial number, a version), beside program
// memory: after it on the 12-bit chips, at 0x2000 on the 14-bit ones. Image slots and chip
// addresses coincide (ChipInfo::idAddress). Programming them is part of ProgramChip.

#include <cstdint>
#include <functional>

#include <vector>

#include "chip/ChipOperations.h"
#include "chip/ChipTable.h"

// True when the image holds any non-blank ID word.
bool HasIdWords(const ChipInfo& chip, const std::uint32_t* image);

// Reads the four ID words into their image slots, forced like every word read (RunOnChip inside,
// read twice as AgreedRead.h says, as every read-out here).
void ReadIdWords(ProgrammerLink& board, const ChipInfo& chip, std::uint32_t* image);

// Reads the four ID words and returns those that differ from the image's, both forced.
std::vector<WordMismatch> IdWordDifferences(ProgrammerLink& board, const ChipInfo& chip,
                                            const std::uint32_t* image);

// The configuration word and the four ID words in one power-up, both forced: a verify that needs
// both saves a power cycle and its settling time.
// With programWords > 0, program words 0..programWords-1 come in the same power-up too, and the
// calibration word on the way, so that a whole verify reads the chip twice in two power-ups, not
// six. programWords stays below the calibration address.
struct ConfigAndIdWords {
    std::uint16_t config;
    std::vector<std::uint16_t> ids;
    std::vector<std::uint16_t> words;  // forced; empty unless asked for
    std::uint16_t calibration;         // as read, not forced: the caller wants its low byte
    bool operator==(const ConfigAndIdWords& other) const {
        return config == other.config && ids == other.ids && words == other.words &&
               calibration == other.calibration;
    }
};
// `expected`: what a check after programming takes as the chip holding the file (AgreedRead.h).
ConfigAndIdWords ReadConfigAndIdWords(
    ProgrammerLink& board, const ChipInfo& chip, int programWords = 0,
    const Progress& progress = nullptr,
    const std::function<bool(const ConfigAndIdWords&)>& expected = nullptr);

// The ID words that differ from the image's, from words read before.
std::vector<WordMismatch> IdWordDifferences(const ChipInfo& chip, const std::uint32_t* image,
                                            const std::vector<std::uint16_t>& onChip);
