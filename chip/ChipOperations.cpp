// Read, blank check and verify: one pass over the words, each read once.

#include "chip/ChipOperations.h"

#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

std::uint16_t ReadWord() {
    SendCommand(ReadData);
    return ReadDataWord();
}

std::uint16_t ReadForced(const ChipFamily& family) {
    return static_cast<std::uint16_t>(ReadWord() | family.ReadForceMask);
}

void Report(const Progress& progress, int done, int total) {
    if (progress) {
        progress(100 * done / total);
    }
}

}  // namespace

void ReadWordsFromHere(const ChipFamily& family, int n, std::uint32_t* image,
                       const Progress& progress) {
    for (int k = 0; k < n; ++k) {
        StopPoint(k);
        image[k] = ReadForced(family);
        SendCommand(IncrementAddress);
        Report(progress, k + 1, n);
    }
}

void ReadChipWords(const ChipFamily& family, int n, std::uint32_t* image,
                   const Progress& progress) {
    Pause(SettleMilliseconds);
    ReadWordsFromHere(family, n, image, progress);
    ExitProgramMode();
    // The configuration read-out that follows powers up again; let the supplies fall first.
    Pause(SettleMilliseconds);
}

BlankCheckResult BlankCheckWords(const ChipFamily& family, int n, const Progress& progress) {
    Pause(SettleMilliseconds);
    BlankCheckResult result{0, 0};
    for (int k = 0; k < n; ++k) {
        StopPoint(k);
        if (ReadForced(family) != 0xFFFF) {
            ++result.nonBlankWords;
        }
        SendCommand(IncrementAddress);
        Report(progress, k + 1, n);
    }
    result.calibrationWord = ReadWord();
    ExitProgramMode();
    return result;
}

VerifyResult VerifyWords(const ChipFamily& family, const std::uint32_t* image, int count,
                         bool verifyAllowed, const Progress& progress) {
    Pause(SettleMilliseconds);
    if (!verifyAllowed) {
        ExitProgramMode();
        return {true, 0, {}};
    }
    VerifyResult result{false, 0, {}};
    for (int k = 0; k < count; ++k) {
        StopPoint(k);
        const std::uint16_t expected = static_cast<std::uint16_t>(image[k] | family.ReadForceMask);
        const std::uint16_t word = ReadForced(family);
        if (word != expected) {
            ++result.differences;
            result.mismatches.push_back({k, word, expected});
        }
        Report(progress, k + 1, count);
        SendCommand(IncrementAddress);
    }
    ExitProgramMode();
    return result;
}
