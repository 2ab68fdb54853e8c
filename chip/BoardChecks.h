#pragma once

// Checks that the board does what the program wrote, so that a board that stopped answering, a
// line that sticks or a write the port lost ends as a PortFailure (reported as the programmer's
// fault) instead of passing for a chip's answer.

class ProgrammerLink;
struct ChipFamily;

// The loop-back: drives the data line low and releases it, and reads each back through the
// status register. Only while the chip does not drive the line (unpowered, or between frames).
// Leaves the line driven low, as the frames and the power-up want it.
void CheckLoopback(ProgrammerLink& board);

// Powers the chip up the family's way (the link's sequence, which times the 12-bit gap; one the
// host was too slow for is tried again a few times before SupplyGapMissed is let through), reading
// the outputs back from the device after each supply switch where it can (a parallel port's data
// register, a GPIO chip's output lines, an FTDI adapter's pin sample). Throws PortFailure (the
// caller powers down) when either fails; a supply the port did not switch is never followed by the
// other.
void PowerUpChecked(ProgrammerLink& board, const ChipFamily& family);
// How often PowerUpChecked tries a 12-bit power-up the host was too slow for (preempted between
// the supplies) before it lets SupplyGapMissed through.
constexpr int PowerUpAttempts = 5;

// Switches both supplies off (the data and clock lines as they are) and reads the outputs back:
// a power cycle whose power-down the port lost would raise the programming voltage of a chip that
// never lost its supply. Throws PortFailure when the supplies are still on.
void PowerDownChecked(ProgrammerLink& board);

// Whether the device reads either supply as on (false when it cannot read its outputs back).
bool SuppliesHeldOn(ProgrammerLink& board);
