#include "chip/IdWords.h"

#include <array>

#include "chip/AgreedRead.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/ProgrammerPort.h"

namespace {

// From the first ID word on: each read, then on to the next.
std::vector<std::uint16_t> ReadIdWordsHere(ProgrammerLink& board, const ChipInfo& chip) {
    std::vector<std::uint16_t> words;
    for (int i = 0; i < IdWordCount; ++i) {
        StopPoint(chip.idAddress + i);
        SendCommand(board, ReadData);
        words.push_back(chip.family.Forced(ReadDataWord(board)));
        SendCommand(board, IncrementAddress);
    }
    return words;
}

std::vector<std::uint16_t> ReadFromChipOnce(ProgrammerLink& board, const ChipInfo& chip) {
    const ChipFamily& family = chip.family;
    return RunOnChip(board, family, StartAt::AddressZero, [&] {
        board.Pause(SettleMilliseconds);
        if (family.configAtPowerUp) {
            // The 12-bit chips: on from address 0 past the end of program memory.
            for (int address = 0; address < chip.idAddress; ++address) {
                SendCommand(board, IncrementAddress);
            }
        } else {
            // The 14-bit chips: the ID words open configuration memory.
            SendCommand(board, LoadConfiguration);
            SendDataWord(board, 0x3FFF);
        }
        std::vector<std::uint16_t> words = ReadIdWordsHere(board, chip);
        ExitProgramMode(board);
        return words;
    });
}

ConfigAndIdWords ReadConfigAndIdWordsOnce(ProgrammerLink& board, const ChipInfo& chip,
                                          int programWords, const Progress& progress) {
    const ChipFamily& family = chip.family;
    return RunOnChip(board, family, StartAt::PowerUp, [&] {
        ConfigAndIdWords words{};
        std::vector<std::uint32_t> program(static_cast<std::size_t>(programWords));
        // From the last program word read on to the calibration word, and past it.
        auto readCalibration = [&] {
            for (int address = programWords; address < chip.calibrationAddress; ++address) {
                SendCommand(board, IncrementAddress);
            }
            SendCommand(board, ReadData);
            words.calibration = ReadDataWord(board);
            SendCommand(board, IncrementAddress);
            return chip.calibrationAddress + 1;
        };
        if (family.configAtPowerUp) {
            // The 12-bit chips stand at the configuration word after power-up; one step more is
            // address 0, and the ID words follow program memory.
            SendCommand(board, ReadData);
            words.config = static_cast<std::uint16_t>(ReadDataWord(board) | family.ReadForceMask);
            SendCommand(board, IncrementAddress);
            board.Pause(SettleMilliseconds);
            ReadWordsFromHere(board, family, programWords, program.data(), progress);
            for (int address = readCalibration(); address < chip.idAddress; ++address) {
                SendCommand(board, IncrementAddress);
            }
            words.ids = ReadIdWordsHere(board, chip);
        } else {
            // The 14-bit chips: program memory from address 0, then configuration memory holds
            // the ID words, then the configuration word a few steps on.
            for (int i = 0; i < family.incrementsToAddressZero; ++i) {
                SendCommand(board, IncrementAddress);
            }
            board.Pause(SettleMilliseconds);
            ReadWordsFromHere(board, family, programWords, program.data(), progress);
            readCalibration();
            SendCommand(board, LoadConfiguration);
            SendDataWord(board, 0x3FFF);
            words.ids = ReadIdWordsHere(board, chip);
            for (int i = IdWordCount; i < family.incrementsFromConfigurationArea; ++i) {
                SendCommand(board, IncrementAddress);
            }
            SendCommand(board, ReadData);
            words.config = static_cast<std::uint16_t>(ReadDataWord(board) | family.ReadForceMask);
        }
        ExitProgramMode(board);
        words.words.assign(program.begin(), program.end());
        return words;
    });
}

// Each read twice, in power-ups of their own (AgreedRead.h).
std::vector<std::uint16_t> ReadFromChip(ProgrammerLink& board, const ChipInfo& chip) {
    const std::function<std::vector<std::uint16_t>(const Progress&)> pass = [&](const Progress&) {
        return ReadFromChipOnce(board, chip);
    };
    return Agreed(board, pass, nullptr);
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

void ReadIdWords(ProgrammerLink& board, const ChipInfo& chip, std::uint32_t* image) {
    const auto words = ReadFromChip(board, chip);
    for (int i = 0; i < IdWordCount; ++i) {
        image[chip.idAddress + i] = words[static_cast<std::size_t>(i)];
    }
}

ConfigAndIdWords ReadConfigAndIdWords(
    ProgrammerLink& board, const ChipInfo& chip, int programWords, const Progress& progress,
    const std::function<bool(const ConfigAndIdWords&)>& expected) {
    const std::function<ConfigAndIdWords(const Progress&)> pass = [&](const Progress& bar) {
        return ReadConfigAndIdWordsOnce(board, chip, programWords, bar);
    };
    return Agreed(board, pass, progress, expected);
}

std::vector<WordMismatch> IdWordDifferences(ProgrammerLink& board, const ChipInfo& chip,
                                            const std::uint32_t* image) {
    return IdWordDifferences(chip, image, ReadFromChip(board, chip));
}

std::vector<WordMismatch> IdWordDifferences(const ChipInfo& chip, const std::uint32_t* image,
                                            const std::vector<std::uint16_t>& words) {
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
