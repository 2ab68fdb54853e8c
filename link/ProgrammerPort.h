#pragma once

// The programmer board on a PC parallel port: its lines, the serial programming frames and the
// detection of the board. Everything here works on the installed ProgrammerLink (its port backend,
// its addresses and its shadow of the data register); every wait goes through the installed Delays.
//
// The lines go through the installed link's pin map (link/PinMap.h). On the parallel port's wiring
// (bit set in the data register -> effect at the chip):
//   data   bit 0 (D0, pin 2)  serial data:   1 drives the line low, 0 releases it (reads 1)
//   data   bit 1 (D1, pin 3)  serial clock:  1 clock low, 0 clock high (the board inverts both)
//   data   bit 2 (D2, pin 4)  supply switch A (1 on), raised first for the 12-bit chips
//   data   bit 3 (D3, pin 5)  supply switch B (1 on), raised first for the 14-bit chips
//   status bit 6 (Ack, pin 10) returned data: 1 when the data line is at logic 0
// Every single-line change is a read-modify-write of the link's shadow of the data register, so
// the other lines keep their state.

#include <cstdint>

#include "link/PortIo.h"
#include "link/ProgrammerLink.h"

// Programming commands; only the low 6 bits go on the wire.
constexpr std::uint16_t LoadConfiguration = 0;
constexpr std::uint16_t LoadData = 2;
constexpr std::uint16_t ReadData = 4;
constexpr std::uint16_t IncrementAddress = 6;
constexpr std::uint16_t BeginProgramming = 8;
constexpr std::uint16_t EndProgramming = 14;

// The registers of the port the installed link is on (data = base, status = base + 1). They read
// as the link's addresses; assigning the data register's address opens the link there (one read
// of the register into its shadow), assigning the status register's address sets it alone.
class LinkAddress {
public:
    enum class Register { Data, Status };
    explicit constexpr LinkAddress(Register which) : which_(which) {}
    operator std::uint16_t() const;
    LinkAddress& operator=(std::uint16_t address);
    LinkAddress(const LinkAddress&) = delete;

private:
    Register which_;
};
extern LinkAddress DataPortAddress;
extern LinkAddress StatusPortAddress;

// Power sequences.
void EnterProgramMode12Bit();
void EnterProgramMode14Bit();
void ExitProgramMode();

// Single lines (the building blocks of the frames).
void SetDataLine(int logicLevel);
void ReleaseDataLine();
void ClockHigh();
void ClockLow();
// The rising clock edge and the data line in one write: the chip latches data on the falling edge
// and needs it only 100 ns before and after that, so it may change with the rising one.
void ClockHighWithData(int logicLevel);
void ClockHighReleasingData();
// Drives the data line low at least this long after the last edge; nothing if it is low already.
void DriveDataLowAfter(std::int64_t holdNanoseconds);
int SampleDataLine();
// Returns once at least this long has passed since the last line change (see ProgrammerLink).
void WaitSinceLastEdge(std::int64_t nanoseconds);
// Takes the time of the last line change now (a frame's end), not at the next wait.
void TimeLastEdge();

// Frames.
void SendCommand(std::uint16_t code);
void SendDataWord(std::uint16_t word);
std::uint16_t ReadDataWord();

// Detection: probes 0x278, 0x378 and 0x3BC and returns 1 (LPT1, 0x378), 2 (LPT2, 0x278),
// 3 (0x3BC) or notFound; when none answers, the machine's other ports, a board there counting as
// 1. Detection.h tells where and why not.
int DetectProgrammer(int notFound);
// The probe's steps, named for the parallel port's wiring: ClearDataBit releases the data line
// (high), SetDataBit drives it low; CheckReturnLow passes (0) when the returned line reads high,
// CheckReturnHigh when it reads low; 0xFFFF fails.
void ClearDataBit(std::uint16_t port);
void SetDataBit(std::uint16_t port);
std::uint16_t CheckReturnLow();
std::uint16_t CheckReturnHigh();
