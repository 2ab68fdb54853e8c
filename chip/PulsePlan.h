#pragma once

// How one word is programmed: the pulses it gets and the read-backs that judge it. This is all the
// two algorithms differ in; the walk over the addresses is the same for both.

#include <cstdint>

#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"

class PulsePlan {
public:
    PulsePlan(ProgrammerLink& board, Algorithm algorithm, const ChipFamily& family)
        : board_(board), algorithm_(algorithm), family_(family) {}

    // Programs a non-blank word at the chip's current address. `expected` is the word forced
    // (Family().Forced); true when it reads back so at the end.
    bool ProgramWord(std::uint16_t expected) const;
    // The same for the configuration word, which gets a longer budget and a single read-back.
    bool ProgramConfiguration(std::uint16_t word) const;
    // Reads the word at the chip's current address and compares it, forced, with `expected`.
    bool ReadsBack(std::uint16_t expected) const;

    const ChipFamily& Family() const { return family_; }
    // The board the words are programmed on.
    ProgrammerLink& Board() const { return board_; }

private:
    bool ClassicWord(std::uint16_t expected) const;
    bool AdaptiveWord(std::uint16_t expected) const;
    void LongPulses(std::uint16_t word, int count) const;
    void ShortPulses(std::uint16_t word, int count) const;

    ProgrammerLink& board_;
    Algorithm algorithm_;
    const ChipFamily& family_;
};
