#include "chip/BoardChecks.h"

#include "chip/ChipTable.h"
#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

// Between the supplies of a 12-bit chip, as the chip maker allows it, and what the program waits.
constexpr std::int64_t MaximumSupplyGapNs = 9'000'000;
constexpr int SupplySettlingIterations = 65536;
// A line needs a moment to follow the register through the cable.
constexpr std::int64_t LineSettleNs = 1'000;

void ExpectLine(int level) {
    WaitSinceLastEdge(LineSettleNs);
    if (SampleDataLine() != level) {
        throw PortFailure(level == 0 ? "the board's data line does not go low"
                                     : "the board's data line does not come back high");
    }
}

// The board's four output lines in the register read from the port, not the shadow.
void ExpectRegister(std::uint8_t value) {
    ProgrammerLink& link = CurrentLink();
    const std::uint8_t lines = link.Bits().Outputs();
    if ((link.Io().In(link.DataPort()) & lines) != (value & lines)) {
        throw PortFailure("the board's data register does not hold what was written");
    }
}

}  // namespace

void CheckLoopback() {
    SetDataLine(0);
    ExpectLine(0);
    ReleaseDataLine();
    ExpectLine(1);
    SetDataLine(0);
}

void PowerUpChecked(const ChipFamily& family) {
    ProgrammerLink& link = CurrentLink();
    // Data and clock held low while the supplies come on, through the pin map.
    const PortBits& bits = link.Bits();
    const std::uint8_t lowLines = bits.data | bits.clock;
    const std::uint8_t first = family.Is14Bit() ? bits.vpp : bits.vdd;
    const std::uint8_t second = bits.Supplies() & static_cast<std::uint8_t>(~first);
    const std::uint8_t firstOn = bits.Levels(first, lowLines | second);
    const std::uint8_t bothOn = bits.Levels(bits.Supplies(), lowLines);
    const std::int64_t start = ClockNow();
    link.WriteData(firstOn);
    const std::int64_t oneWrite = ClockNow() - start;
    ExpectRegister(firstOn);
    if (family.Is14Bit()) {
        Pause(1);
    } else {
        BusyWait(SupplySettlingIterations);
        // A port (or a machine) this slow would raise the programming voltage too late: better
        // not at all.
        if (ClockNow() - start + oneWrite > MaximumSupplyGapNs) {
            throw PortFailure("the board's port is too slow to switch the supplies 9 ms apart");
        }
    }
    link.WriteData(bothOn);
    // Measured from before the first switch to after the second: never less than the gap.
    if (!family.Is14Bit() && ClockNow() - start > MaximumSupplyGapNs) {
        throw PortFailure("the board's supplies came on more than 9 ms apart");
    }
    ExpectRegister(bothOn);
}

void PowerDownChecked() {
    ExitProgramMode();
    ProgrammerLink& link = CurrentLink();
    if (link.PoweredIn(link.Io().In(link.DataPort()))) {
        throw PortFailure("the board's supplies did not switch off");
    }
}
