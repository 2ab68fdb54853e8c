#include "chip/ChipReads.h"

#include "chip/AgreedRead.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"
#include "link/ProgrammerPort.h"

std::vector<std::uint16_t> ReadProgramWords(
    ProgrammerLink& board, const ChipFamily& family, int n, const Progress& progress,
    const std::function<bool(const std::vector<std::uint16_t>&)>& expected) {
    const std::function<std::vector<std::uint16_t>(const Progress&)> pass =
        [&](const Progress& bar) {
            std::vector<std::uint32_t> words(static_cast<std::size_t>(n));
            RunOnChip(board, family, StartAt::AddressZero, [&] {
                board.Pause(SettleMilliseconds);
                ReadWordsFromHere(board, family, n, words.data(), bar);
                ExitProgramMode(board);
            });
            return std::vector<std::uint16_t>(words.begin(), words.end());
        };
    return Agreed(board, pass, progress, expected);
}

BlankCheckResult BlankCheckChip(ProgrammerLink& board, const ChipFamily& family, int n,
                                const Progress& progress) {
    // Every word and the calibration word, so that the two passes agree on all they report.
    const std::vector<std::uint16_t> words = ReadProgramWords(board, family, n + 1, progress);
    BlankCheckResult result{0, words.back()};
    for (int k = 0; k < n; ++k) {
        if (words[static_cast<std::size_t>(k)] != 0xFFFF) {
            ++result.nonBlankWords;
        }
    }
    return result;
}

VerifyResult VerifyChip(ProgrammerLink& board, const ChipFamily& family, const std::uint32_t* image,
                        int count, bool verifyAllowed, const Progress& progress) {
    VerifyResult result{!verifyAllowed, 0, {}};
    if (!verifyAllowed || count <= 0) {
        return result;
    }
    const std::vector<std::uint16_t> words = ReadProgramWords(board, family, count, progress);
    for (int k = 0; k < count; ++k) {
        const std::uint16_t expected = family.Forced(image[k]);
        const std::uint16_t word = words[static_cast<std::size_t>(k)];
        if (word != expected) {
            ++result.differences;
            result.mismatches.push_back({k, word, expected});
        }
    }
    return result;
}

std::uint16_t ReadCalibrationFromChip(ProgrammerLink& board, const ChipFamily& family, int count,
                                      const Progress& progress) {
    const std::function<std::uint16_t(const Progress&)> pass = [&](const Progress& bar) {
        return RunOnChip(board, family, StartAt::AddressZero,
                         [&] { return ReadCalibrationWord(board, count, bar); });
    };
    return Agreed(board, pass, progress);
}
