#include "chip/ProgramCheck.h"

#include "chip/ChipReads.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"

ProgramCheck CheckProgrammed(ProgrammerLink& board, const ChipFamily& family,
                             const std::uint32_t* image, int words, bool wordsVisible,
                             const Progress& progress) {
    ProgramCheck check;
    if (wordsVisible && words > 0) {
        auto differences = [&](const std::vector<std::uint16_t>& onChip) {
            int count = 0;
            for (int k = 0; k < words; ++k) {
                count += onChip[static_cast<std::size_t>(k)] != family.Forced(image[k]) ? 1 : 0;
            }
            return count;
        };
        check.differences = differences(ReadProgramWords(
            board, family, words, progress,
            [&](const std::vector<std::uint16_t>& pass) { return differences(pass) == 0; }));
    }
    const std::uint16_t config = family.Forced(image[family.configAddress]);
    if (!family.IsBlankForProgramming(config) && ReadConfigWordFromChip(board, family) != config) {
        check.configurationDiffers = true;
        ++check.differences;
    }
    return check;
}
