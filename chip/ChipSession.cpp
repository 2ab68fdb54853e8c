#include "chip/ChipSession.h"

namespace {

std::function<void(bool)> powerUpWatcher;

void TellWatcher(bool ready) {
    if (powerUpWatcher) {
        powerUpWatcher(ready);
    }
}

}  // namespace

PowerUpWatch::PowerUpWatch(std::function<void(bool ready)> watcher) {
    powerUpWatcher = std::move(watcher);
}

PowerUpWatch::~PowerUpWatch() {
    powerUpWatcher = nullptr;
}

PoweredChip::PoweredChip(const ChipFamily& family, StartAt start) {
    TellWatcher(false);
    family.EnterProgramMode();
    if (start == StartAt::AddressZero) {
        for (int i = 0; i < family.incrementsToAddressZero; ++i) {
            SendCommand(IncrementAddress);
        }
    }
    TellWatcher(true);
}

PoweredChip::~PoweredChip() {
    if (CurrentLink().Powered()) {
        ExitProgramMode();
    }
}
