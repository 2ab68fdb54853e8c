// The serial programming frames, built on the single lines.
//
// Every frame starts and ends with the clock low and ends with the data line driven low.
//   command:    6 clocks, code bits 0..5, least significant first
//   data frame: 16 clocks: start bit 0, data bits 0..13, stop bit 0
//   read frame: 16 clocks with the line released; the chip drives data bit i from the rising edge
//               of clock i+1, so sample 0 (start bit) is dropped and the stop-bit sample is bit 14
// The chip latches data on the falling clock edge, so a bit is set while the clock is low and held
// through the whole clock-high phase.
//
// Timing: the clock-high phase is a 20-iteration busy-wait (1 us), which covers the chip's 100 ns
// data setup and hold. After each frame another 20 iterations keep at least 1 us between the last
// clock of a command and the first clock of its data, which the chip needs to turn the line round.

#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

constexpr int ClockHighIterations = 20;
constexpr int FrameGapIterations = 20;

void SendBit(int bit) {
    SetDataLine(bit);
    ClockHigh();
    BusyWait(ClockHighIterations);
    ClockLow();
}

void EndFrame() {
    SetDataLine(0);
    BusyWait(FrameGapIterations);
}

}  // namespace

void SendCommand(std::uint16_t code) {
    for (int i = 0; i < 6; ++i) {
        SendBit((code >> i) & 1);
    }
    EndFrame();
}

void SendDataWord(std::uint16_t word) {
    const unsigned frame = (word & 0x3FFFu) << 1;
    for (int i = 0; i < 16; ++i) {
        SendBit((frame >> i) & 1);
    }
    EndFrame();
}

std::uint16_t ReadDataWord() {
    unsigned samples = 0;
    for (int i = 0; i < 16; ++i) {
        ReleaseDataLine();
        ClockHigh();
        BusyWait(ClockHighIterations);
        samples |= static_cast<unsigned>(SampleDataLine()) << i;
        ClockLow();
    }
    EndFrame();
    return static_cast<std::uint16_t>((samples >> 1) & 0x7FFF);
}
