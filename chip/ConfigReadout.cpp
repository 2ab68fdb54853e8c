#include "chip/ConfigReadout.h"

#include "chip/AgreedRead.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/ProgrammerPort.h"

namespace {

std::uint16_t ReadWord(ProgrammerLink& board) {
    SendCommand(board, ReadData);
    return ReadDataWord(board);
}

std::uint16_t ReadConfigWordOnce(ProgrammerLink& board, const ChipFamily& family) {
    return RunOnChip(board, family, StartAt::PowerUp, [&] {
        if (!family.configAtPowerUp) {
            board.Pause(SettleMilliseconds);
            SendCommand(board, LoadConfiguration);
            SendDataWord(board, 0x3FFF);
            for (int i = 0; i < family.incrementsFromConfigurationArea; ++i) {
                SendCommand(board, IncrementAddress);
            }
        }
        const std::uint16_t word = ReadWord(board) | family.ReadForceMask;
        ExitProgramMode(board);
        return word;
    });
}

}  // namespace

std::uint16_t ReadConfigWordFromChip(ProgrammerLink& board, const ChipFamily& family) {
    const std::function<std::uint16_t(const Progress&)> pass = [&](const Progress&) {
        return ReadConfigWordOnce(board, family);
    };
    return Agreed(board, pass, nullptr);
}

std::uint16_t ReadCalibrationWord(ProgrammerLink& board, int count,
                                  const std::function<void(int)>& progress) {
    board.Pause(SettleMilliseconds);
    for (int i = 0; i < count; ++i) {
        StopPoint(i);
        SendCommand(board, IncrementAddress);
        if (progress) {
            progress((i + 1) * 100 / count);
        }
    }
    const std::uint16_t word = ReadWord(board);
    ExitProgramMode(board);
    return word;
}
