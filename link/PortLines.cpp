// The board's lines, through the installed link's pin map, and the two power-up sequences.
//
// Power-up: both supplies switch on while data and clock are held low, which puts the chip into
// programming mode. The 12-bit chips want switch A (VDD) first and the programming voltage
// (switch B) within 9 ms; the 14-bit chips want switch B first. Power-down switches both off and
// leaves data and clock as they were, so the board rests with both low after a frame (0x03 on the
// parallel port's wiring).

#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

constexpr int SupplySettlingIterations = 65536;

ProgrammerLink& Link() {
    return CurrentLink();
}

const PortBits& Bits() {
    return CurrentLink().Bits();
}

// The `high` lines to their high level and the `low` lines to their low one, the rest kept.
void Drive(std::uint8_t high, std::uint8_t low) {
    const PortBits& bits = Bits();
    const std::uint8_t set = bits.Levels(high, low);
    Link().ModifyData(set, static_cast<std::uint8_t>((high | low) & ~set));
}

// A probe of detection may name a port the link is not open at; that one is read from the port.
void DriveDataOf(std::uint16_t port, bool high) {
    const PortBits& bits = Bits();
    if (port == Link().DataPort()) {
        Drive(high ? bits.data : 0, high ? 0 : bits.data);
        return;
    }
    PortIo& io = Link().Io();
    const std::uint8_t level = high ? bits.Levels(bits.data, 0) : bits.Levels(0, bits.data);
    io.Out(port, static_cast<std::uint8_t>((io.In(port) & ~bits.data) | level));
}

}  // namespace

LinkAddress DataPortAddress(LinkAddress::Register::Data);
LinkAddress StatusPortAddress(LinkAddress::Register::Status);

LinkAddress::operator std::uint16_t() const {
    return which_ == Register::Data ? Link().DataPort() : Link().StatusPort();
}

LinkAddress& LinkAddress::operator=(std::uint16_t address) {
    if (which_ == Register::Data) {
        Link().Open(address);
    } else {
        Link().SetStatusPort(address);
    }
    return *this;
}

void EnterProgramMode12Bit() {
    const PortBits& bits = Bits();
    const std::uint8_t lowLines = bits.data | bits.clock;
    Link().WriteData(bits.Levels(bits.vdd, lowLines | bits.vpp));
    BusyWait(SupplySettlingIterations);
    Link().WriteData(bits.Levels(bits.Supplies(), lowLines));
}

void EnterProgramMode14Bit() {
    const PortBits& bits = Bits();
    Link().WriteData(bits.Levels(bits.vpp, bits.data | bits.clock | bits.vdd));
    Pause(1);
    Drive(bits.Supplies(), bits.data | bits.clock);
}

void ExitProgramMode() {
    // Data and clock stay; everything else (the supplies, the unused bits) goes to 0 or off.
    const PortBits& bits = Bits();
    const std::uint8_t kept = Link().Shadow() & (bits.data | bits.clock);
    Link().WriteData(static_cast<std::uint8_t>(kept | bits.Levels(0, bits.Supplies())));
}

void SetDataLine(int logicLevel) {
    if (logicLevel != 0) {
        Drive(Bits().data, 0);
    } else {
        Drive(0, Bits().data);
    }
}

void ReleaseDataLine() {
    Drive(Bits().data, 0);
}

void ClockHigh() {
    Drive(Bits().clock, 0);
}

void ClockLow() {
    Drive(0, Bits().clock);
}

void ClockHighWithData(int logicLevel) {
    if (logicLevel != 0) {
        Drive(Bits().data | Bits().clock, 0);
    } else {
        Drive(Bits().clock, Bits().data);
    }
}

void ClockHighReleasingData() {
    ClockHighWithData(1);
}

void DriveDataLowAfter(std::int64_t holdNanoseconds) {
    if (Bits().High(Link().Shadow(), Bits().data)) {
        Link().WaitSinceLastWrite(holdNanoseconds);
        Drive(0, Bits().data);
    }
}

void TimeLastEdge() {
    Link().TimeLastWrite();
}

void WaitSinceLastEdge(std::int64_t nanoseconds) {
    Link().WaitSinceLastWrite(nanoseconds);
}

int SampleDataLine() {
    return Bits().ReturnLevel(Link().ReadStatus());
}

void ClearDataBit(std::uint16_t port) {
    DriveDataOf(port, true);
}

void SetDataBit(std::uint16_t port) {
    DriveDataOf(port, false);
}

std::uint16_t CheckReturnLow() {
    return SampleDataLine() == 1 ? 0 : 0xFFFF;
}

std::uint16_t CheckReturnHigh() {
    return SampleDataLine() == 0 ? 0 : 0xFFFF;
}
