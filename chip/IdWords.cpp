#include "chip/IdWords.h"

#include <array>

#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

std::array<std::uint16_t, IdWordCount> ReadFromChip(const ChipInfo& chip) {
    const ChipFamily& family = chip.family;
    return RunOnChip(family, StartAt::AddressZero, [&] {
        Pause(SettleMilliseconds);
        if (family.configAtPowerUp) {
            // The 12-bit chips: on from address 0 past the end of program memory.
            for (int address = 0; address < chip.idAddress; ++address) {
                SendCommand(IncrementAddress);
            }
        } else {
            // The 14-bit chips: the ID words open configuration memory.
            SendCommand(LoadConfiguration);
            SendDataWord(0x3FFF);
        }
        std::array<std::uint16_t, IdWordCount> words{};
        for (int i = 0; i < IdWordCount; ++i) {
            StopPoint(chip.idAddress + i);
            SendCommand(ReadData);
            words[static_cast<std::size_t>(i)] = family.Forced(ReadDataWord());
            SendCommand(IncrementAddress);
        }
        ExitProgramMode();
        return words;
    });
}

}  // namespace

bool HasIdWords(const ChipInfo& chip, const std::uint32_t* image) {
    for (int i = 0; i < IdWordCount; ++i) {
        if (!chip.family.IsBlankForProgramming(image[chip.idAddress + i])) {
            return true;
        }
    }
    return false;
}

void ReadIdWords(const ChipInfo& chip, std::uint32_t* image) {
    const auto words = ReadFromChip(chip);
    for (int i = 0; i < IdWordCount; ++i) {
        image[chip.idAddress + i] = words[static_cast<std::size_t>(i)];
    }
}

std::vector<WordMismatch> IdWordDifferences(const ChipInfo& chip, const std::uint32_t* image) {
    const auto words = ReadFromChip(chip);
    std::vector<WordMismatch> differences;
    for (int i = 0; i < IdWordCount; ++i) {
        const std::uint16_t onChip = words[static_cast<std::size_t>(i)];
        const std::uint16_t expected = chip.family.Forced(image[chip.idAddress + i]);
        if (onChip != expected) {
            differences.push_back({chip.idAddress + i, onChip, expected});
        }
    }
    return differences;
}
