#include "chip/ChipSession.h"

#include <cstdlib>

#include "chip/BoardChecks.h"

namespace {

std::terminate_handler previousTerminate = nullptr;
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
    try {
        // A board that does not loop its data line back would make up every word read.
        CheckLoopback();
        PowerUpChecked(family);
        if (start == StartAt::AddressZero) {
            for (int i = 0; i < family.incrementsToAddressZero; ++i) {
                SendCommand(IncrementAddress);
            }
        }
    } catch (...) {
        // The destructor of an object whose constructor threw never runs.
        PowerDownBestEffort();
        throw;
    }
    TellWatcher(true);
}

PoweredChip::~PoweredChip() {
    if (!poweredDown_) {
        PowerDownBestEffort();
    }
}

void PoweredChip::PowerDown() {
    ProgrammerLink& link = CurrentLink();
    if (link.Powered()) {
        ExitProgramMode();
    }
    // The register read back, not the shadow: a write the port lost would leave the chip powered
    // while the program reported success.
    if (link.PoweredIn(link.Io().In(link.DataPort()))) {
        PowerDownBestEffort();
        throw PortFailure("the board's supplies did not switch off");
    }
    poweredDown_ = true;
    // A line that stuck during the run made up what the run read.
    CheckLoopback();
}

void PowerDownBestEffort() noexcept {
    ProgrammerLink& link = CurrentLink();
    try {
        ExitProgramMode();
    } catch (...) {
    }
    // Straight to the port, not trusting the shadow: a lost write may have left the supplies on
    // while the shadow says off.
    try {
        link.Io().Out(link.DataPort(), link.SuppliesOff(link.Shadow()));
    } catch (...) {
    }
}

void PowerDownOnTerminate() {
    previousTerminate = std::set_terminate([] {
        PowerDownBestEffort();
        if (previousTerminate != nullptr) {
            previousTerminate();
        }
        std::abort();
    });
}
