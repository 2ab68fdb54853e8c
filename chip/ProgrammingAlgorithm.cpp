#include "chip/ProgrammingAlgorithm.h"

#include <algorithm>
#include <vector>

#include "chip/ChipSession.h"
#include "chip/IdWords.h"
#include "chip/ProgramWalk.h"
#include "chip/PulsePlan.h"

namespace {

// The programmed words that are not the image's, read as every read the front ends report from
// (twice, in power-ups of their own, unless the first pass is the image): program words, the
// calibration word when one was programmed, the ID words when they were.
std::vector<int> WordsNotAsProgrammed(ProgrammerLink& board, const ChipInfo& chip,
                                      const ProgramJob& job, const Progress& progress) {
    const ChipFamily& family = chip.family;
    const int below = std::min(job.words, chip.calibrationAddress);
    auto differing = [&](const ConfigAndIdWords& onChip) {
        std::vector<int> addresses;
        for (int k = 0; k < below; ++k) {
            if (onChip.words[static_cast<std::size_t>(k)] != family.Forced(job.image[k])) {
                addresses.push_back(k);
            }
        }
        const std::uint32_t calibration = job.image[chip.calibrationAddress];
        if (job.words > chip.calibrationAddress && !family.IsBlankForProgramming(calibration) &&
            family.Forced(onChip.calibration) != family.Forced(calibration)) {
            addresses.push_back(chip.calibrationAddress);
        }
        if (job.idAddress != NoIdWords) {
            for (const WordMismatch& id : IdWordDifferences(chip, job.image, onChip.ids)) {
                addresses.push_back(id.address);
            }
        }
        return addresses;
    };
    return differing(ReadConfigAndIdWords(
        board, chip, below, progress,
        [&](const ConfigAndIdWords& pass) { return differing(pass).empty(); }));
}

}  // namespace

ProgramResult ProgramChip(ProgrammerLink& board, const ChipInfo& chip, Algorithm algorithm,
                          const std::uint32_t* image, bool keepCalibration, bool idWords,
                          const Progress& progress) {
    const ChipFamily& family = chip.family;
    const PulsePlan plan(board, algorithm, family);
    ProgramJob job{
        image,
        keepCalibration ? chip.memoryWords - 1 : chip.memoryWords,
        idWords && HasIdWords(chip, image) ? chip.idAddress : NoIdWords,
    };
    job.configuration = !family.Protects(image[family.configAddress]);
    ProgramResult result = RunOnChip(board, family, StartAt::PowerUp,
                                     [&] { return ProgramWords(plan, job, progress); });
    if (job.configuration) {
        return result;
    }
    // Once protected, nothing can look at the words again: this is the last chance.
    if (result.errors == 0) {
        for (int address : WordsNotAsProgrammed(board, chip, job, progress)) {
            ++result.errors;
            result.failedAddresses.push_back(address);
        }
    }
    if (result.errors > 0) {
        result.protectionWithheld = true;
        return result;
    }
    if (!RunOnChip(board, family, StartAt::PowerUp,
                   [&] { return ProgramConfigurationWord(plan, image); })) {
        ++result.errors;
        result.configurationFailed = true;
        result.failedAddresses.push_back(family.configAddress);
    }
    return result;
}
