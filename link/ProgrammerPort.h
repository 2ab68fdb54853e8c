#pragma once

// The programmer board on a PC parallel port: its lines, the serial programming frames and the
// detection of the board. One board per process; the port addresses are module-wide state set by
// DetectProgrammer. All port access goes through the installed PortIo, all waits through the
// installed Delays.
//
// Line assignment (bit set in the data register -> effect at the chip):
//   data   bit 0 (D0, pin 2)  serial data:   1 drives the line low, 0 releases it (reads 1)
//   data   bit 1 (D1, pin 3)  serial clock:  1 clock low, 0 clock high (the board inverts both)
//   data   bit 2 (D2, pin 4)  supply switch A (1 on), raised first for the 12-bit chips
//   data   bit 3 (D3, pin 5)  supply switch B (1 on), raised first for the 14-bit chips
//   status bit 6 (Ack, pin 10) returned data: 1 when the data line is at logic 0
// Every single-line change is a read-modify-write of the data register, so the other lines keep
// their state; a standard port reads back the value last written.

#include <cstdint>

#include "link/PortIo.h"

// Programming commands; only the low 6 bits go on the wire.
constexpr std::uint16_t LoadConfiguration = 0;
constexpr std::uint16_t LoadData = 2;
constexpr std::uint16_t ReadData = 4;
constexpr std::uint16_t IncrementAddress = 6;
constexpr std::uint16_t BeginProgramming = 8;
constexpr std::uint16_t EndProgramming = 14;

// Register addresses of the port the board is on (data = base, status = base + 1).
extern std::uint16_t DataPortAddress;
extern std::uint16_t StatusPortAddress;
// Verdict of the detection probe in progress: 0 passed, 0xFFFF failed or not probed.
extern std::uint32_t ProbeResult;

// Installs the port backend used from now on (until then every address is absent).
void SetPortIo(PortIo& io);
PortIo& CurrentPortIo();

// Power sequences.
void EnterProgramMode12Bit();
void EnterProgramMode14Bit();
void ExitProgramMode();

// Single lines (the building blocks of the frames).
void SetDataLine(int logicLevel);
void ReleaseDataLine();
void ClockHigh();
void ClockLow();
int SampleDataLine();

// Frames.
void SendCommand(std::uint16_t code);
void SendDataWord(std::uint16_t word);
std::uint16_t ReadDataWord();

// Detection: probes 0x278, 0x378 and 0x3BC and returns 1 (LPT1, 0x378), 2 (LPT2, 0x278),
// 3 (0x3BC) or notFound.
int DetectProgrammer(int notFound);
void ClearDataBit(std::uint16_t port);
void SetDataBit(std::uint16_t port);
std::uint16_t CheckReturnLow();
std::uint16_t CheckReturnHigh();
