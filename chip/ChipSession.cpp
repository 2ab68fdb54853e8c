#include "chip/ChipSession.h"

PoweredChip::PoweredChip(const ChipFamily& family, StartAt start) {
    family.EnterProgramMode();
    if (start == StartAt::AddressZero) {
        for (int i = 0; i < family.incrementsToAddressZero; ++i) {
            SendCommand(IncrementAddress);
        }
    }
}

PoweredChip::~PoweredChip() {
    if (CurrentLink().Powered()) {
        ExitProgramMode();
    }
}
