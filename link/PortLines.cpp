// The board's lines, through its pin map, and the two power-up sequences.
//
// Power-up: both supplies switch on while data and clock are held low, which puts the chip into
// programming mode. The 12-bit chips want switch A (VDD) first and the programming voltage
// (switch B) within 9 ms, so the gap is timed on the board's clock, not counted; the 14-bit chips
// want switch B first. Power-down switches both off and
// leaves data and clock as they were, so the board rests with both low after a frame (0x03 on the
// parallel port's wiring).

#include "link/ProgrammerPort.h"

namespace {

constexpr int SupplySettlingIterations = 65536;
// Between the supplies of a 12-bit chip, as the chip maker allows it.
constexpr std::int64_t MaximumSupplyGapNs = 9'000'000;

// The `high` lines to their high level and the `low` lines to their low one, the rest kept.
void Drive(ProgrammerLink& board, std::uint8_t high, std::uint8_t low) {
    const PortBits& bits = board.Bits();
    const std::uint8_t set = bits.Levels(high, low);
    board.ModifyData(set, static_cast<std::uint8_t>((high | low) & ~set));
}

// A probe of detection may name a port the link is not open at; that one is read from the port.
void DriveDataOf(ProgrammerLink& board, std::uint16_t port, bool high) {
    const PortBits& bits = board.Bits();
    if (port == board.DataPort()) {
        Drive(board, high ? bits.data : 0, high ? 0 : bits.data);
        return;
    }
    PortIo& io = board.Io();
    const std::uint8_t level = high ? bits.Levels(bits.data, 0) : bits.Levels(0, bits.data);
    io.Out(port, static_cast<std::uint8_t>((io.In(port) & ~bits.data) | level));
}

void Switched(const SupplySwitched& switched, std::uint8_t written) {
    if (switched) {
        switched(written);
    }
}

}  // namespace

void EnterProgramMode12Bit(ProgrammerLink& board, const SupplySwitched& switched) {
    const PortBits& bits = board.Bits();
    const std::uint8_t lowLines = bits.data | bits.clock;
    const std::uint8_t firstOn = bits.Levels(bits.vdd, lowLines | bits.vpp);
    const std::int64_t start = board.Now();
    board.WriteData(firstOn);
    const std::int64_t oneWrite = board.Now() - start;
    Switched(switched, firstOn);
    board.BusyWait(SupplySettlingIterations);
    // A port (or a machine) this slow would raise the programming voltage too late: better not
    // at all, and the supply goes off again whoever called (the probe of detection too).
    if (board.Now() - start + oneWrite > MaximumSupplyGapNs) {
        ExitProgramMode(board);
        throw PortFailure("the board's port is too slow to switch the supplies 9 ms apart");
    }
    const std::uint8_t bothOn = bits.Levels(bits.Supplies(), lowLines);
    board.WriteData(bothOn);
    // On the wire before the gap is judged, on a batching backend too.
    board.Flush();
    // Measured from before the first switch to after the second: never less than the gap.
    if (board.Now() - start > MaximumSupplyGapNs) {
        ExitProgramMode(board);
        throw PortFailure("the board's supplies came on more than 9 ms apart");
    }
    Switched(switched, bothOn);
}

void EnterProgramMode14Bit(ProgrammerLink& board, const SupplySwitched& switched) {
    const PortBits& bits = board.Bits();
    const std::uint8_t lowLines = bits.data | bits.clock;
    const std::uint8_t firstOn = bits.Levels(bits.vpp, lowLines | bits.vdd);
    board.WriteData(firstOn);
    Switched(switched, firstOn);
    board.Pause(1);
    const std::uint8_t bothOn = bits.Levels(bits.Supplies(), lowLines);
    board.WriteData(bothOn);
    Switched(switched, bothOn);
}

void ExitProgramMode(ProgrammerLink& board) {
    // Data and clock stay; everything else (the supplies, the unused bits) goes to 0 or off.
    const PortBits& bits = board.Bits();
    const std::uint8_t kept = board.Shadow() & (bits.data | bits.clock);
    board.WriteData(static_cast<std::uint8_t>(kept | bits.Levels(0, bits.Supplies())));
}

void SetDataLine(ProgrammerLink& board, int logicLevel) {
    if (logicLevel != 0) {
        Drive(board, board.Bits().data, 0);
    } else {
        Drive(board, 0, board.Bits().data);
    }
}

void ReleaseDataLine(ProgrammerLink& board) {
    Drive(board, board.Bits().data, 0);
}

void ClockHigh(ProgrammerLink& board) {
    Drive(board, board.Bits().clock, 0);
}

void ClockLow(ProgrammerLink& board) {
    Drive(board, 0, board.Bits().clock);
}

void ClockHighWithData(ProgrammerLink& board, int logicLevel) {
    const PortBits& bits = board.Bits();
    if (logicLevel != 0) {
        Drive(board, bits.data | bits.clock, 0);
    } else {
        Drive(board, bits.clock, bits.data);
    }
}

void ClockHighReleasingData(ProgrammerLink& board) {
    ClockHighWithData(board, 1);
}

void DriveDataLowAfter(ProgrammerLink& board, std::int64_t holdNanoseconds) {
    const PortBits& bits = board.Bits();
    if (bits.High(board.Shadow(), bits.data)) {
        board.WaitSinceLastWrite(holdNanoseconds);
        Drive(board, 0, bits.data);
    }
}

void TimeLastEdge(ProgrammerLink& board) {
    board.TimeLastWrite();
}

void WaitSinceLastEdge(ProgrammerLink& board, std::int64_t nanoseconds) {
    board.WaitSinceLastWrite(nanoseconds);
}

int SampleDataLine(ProgrammerLink& board) {
    return board.Bits().ReturnLevel(board.ReadStatus());
}

void ClearDataBit(ProgrammerLink& board, std::uint16_t port) {
    DriveDataOf(board, port, true);
}

void SetDataBit(ProgrammerLink& board, std::uint16_t port) {
    DriveDataOf(board, port, false);
}

std::uint16_t CheckReturnLow(ProgrammerLink& board) {
    return SampleDataLine(board) == 1 ? 0 : 0xFFFF;
}

std::uint16_t CheckReturnHigh(ProgrammerLink& board) {
    return SampleDataLine(board) == 0 ? 0 : 0xFFFF;
}
