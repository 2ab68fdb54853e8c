#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/SimulatedChip.h"

// A socket's content as a few lines of text, so that a chip can outlive the program that holds it:
//
//   chipsmith-socket 1
//   type PIC12C672          (or "type none" for an empty socket)
//   0000 2805               every cell that is not erased, "ADDRESS WORD" in hex, in address order
//
// Only the memory cells are kept; faults and records belong to one run and start afresh.

// What a socket holds: a chip, or nothing.
struct SocketContent {
    std::optional<SimulatedChip> chip;
};

std::string SaveSocket(const SimulatedChip* chip);  // nullptr: the socket is empty
// Nothing when the text is not a socket this program wrote: a wrong header or version, an unknown
// type, an address the chip does not have, a word wider than its family, a repeated address, a
// last line without its line feed (a file cut short), or anything else out of place. Then, if
// fault is given, it receives what was wrong, in a few words.
std::optional<SocketContent> LoadSocket(const std::string& text, std::string* fault = nullptr);

// Every address that holds a cell, ascending: program memory, the ID words, the configuration word.
std::vector<int> CellAddresses(const SimulatedChip& chip);
