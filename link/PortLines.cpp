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

AbsentPortIo absent;
PortIo* io = &absent;

void ModifyDataRegister(std::uint16_t port, std::uint8_t set, std::uint8_t clear) {
    const std::uint8_t value = io->In(port);
    io->Out(port, static_cast<std::uint8_t>((value | set) & ~clear));
}

}  // namespace

std::uint16_t DataPortAddress = 0x3BC;
std::uint16_t StatusPortAddress = 0x3BD;
std::uint32_t ProbeResult = 0xFFFF;

void SetPortIo(PortIo& port) {
    io = &port;
}

PortIo& CurrentPortIo() {
    return *io;
}

void EnterProgramMode12Bit() {
    io->Out(DataPortAddress, SupplyAFirst);
    BusyWait(SupplySettlingIterations);
    io->Out(DataPortAddress, SupplyAFirst | SupplyBBit);
}

void EnterProgramMode14Bit() {
    io->Out(DataPortAddress, SupplyBFirst);
    Pause(1);
    ModifyDataRegister(DataPortAddress, LineBits, 0);
}

void ExitProgramMode() {
    ModifyDataRegister(DataPortAddress, 0, static_cast<std::uint8_t>(~(DataBit | ClockBit)));
}

void SetDataLine(int logicLevel) {
    if (logicLevel != 0) {
        ModifyDataRegister(DataPortAddress, 0, DataBit);
    } else {
        ModifyDataRegister(DataPortAddress, DataBit, 0);
    }
}

void ReleaseDataLine() {
    ModifyDataRegister(DataPortAddress, 0, DataBit);
}

void ClockHigh() {
    ModifyDataRegister(DataPortAddress, 0, ClockBit);
}

void ClockLow() {
    ModifyDataRegister(DataPortAddress, ClockBit, 0);
}

int SampleDataLine() {
    return (io->In(StatusPortAddress) & AckBit) != 0 ? 0 : 1;
}

void ClearDataBit(std::uint16_t port) {
    ModifyDataRegister(port, 0, DataBit);
}

void SetDataBit(std::uint16_t port) {
    ModifyDataRegister(port, DataBit, 0);
}

std::uint16_t CheckReturnLow() {
    return (io->In(StatusPortAddress) & AckBit) == 0 ? 0 : 0xFFFF;
}

std::uint16_t CheckReturnHigh() {
    return (io->In(StatusPortAddress) & AckBit) != 0 ? 0 : 0xFFFF;
}
