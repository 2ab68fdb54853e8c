// The board's lines on the data register and the two power-up sequences.
//
// Power-up: both supplies switch on while data and clock are held low, which puts the chip into
// programming mode. The 12-bit chips want switch A (VDD) first and the programming voltage
// (switch B) within 9 ms; the 14-bit chips want switch B first. Power-down switches both off and
// leaves data and clock as they were, so the board rests at 0x03 after a frame.

#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

constexpr std::uint8_t DataBit = 0x01;
constexpr std::uint8_t ClockBit = 0x02;
constexpr std::uint8_t SupplyABit = 0x04;
constexpr std::uint8_t SupplyBBit = 0x08;
constexpr std::uint8_t LineBits = DataBit | ClockBit | SupplyABit | SupplyBBit;
constexpr std::uint8_t AckBit = 0x40;

// Data low, clock low, one supply on.
constexpr std::uint8_t SupplyAFirst = DataBit | ClockBit | SupplyABit;  // 0x07
constexpr std::uint8_t SupplyBFirst = DataBit | ClockBit | SupplyBBit;  // 0x0B

constexpr int SupplySettlingIterations = 65536;

ProgrammerLink& Link() {
    return CurrentLink();
}

// A probe of detection may name a port the link is not open at; that one is read from the port.
void ModifyPort(std::uint16_t port, std::uint8_t set, std::uint8_t clear) {
    if (port == Link().DataPort()) {
        Link().ModifyData(set, clear);
        return;
    }
    PortIo& io = Link().Io();
    io.Out(port, static_cast<std::uint8_t>((io.In(port) | set) & ~clear));
}

bool AckSet() {
    return (Link().ReadStatus() & AckBit) != 0;
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
    Link().WriteData(SupplyAFirst);
    BusyWait(SupplySettlingIterations);
    Link().WriteData(SupplyAFirst | SupplyBBit);
}

void EnterProgramMode14Bit() {
    Link().WriteData(SupplyBFirst);
    Pause(1);
    Link().ModifyData(LineBits, 0);
}

void ExitProgramMode() {
    Link().ModifyData(0, static_cast<std::uint8_t>(~(DataBit | ClockBit)));
}

void SetDataLine(int logicLevel) {
    if (logicLevel != 0) {
        Link().ModifyData(0, DataBit);
    } else {
        Link().ModifyData(DataBit, 0);
    }
}

void ReleaseDataLine() {
    Link().ModifyData(0, DataBit);
}

void ClockHigh() {
    Link().ModifyData(0, ClockBit);
}

void ClockLow() {
    Link().ModifyData(ClockBit, 0);
}

void ClockHighWithData(int logicLevel) {
    if (logicLevel != 0) {
        Link().ModifyData(0, DataBit | ClockBit);
    } else {
        Link().ModifyData(DataBit, ClockBit);
    }
}

void ClockHighReleasingData() {
    ClockHighWithData(1);
}

void DriveDataLowAfter(std::int64_t holdNanoseconds) {
    if ((Link().Shadow() & DataBit) == 0) {
        Link().WaitSinceLastWrite(holdNanoseconds);
        Link().ModifyData(DataBit, 0);
    }
}

void TimeLastEdge() {
    Link().TimeLastWrite();
}

void WaitSinceLastEdge(std::int64_t nanoseconds) {
    Link().WaitSinceLastWrite(nanoseconds);
}

int SampleDataLine() {
    return AckSet() ? 0 : 1;
}

void ClearDataBit(std::uint16_t port) {
    ModifyPort(port, 0, DataBit);
}

void SetDataBit(std::uint16_t port) {
    ModifyPort(port, DataBit, 0);
}

std::uint16_t CheckReturnLow() {
    return AckSet() ? 0xFFFF : 0;
}

std::uint16_t CheckReturnHigh() {
    return AckSet() ? 0 : 0xFFFF;
}
