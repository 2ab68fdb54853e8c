// The serial programming frames, built on the single lines.
//
// Every frame starts and ends with the clock low and ends with the data line driven low.
//   command:    6 clocks, code bits 0..5, least significant first
//   data frame: 16 clocks: start bit 0, data bits 0..13, stop bit 0
//   read frame: 16 clocks with the line released; the chip drives data bit i from the rising edge
//               of clock i+1, so sample 0 (start bit) is dropped and the stop-bit sample is bit 14
//
// Two writes a clock: the chip latches data on the falling clock edge and needs it steady only
// 100 ns before and after that edge, so each bit goes out in the write that raises the clock, and
// the write that lowers it is the second. That is the floor: one write changes the clock line once,
// and a clock has two edges. The only other write drives the line low again after a read frame
// (the commands and data frames end on a 0 bit, so the line is low already). Reads are one status
// sample a clock of a read frame. A word of a 14-bit chip programmed with --fast, taken at its
// first pulse: 4 pulses of LoadData, data, BeginProgramming and EndProgramming (4 x 34 clocks),
// one read-back (ReadData and its frame, 22 clocks) and IncrementAddress (6): 164 clocks, 329
// writes and 16 reads. A 12-bit word (12 pulses) takes 436 clocks, 873 writes; a word read, 28
// clocks, 57 writes and 16 reads.
//
// Timing, as the chip needs it: 100 ns of clock high (which is the data setup, as the data changes
// with the rising edge), 100 ns from a falling edge to the next write (the hold, and the clock-low
// time), 100 ns from a rising edge to the sample of a read frame (the chip's data is valid 80 ns
// after it) and 1 us from the last clock of a frame to the first clock of the next (the chip turns
// the line round after a command). Each is measured from the edge it follows (see ProgrammerLink):
// on a port whose writes take a microsecond, as real ports do, the clock phases cost nothing and a
// gap between frames half a microsecond.

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/ProgrammerPort.h"

namespace {

constexpr std::int64_t ClockPhaseNs = 100;
constexpr std::int64_t FrameGapNs = 1'000;

// Bits 0..count-1 of `bits`, least significant first.
void SendBits(ProgrammerLink& board, unsigned bits, int count) {
    for (int i = 0; i < count; ++i) {
        WaitSinceLastEdge(board, i == 0 ? FrameGapNs : ClockPhaseNs);
        ClockHighWithData(board, static_cast<int>((bits >> i) & 1));
        WaitSinceLastEdge(board, ClockPhaseNs);
        ClockLow(board);
    }
    DriveDataLowAfter(board, ClockPhaseNs);
    TimeLastEdge(board);
    board.FrameEnd();
}

}  // namespace

void SendCommand(ProgrammerLink& board, std::uint16_t code) {
    if ((code & 0x3Fu) == BeginProgramming) {
        // From here the chip may hold what it did not before.
        board.CountProgrammingPulse();
    }
    SendBits(board, code & 0x3Fu, 6);
}

void SendDataWord(ProgrammerLink& board, std::uint16_t word) {
    SendBits(board, (word & 0x3FFFu) << 1, 16);
}

std::uint16_t ReadDataWord(ProgrammerLink& board) {
    return TakeDataWord(board, QueueReadDataWord(board));
}

ReadFrame QueueReadDataWord(ProgrammerLink& board) {
    // The samples are queued at their points and taken after the last clock, so that a batching
    // backend plays the whole frame in one transfer; any other port reads each at once.
    ReadFrame tickets{};
    for (std::size_t i = 0; i < tickets.size(); ++i) {
        WaitSinceLastEdge(board, i == 0 ? FrameGapNs : ClockPhaseNs);
        ClockHighReleasingData(board);
        WaitSinceLastEdge(board, ClockPhaseNs);
        tickets[i] = board.QueueSample();
        ClockLow(board);
    }
    DriveDataLowAfter(board, ClockPhaseNs);
    TimeLastEdge(board);
    board.FrameEnd();
    return tickets;
}

std::uint16_t TakeDataWord(ProgrammerLink& board, const ReadFrame& tickets) {
    unsigned samples = 0;
    for (std::size_t i = 0; i < tickets.size(); ++i) {
        const int level = board.TakeSample(tickets[i]);
        samples |= static_cast<unsigned>(level) << i;
    }
    return static_cast<std::uint16_t>((samples >> 1) & 0x7FFF);
}
