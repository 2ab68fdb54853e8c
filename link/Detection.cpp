// Finding the board. It has no identification of its own; it returns its serial data line on the
// port's Acknowledge input, so a port where Acknowledge follows D0 in both directions has the
// board. Candidates are probed in a fixed order and a later hit replaces an earlier one, so 0x3BC
// wins over 0x378, which wins over 0x278.

#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

struct Candidate {
    std::uint16_t dataPort;
    int code;
};

constexpr Candidate Candidates[] = {{0x278, 2}, {0x378, 1}, {0x3BC, 3}};

std::uint16_t DataPortForCode(int code) {
    for (const Candidate& candidate : Candidates) {
        if (candidate.code == code) {
            return candidate.dataPort;
        }
    }
    return DataPortAddress;
}

}  // namespace

int DetectProgrammer(int notFound) {
    int result = notFound;
    for (const Candidate& candidate : Candidates) {
        CurrentPortIo().Out(candidate.dataPort, 0x00);
        ProbeResult = 0xFFFF;
        DataPortAddress = candidate.dataPort;
        StatusPortAddress = static_cast<std::uint16_t>(candidate.dataPort + 1);
        Pause(5);
        // An address with no port reads 0xFF whatever was written: never power it.
        if (CurrentPortIo().In(candidate.dataPort) == 0xFF) {
            continue;
        }
        EnterProgramMode12Bit();
        Pause(10);
        ClearDataBit(candidate.dataPort);
        Pause(10);
        ProbeResult = CheckReturnLow();
        if (ProbeResult == 0) {
            SetDataBit(candidate.dataPort);
            Pause(10);
            ProbeResult = CheckReturnHigh();
        }
        ExitProgramMode();
        if (ProbeResult == 0) {
            result = candidate.code;
        }
    }
    if (result == 1 || result == 2 || result == 3) {
        DataPortAddress = DataPortForCode(result);
    }
    StatusPortAddress = static_cast<std::uint16_t>(DataPortAddress + 1);
    return result;
}
