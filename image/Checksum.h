#pragma once

// The 16-bit checksum the chip maker's tools show for an image, so that the number on the screen
// can be held against the one the assembler or the maker's programmer printed.
//
// The rule is the maker's, from its document on programming the EPROM memory of the PIC12C67X and
// PIC12CE67X (DS40175, section 3.2 "Checksum"): add the program words up to the last one a user
// program may hold (the calibration instruction in the last word is left out), add the
// configuration word masked to the bits the chip has, and keep the low 16 bits. A code-protected
// chip reads its protected words as zeros, so they count as zeros, and the ID words are added as
// one 16-bit number, the low nibble of each, ID0 the most significant (0x12, 0x37, 0x4, 0x26 give
// 0x2746). The 12-bit chips follow the same rule with their 5-bit configuration word.

#include <cstdint>
#include <string>
#include <vector>

struct ChipInfo;

// The checksum of an image in the program's layout (IntelHex.h: a word per slot, 0xFFFF blank).
// The words that a code-protected chip hides count as zeros, so the checksum of a file equals the
// checksum of a chip programmed with it, read back.
std::uint16_t ImageChecksum(const ChipInfo& chip, const std::uint32_t* image);

// The same for words read from a chip: program words 0 to the calibration word (exclusive), the
// configuration word and the four ID words, as read.
std::uint16_t ChipChecksum(const ChipInfo& chip, const std::vector<std::uint16_t>& programWords,
                           std::uint16_t config, const std::vector<std::uint16_t>& ids);

// The four ID words' low nibbles as one number, ID0 the most significant.
std::uint16_t IdNibbles(const std::uint32_t* ids);

// "0x1A2B".
std::string ChecksumText(std::uint16_t checksum);
