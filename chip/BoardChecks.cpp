#include "chip/BoardChecks.h"

#include <optional>

#include "chip/ChipTable.h"
#include "link/ProgrammerPort.h"

namespace {

// The supply left off this long between tries of a 12-bit power-up the host was too slow for.
constexpr int PowerUpRetryMilliseconds = 20;
// A line needs a moment to follow the register through the cable.
constexpr std::int64_t LineSettleNs = 1'000;

void ExpectLine(ProgrammerLink& board, int level) {
    WaitSinceLastEdge(board, LineSettleNs);
    if (SampleDataLine(board) != level) {
        throw PortFailure(level == 0 ? "the board's data line does not go low"
                                     : "the board's data line does not come back high");
    }
}

// The board's four outputs as the device's pins hold them, not the shadow; a device that cannot
// read its outputs back has nothing to check here.
void ExpectOutputs(ProgrammerLink& board, const OutputLines& written) {
    const std::optional<OutputLines> held = board.ReadBack();
    if (held && *held != written) {
        throw PortFailure("the board's port does not hold what was written");
    }
}

}  // namespace

void CheckLoopback(ProgrammerLink& board) {
    SetDataLine(board, 0);
    ExpectLine(board, 0);
    ReleaseDataLine(board);
    ExpectLine(board, 1);
    SetDataLine(board, 0);
}

void PowerUpChecked(ProgrammerLink& board, const ChipFamily& family) {
    for (int attempt = 1;; ++attempt) {
        try {
            // The family's own sequence, each supply switch read back before the next may follow.
            family.EnterProgramMode(
                board, [&board](const OutputLines& written) { ExpectOutputs(board, written); });
            return;
        } catch (const SupplyGapMissed&) {
            // The programming voltage never came, so the chip only saw its supply come and go,
            // as at any power-up: let it go down, and try again.
            if (attempt == PowerUpAttempts) {
                throw;
            }
            board.Pause(PowerUpRetryMilliseconds);
        }
    }
}

void PowerDownChecked(ProgrammerLink& board) {
    ExitProgramMode(board);
    if (SuppliesHeldOn(board)) {
        throw PortFailure("the board's supplies did not switch off");
    }
}

bool SuppliesHeldOn(ProgrammerLink& board) {
    const std::optional<OutputLines> held = board.ReadBack();
    return held && held->Powered();
}
