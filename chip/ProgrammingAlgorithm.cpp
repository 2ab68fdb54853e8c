#include "chip/ProgrammingAlgorithm.h"

#include "chip/ChipSession.h"
#include "chip/IdWords.h"
#include "chip/ProgramWalk.h"
#include "chip/PulsePlan.h"

ProgramResult ProgramChip(const ChipInfo& chip, Algorithm algorithm, const std::uint32_t* image,
                          bool keepCalibration, bool idWords, const Progress& progress) {
    const PulsePlan plan(algorithm, chip.family);
    const ProgramJob job{
        image,
        keepCalibration ? chip.memoryWords - 1 : chip.memoryWords,
        idWords && HasIdWords(chip, image) ? chip.idAddress : NoIdWords,
    };
    return RunOnChip(chip.family, StartAt::PowerUp,
                     [&] { return ProgramWords(plan, job, progress); });
}
