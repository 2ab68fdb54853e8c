// Read, blank check and verify: one pass over the words, each read once.

#include "chip/ChipOperations.h"

#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/ProgrammerPort.h"

namespace {

std::uint16_t ReadWord(ProgrammerLink& board) {
    SendCommand(board, ReadData);
    return ReadDataWord(board);
}

std::uint16_t ReadForced(ProgrammerLink& board, const ChipFamily& family) {
    return static_cast<std::uint16_t>(ReadWord(board) | family.ReadForceMask);
}

void Report(const Progress& progress, int done, int total) {
    if (progress) {
        progress(100 * done / total);
    }
}

}  // namespace

void ReadWordsFromHere(ProgrammerLink& board, const ChipFamily& family, int n, std::uint32_t* image,
                       const Progress& progress) {
    for (int k = 0; k < n; ++k) {
        StopPoint(k);
        image[k] = ReadForced(board, family);
        SendCommand(board, IncrementAddress);
        Report(progress, k + 1, n);
    }
}

void ReadChipWords(ProgrammerLink& board, const ChipFamily& family, int n, std::uint32_t* image,
                   const Progress& progress) {
    board.Pause(SettleMilliseconds);
    ReadWordsFromHere(board, family, n, image, progress);
    ExitProgramMode(board);
    // The configuration read-out that follows powers up again; let the supplies fall first.
    board.Pause(SettleMilliseconds);
}

BlankCheckResult BlankCheckWords(ProgrammerLink& board, const ChipFamily& family, int n,
                                 const Progress& progress) {
    board.Pause(SettleMilliseconds);
    BlankCheckResult result{0, 0};
    for (int k = 0; k < n; ++k) {
        StopPoint(k);
        if (ReadForced(board, family) != 0xFFFF) {
            ++result.nonBlankWords;
        }
        SendCommand(board, IncrementAddress);
        Report(progress, k + 1, n);
    }
    result.calibrationWord = ReadWord(board);
    ExitProgramMode(board);
    return result;
}

VerifyResult VerifyWords(ProgrammerLink& board, const ChipFamily& family,
                         const std::uint32_t* image, int count, bool verifyAllowed,
                         const Progress& progress) {
    board.Pause(SettleMilliseconds);
    if (!verifyAllowed) {
        ExitProgramMode(board);
        return {true, 0, {}};
    }
    VerifyResult result{false, 0, {}};
    for (int k = 0; k < count; ++k) {
        StopPoint(k);
        const std::uint16_t expected = static_cast<std::uint16_t>(image[k] | family.ReadForceMask);
        const std::uint16_t word = ReadForced(board, family);
        if (word != expected) {
            ++result.differences;
            result.mismatches.push_back({k, word, expected});
        }
        Report(progress, k + 1, count);
        SendCommand(board, IncrementAddress);
    }
    ExitProgramMode(board);
    return result;
}
