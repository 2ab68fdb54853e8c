#include "chip/ConfigReadout.h"

#include "chip/AgreedRead.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

std::uint16_t ReadWord() {
    SendCommand(ReadData);
    return ReadDataWord();
}

std::uint16_t ReadConfigWordOnce(const ChipFamily& family) {
    return RunOnChip(family, StartAt::PowerUp, [&] {
        if (!family.configAtPowerUp) {
            Pause(SettleMilliseconds);
            SendCommand(LoadConfiguration);
            SendDataWord(0x3FFF);
            for (int i = 0; i < family.incrementsFromConfigurationArea; ++i) {
                SendCommand(IncrementAddress);
            }
        }
        const std::uint16_t word = ReadWord() | family.ReadForceMask;
        ExitProgramMode();
        return word;
    });
}

}  // namespace

std::uint16_t ReadConfigWordFromChip(const ChipFamily& family) {
    const std::function<std::uint16_t(const Progress&)> pass = [&](const Progress&) {
        return ReadConfigWordOnce(family);
    };
    return Agreed(pass, nullptr);
}

std::uint16_t ReadCalibrationWord(int count, const std::function<void(int)>& progress) {
    Pause(SettleMilliseconds);
    for (int i = 0; i < count; ++i) {
        StopPoint(i);
        SendCommand(IncrementAddress);
        if (progress) {
            progress((i + 1) * 100 / count);
        }
    }
    const std::uint16_t word = ReadWord();
    ExitProgramMode();
    return word;
}
