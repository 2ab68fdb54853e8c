#pragma once

// How one word is programmed: the pulses it gets and the read-backs that judge it. This is all the
// two algorithms differ in; the walk over the addresses is the same for both.

#include <cstdint>

#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"

// What became of a word programmed at the chip's current address.
struct WordPulsing {
    bool right = false;  // it reads back as expected at the end
    // It read back right before its margin pulses and wrong after them: the chip fell out of step
    // (a clock edge the port lost) and the margin went astray. Only a fresh power-up brings the
    // chip back to the word, to give it its pulses again.
    bool outOfStep = false;
    int pulses = 0;  // adaptive: the pulses before it read back right, in every try so far
};

class PulsePlan {
public:
    PulsePlan(ProgrammerLink& board, Algorithm algorithm, const ChipFamily& family)
        : board_(board), algorithm_(algorithm), family_(family) {}

    // Programs a non-blank word at the chip's current address. `expected` is the word forced
    // (Family().Forced). `earlier`: what an earlier try of the same word gave it; its pulses
    // count towards the margin, since some of them may have taken.
    WordPulsing ProgramWord(std::uint16_t expected, const WordPulsing& earlier = {}) const;
    // The same for the configuration word, which gets a longer budget and a single read-back.
    bool ProgramConfiguration(std::uint16_t word) const;
    // Reads the word at the chip's current address and compares it, forced, with `expected`.
    bool ReadsBack(std::uint16_t expected) const;

    const ChipFamily& Family() const { return family_; }
    // The board the words are programmed on.
    ProgrammerLink& Board() const { return board_; }

private:
    bool ClassicWord(std::uint16_t expected) const;
    WordPulsing AdaptiveWord(std::uint16_t expected, int earlierPulses) const;
    void LongPulses(std::uint16_t word, int count) const;
    void ShortPulses(std::uint16_t word, int count) const;

    ProgrammerLink& board_;
    Algorithm algorithm_;
    const ChipFamily& family_;
};
