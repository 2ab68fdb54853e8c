#pragma once

// The word loops of the chip operations: read, blank check, verify and programming. They talk to
// the board and report progress, nothing else; the dialog's handlers own the guards, the cursor
// and every text and box, and turn what these return into the report.
//
// Precondition for all: the board is powered with the family's sequence and the chip addresses
// word 0 (a 12-bit chip after one IncrementAddress), except ProgramCore12, which wants the chip at
// its configuration word as power-up leaves it. Every function powers the board down before it
// returns.
//
// `image` is the program image: slot k holds the word for chip address k, and the family's
// configuration slot (0xFFF or 0x2007) the configuration word, so the programming functions need
// all of it.

#include <cstdint>
#include <functional>
#include <vector>

class ProgrammerLink;
struct ChipFamily;

// Receives the progress bar's position, 0..100, after every word; may be empty.
using Progress = std::function<void(int position)>;

// Reads chip addresses 0..n-1 into image slots 0..n-1, forced with the family's ReadForceMask.
void ReadChipWords(ProgrammerLink& board, const ChipFamily& family, int n, std::uint32_t* image,
                   const Progress& progress);

// The loop of ReadChipWords alone: n words from where the chip stands, no pause, no power-down.
void ReadWordsFromHere(ProgrammerLink& board, const ChipFamily& family, int n, std::uint32_t* image,
                       const Progress& progress);

struct BlankCheckResult {
    int nonBlankWords;
    std::uint16_t calibrationWord;  // as read, not forced: the caller wants its low byte
};

// Reads all n words (addresses 0..n-1, no early stop) and counts those that are not blank, then
// reads the word at address n, the calibration word.
BlankCheckResult BlankCheckWords(ProgrammerLink& board, const ChipFamily& family, int n,
                                 const Progress& progress);

struct WordMismatch {
    int address;
    std::uint16_t chip;      // as read, forced
    std::uint16_t expected;  // the image's word, forced
};

struct VerifyResult {
    bool refused;  // code protection: nothing was read
    int differences;
    std::vector<WordMismatch> mismatches;  // every differing word, in address order
};

// Compares chip addresses 0..count-1 with image slots 0..count-1, both forced. The caller passes
// the last used address plus one, so the last used word is compared too.
VerifyResult VerifyWords(ProgrammerLink& board, const ChipFamily& family,
                         const std::uint32_t* image, int count, bool verifyAllowed,
                         const Progress& progress);

struct ProgramResult {
    int errors = 0;  // failed words, the configuration word included
    bool configurationFailed = false;
    std::vector<int> failedAddresses;  // chip addresses of the failed words, in programming order
    // The image's configuration word protects the chip, but the chip did not hold the image's
    // words: the configuration word was not programmed, so the chip can still be read.
    bool protectionWithheld = false;
};

// Programs image slots 0..n-1 (n-1 with keepCalibration: the chip keeps its calibration word),
// reading every word back, then the configuration word from the family's slot. A word that fails
// is counted and programming goes on.
ProgramResult ProgramCore12(ProgrammerLink& board, const std::uint32_t* image, int n,
                            bool keepCalibration, const Progress& progress);
ProgramResult ProgramCore14(ProgrammerLink& board, const std::uint32_t* image, int n,
                            bool keepCalibration, const Progress& progress);
