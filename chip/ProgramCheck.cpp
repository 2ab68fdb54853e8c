#include "chip/ProgramCheck.h"

#include "chip/ChipReads.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"

ProgramCheck CheckProgrammed(ProgrammerLink& board, const ChipFamily& family,
                             const std::uint32_t* image, int words, bool wordsVisible,
                             const Progress& progress) {
    ProgramCheck check;
    if (wordsVisible) {
        check.differences = VerifyChip(board, family, image, words, true, progress).differences;
    }
    const std::uint16_t config = family.Forced(image[family.configAddress]);
    if (!family.IsBlankForProgramming(config) && ReadConfigWordFromChip(board, family) != config) {
        check.configurationDiffers = true;
        ++check.differences;
    }
    return check;
}
