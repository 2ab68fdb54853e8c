#include "chip/BoardChecks.h"

#include "chip/ChipTable.h"
#include "link/ProgrammerPort.h"

namespace {

// A line needs a moment to follow the register through the cable.
constexpr std::int64_t LineSettleNs = 1'000;

void ExpectLine(ProgrammerLink& board, int level) {
    WaitSinceLastEdge(board, LineSettleNs);
    if (SampleDataLine(board) != level) {
        throw PortFailure(level == 0 ? "the board's data line does not go low"
                                     : "the board's data line does not come back high");
    }
}

// The board's four output lines in the register read from the port, not the shadow.
void ExpectRegister(ProgrammerLink& board, std::uint8_t value) {
    const std::uint8_t lines = board.Bits().Outputs();
    if ((board.ReadDataRegister() & lines) != (value & lines)) {
        throw PortFailure("the board's data register does not hold what was written");
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
    // The family's own sequence, each supply switch read back before the next may follow.
    family.EnterProgramMode(board,
                            [&board](std::uint8_t written) { ExpectRegister(board, written); });
}

void PowerDownChecked(ProgrammerLink& board) {
    ExitProgramMode(board);
    if (board.PoweredIn(board.ReadDataRegister())) {
        throw PortFailure("the board's supplies did not switch off");
    }
}
