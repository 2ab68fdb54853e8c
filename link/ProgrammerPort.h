#pragma once

// The programmer board: its lines, the serial programming frames and the detection of the board.
// Everything here works on the board it is given (its backend, the port it is open at, its shadow
// of the outputs and its clock), in lines; the backend puts them on its pins (link/LinePort.h).
//
// On the parallel port's wiring (bit set in the data register -> effect at the chip):
//   data   bit 0 (D0, pin 2)  serial data:   1 drives the line low, 0 releases it (reads 1)
//   data   bit 1 (D1, pin 3)  serial clock:  1 clock low, 0 clock high (the board inverts both)
//   data   bit 2 (D2, pin 4)  supply switch A (1 on), raised first for the 12-bit chips
//   data   bit 3 (D3, pin 5)  supply switch B (1 on), raised first for the 14-bit chips
//   status bit 6 (Ack, pin 10) returned data: 1 when the data line is at logic 0
// Every single-line change sets the four outputs from the link's shadow, so the other lines keep
// their state.

#include <array>
#include <cstdint>
#include <functional>

#include "link/LinePort.h"
#include "link/PortIo.h"
#include "link/ProgrammerLink.h"

// Programming commands; only the low 6 bits go on the wire.
constexpr std::uint16_t LoadConfiguration = 0;
constexpr std::uint16_t LoadData = 2;
constexpr std::uint16_t ReadData = 4;
constexpr std::uint16_t IncrementAddress = 6;
constexpr std::uint16_t BeginProgramming = 8;
constexpr std::uint16_t EndProgramming = 14;

// The 12-bit power-up gave up rather than raise the programming voltage more than 9 ms after the
// supply: the host was too slow (preempted, or a port that slow). Nothing reached the chip but a
// supply that went off again, so the chip is as it was; a bracket may power down, let the supply
// settle and try again.
class SupplyGapMissed : public PortFailure {
public:
    using PortFailure::PortFailure;
};

// Power sequences. `switched`, when given, is told the outputs right after they are set, before
// the next supply may follow, so that the caller can read them back (and throw to stop the
// sequence). The 12-bit sequence times its gap on the board's clock and throws SupplyGapMissed
// rather than raise the programming voltage more than 9 ms after the supply.
using SupplySwitched = std::function<void(const OutputLines& written)>;
void EnterProgramMode12Bit(ProgrammerLink& board, const SupplySwitched& switched = nullptr);
void EnterProgramMode14Bit(ProgrammerLink& board, const SupplySwitched& switched = nullptr);
void ExitProgramMode(ProgrammerLink& board);

// Single lines (the building blocks of the frames).
void SetDataLine(ProgrammerLink& board, int logicLevel);
void ReleaseDataLine(ProgrammerLink& board);
void ClockHigh(ProgrammerLink& board);
void ClockLow(ProgrammerLink& board);
// The rising clock edge and the data line in one write: the chip latches data on the falling edge
// and needs it only 100 ns before and after that, so it may change with the rising one.
void ClockHighWithData(ProgrammerLink& board, int logicLevel);
void ClockHighReleasingData(ProgrammerLink& board);
// Drives the data line low at least this long after the last edge; nothing if it is low already.
void DriveDataLowAfter(ProgrammerLink& board, std::int64_t holdNanoseconds);
int SampleDataLine(ProgrammerLink& board);
// Returns once at least this long has passed since the last line change (see ProgrammerLink).
void WaitSinceLastEdge(ProgrammerLink& board, std::int64_t nanoseconds);
// Takes the time of the last line change now (a frame's end), not at the next wait.
void TimeLastEdge(ProgrammerLink& board);

// Frames.
void SendCommand(ProgrammerLink& board, std::uint16_t code);
void SendDataWord(ProgrammerLink& board, std::uint16_t word);
std::uint16_t ReadDataWord(ProgrammerLink& board);
// ReadDataWord in two halves: the frame with its samples queued, and the word from them. Between
// the two, more frames may go, so that a batching backend sends many words in one transfer; any
// other port has read every sample by the time the first half returns.
using ReadFrame = std::array<std::uint64_t, 16>;
ReadFrame QueueReadDataWord(ProgrammerLink& board);
std::uint16_t TakeDataWord(ProgrammerLink& board, const ReadFrame& frame);

// Detection: probes 0x278, 0x378 and 0x3BC and returns 1 (LPT1, 0x378), 2 (LPT2, 0x278),
// 3 (0x3BC) or notFound; when none answers, the machine's other ports, a board there counting as
// 1. Detection.h tells where and why not.
int DetectProgrammer(ProgrammerLink& board, int notFound);
// The probe's steps, named for the parallel port's wiring, on the port the board is open at:
// ClearDataBit releases the data line (high), SetDataBit drives it low; CheckReturnLow passes (0)
// when the returned line reads high, CheckReturnHigh when it reads low; 0xFFFF fails.
void ClearDataBit(ProgrammerLink& board);
void SetDataBit(ProgrammerLink& board);
std::uint16_t CheckReturnLow(ProgrammerLink& board);
std::uint16_t CheckReturnHigh(ProgrammerLink& board);
