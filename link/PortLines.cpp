// The board's lines, through its pin map, and the two power-up sequences.
//
// Power-up: both supplies switch on while data and clock are held low, which puts the chip into
// programming mode. The 12-bit chips want switch A (VDD) first and the programming voltage
// (switch B) within 9 ms, so the gap is timed on the board's clock, not counted; the 14-bit chips
// want switch B first. The power sequences write their values whole (on a parallel port the bits
// that carry no line go to 0). Power-down switches both off and leaves data and clock as they
// were, so the board rests with both low after a frame (0x03 on the parallel port's wiring), and
// sends what a batching backend holds, so the board is never left powered by a queue.

#include "link/ProgrammerPort.h"
#include "link/UrgentSection.h"

namespace {

constexpr int SupplySettlingIterations = 65536;
// Between the supplies of a 12-bit chip, as the chip maker allows it.
constexpr std::int64_t MaximumSupplyGapNs = 9'000'000;

void Switched(const SupplySwitched& switched, const OutputLines& written) {
    if (switched) {
        switched(written);
    }
}

// The board's lines with data and clock low and the supplies as given.
OutputLines PoweredLines(bool vdd, bool vpp) {
    return {false, false, vdd, vpp};
}

}  // namespace

void EnterProgramMode12Bit(ProgrammerLink& board, const SupplySwitched& switched) {
    // The timed part on a fresh time slice, ahead of ordinary threads where the system allows.
    const UrgentSection urgent;
    const OutputLines firstOn = PoweredLines(true, false);
    const std::int64_t start = board.Now();
    board.SetLines(firstOn, true);
    const std::int64_t oneWrite = board.Now() - start;
    Switched(switched, firstOn);
    board.BusyWait(SupplySettlingIterations);
    // A port (or a machine) this slow would raise the programming voltage too late: better not
    // at all, and the supply goes off again whoever called.
    if (board.Now() - start + oneWrite > MaximumSupplyGapNs) {
        ExitProgramMode(board);
        throw SupplyGapMissed("the board's port is too slow to switch the supplies 9 ms apart");
    }
    const OutputLines bothOn = PoweredLines(true, true);
    board.SetLines(bothOn, true);
    // On the wire before the gap is judged, on a batching backend too.
    board.Flush();
    // Measured from before the first switch to after the second: never less than the gap.
    if (board.Now() - start > MaximumSupplyGapNs) {
        ExitProgramMode(board);
        throw SupplyGapMissed("the board's supplies came on more than 9 ms apart");
    }
    Switched(switched, bothOn);
}

void EnterProgramMode14Bit(ProgrammerLink& board, const SupplySwitched& switched) {
    const OutputLines firstOn = PoweredLines(false, true);
    board.SetLines(firstOn, true);
    Switched(switched, firstOn);
    board.Pause(1);
    const OutputLines bothOn = PoweredLines(true, true);
    board.SetLines(bothOn, true);
    Switched(switched, bothOn);
}

void ExitProgramMode(ProgrammerLink& board) {
    // Data and clock stay; the supplies (and a parallel port's unused bits) go off.
    board.SetLines(board.Lines().WithSuppliesOff(), true);
    // Not left in a batching backend's queue: the board rests unpowered from here on.
    board.Flush();
}

void SetDataLine(ProgrammerLink& board, int logicLevel) {
    OutputLines lines = board.Lines();
    lines.data = logicLevel != 0;
    board.SetLines(lines);
}

void ReleaseDataLine(ProgrammerLink& board) {
    SetDataLine(board, 1);
}

void ClockHigh(ProgrammerLink& board) {
    OutputLines lines = board.Lines();
    lines.clock = true;
    board.SetLines(lines);
}

void ClockLow(ProgrammerLink& board) {
    OutputLines lines = board.Lines();
    lines.clock = false;
    board.SetLines(lines);
}

void ClockHighWithData(ProgrammerLink& board, int logicLevel) {
    OutputLines lines = board.Lines();
    lines.clock = true;
    lines.data = logicLevel != 0;
    board.SetLines(lines);
}

void ClockHighReleasingData(ProgrammerLink& board) {
    ClockHighWithData(board, 1);
}

void DriveDataLowAfter(ProgrammerLink& board, std::int64_t holdNanoseconds) {
    if (board.Lines().data) {
        board.WaitSinceLastWrite(holdNanoseconds);
        SetDataLine(board, 0);
    }
}

void TimeLastEdge(ProgrammerLink& board) {
    board.TimeLastWrite();
}

void WaitSinceLastEdge(ProgrammerLink& board, std::int64_t nanoseconds) {
    board.WaitSinceLastWrite(nanoseconds);
}

int SampleDataLine(ProgrammerLink& board) {
    return board.SampleReturn();
}

void ClearDataBit(ProgrammerLink& board) {
    ReleaseDataLine(board);
}

void SetDataBit(ProgrammerLink& board) {
    SetDataLine(board, 0);
}

std::uint16_t CheckReturnLow(ProgrammerLink& board) {
    return SampleDataLine(board) == 1 ? 0 : 0xFFFF;
}

std::uint16_t CheckReturnHigh(ProgrammerLink& board) {
    return SampleDataLine(board) == 0 ? 0 : 0xFFFF;
}
