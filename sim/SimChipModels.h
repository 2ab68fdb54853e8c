#pragma once

#include <cstdint>

// What the simulated chip needs to know about each of the four chip types. Kept apart from the
// program's own chip table on purpose: the simulation is the other side of the wire and must not
// share the host's idea of the chips.
struct SimChipModel {
    int type;  // 1..4
    const char* name;
    bool is14Bit;
    int memoryWords;  // program words; the last one holds the calibration instruction
};

inline constexpr SimChipModel SimChipModels[] = {
    {1, "PIC12C508", false, 512},
    {2, "PIC12C509", false, 1024},
    {3, "PIC12C671", true, 1024},
    {4, "PIC12C672", true, 2048},
};

// The model for a type; throws std::out_of_range for anything but 1..4.
const SimChipModel& SimChipModelFor(int chipType);

// Address map, per family.
namespace SimMap {
// 12-bit family: a 12-bit counter over program memory, the ID words right after it, and the
// configuration word at its very top.
inline constexpr int Core12Config = 0xFFF;
inline constexpr int Core12AddressMask = 0xFFF;
inline constexpr std::uint16_t Core12Erased = 0xFFF;
// Below 0x40 a code-protected 12-bit chip still reads normally.
inline constexpr int Core12UnprotectedWords = 0x40;
// Configuration bit 3 clear = code protection on.
inline constexpr std::uint16_t Core12ProtectBit = 0x008;

// 14-bit family: program memory from 0, configuration memory from 0x2000 (ID words 0x2000-0x2003,
// reserved 0x2004-0x2006, configuration word 0x2007).
inline constexpr int Core14IdBase = 0x2000;
inline constexpr int Core14Config = 0x2007;
inline constexpr std::uint16_t Core14Erased = 0x3FFF;
// Every copy of the code-protection bits; any of them clear = protected.
inline constexpr std::uint16_t Core14ProtectBits = 0x3F60;

inline constexpr int IdWords = 4;
}  // namespace SimMap
