#include "chip/ProgrammingAlgorithm.h"

#include "chip/ChipSession.h"
#include "chip/IdWords.h"
#include "chip/ProgramWalk.h"
#include "chip/PulsePlan.h"

ProgramResult ProgramChip(ProgrammerLink& board, const ChipInfo& chip, Algorithm algorithm,
                          const std::uint32_t* image, bool keepCalibration, bool idWords,
                          const Progress& progress) {
    const PulsePlan plan(board, algorithm, chip.family);
    const ProgramJob job{
        image,
        keepCalibration ? chip.memoryWords - 1 : chip.memoryWords,
        idWords && HasIdWords(chip, image) ? chip.idAddress : NoIdWords,
    };
    return RunOnChip(board, chip.family, StartAt::PowerUp,
                     [&] { return ProgramWords(plan, job, progress); });
}
