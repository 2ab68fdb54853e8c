#pragma once

// Checks that the board does what the program wrote, so that a board that stopped answering, a
// line that sticks or a write the port lost ends as a PortFailure (reported as the programmer's
// fault) instead of passing for a chip's answer.

struct ChipFamily;

// The loop-back: drives the data line low and releases it, and reads each back through the
// status register. Only while the chip does not drive the line (unpowered, or between frames).
// Leaves the line driven low, as the frames and the power-up want it.
void CheckLoopback();

// Powers the chip up the family's way, reading the data register back after each supply switch,
// and times the gap between the supplies on the clock: a 12-bit chip must see the programming
// voltage within 9 ms of its supply. Throws PortFailure (the caller powers down) when either
// fails; a supply the port did not switch is never followed by the other.
void PowerUpChecked(const ChipFamily& family);

// Switches both supplies off (the data and clock lines as they are) and reads the register back:
// a power cycle whose power-down the port lost would raise the programming voltage of a chip that
// never lost its supply. Throws PortFailure when the supplies are still on.
void PowerDownChecked();
