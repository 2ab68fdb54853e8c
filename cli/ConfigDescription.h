#pragma once

// A configuration word in words, decoded exactly as the window's panel decodes it.

#include <cstdint>
#include <string>
#include <vector>

struct ChipFamily;

// "configuration word 0x0FEA", then one "name: value" line per field the family has.
std::vector<std::string> DescribeConfigWord(const ChipFamily& family, std::uint16_t word);

// True when the word selects one of the internal RC oscillators, which run at their calibrated
// frequency only with the chip's calibration value.
bool UsesInternalOscillator(const ChipFamily& family, std::uint16_t word);
