#pragma once

// The four supported chips and their two families. Every operation takes its sizes, masks and
// power-up from here.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/LinePort.h"

// The chip maker's adaptive programming: short pulses, each followed by a read-back, until the word
// reads back right after N of them; then a multiple of N more pulses as margin, not read back.
struct AdaptivePulses {
    int pulseMicroseconds;
    int maxPulses;     // a word still wrong after this many pulses has failed
    int marginFactor;  // margin pulses per pulse the word needed
    int configurationPulses;
};

class ProgrammerLink;

struct ChipFamily {
    const char* name;
    // Bits a word has on this family's chips: 12 or 14 (wordMask 0x0FFF or 0x3FFF).
    int wordBits;
    std::uint16_t wordMask;
    // OR-ed into every word read from the chip, so that a blank word is stored as 0xFFFF.
    std::uint16_t ReadForceMask;
    // Image slot of the configuration word.
    int configAddress;
    // The configuration word's code-protection bits: with any of them clear the chip reads its
    // program words as zeros, and nothing can look at them again.
    std::uint16_t protectionBits;
    // Power-up into programming mode (link/ProgrammerPort.h), told each supply switch as it is
    // written.
    void (*EnterProgramMode)(ProgrammerLink& board,
                             const std::function<void(const OutputLines& written)>& switched);
    // IncrementAddress commands from power-up to program address 0 (12-bit chips start at their
    // configuration word, 14-bit chips at 0).
    int incrementsToAddressZero;
    // How the configuration word is reached: the 12-bit chips address it right after power-up;
    // the 14-bit chips after LoadConfiguration (0x2000) and this many increments.
    bool configAtPowerUp;
    int incrementsFromConfigurationArea;
    // Programming: how long one pulse lasts, the pulses every non-blank program word gets (the
    // 14-bit chips add one for each of these whose read-back missed) and the pulses for the
    // configuration word.
    int pulseMilliseconds;
    int pulsesPerWord;
    int configurationPulses;
    // The faster alternative the command-line program offers.
    AdaptivePulses adaptive;

    // The 14-bit family (PIC12C671/672): a power-up timer, two protection fields, eight
    // oscillator codes, and a configuration word reached through configuration memory.
    bool Is14Bit() const { return wordBits == 14; }
    // An image word that programming leaves alone: every bit the chip has is 1.
    bool IsBlankForProgramming(std::uint32_t word) const { return (word & wordMask) == wordMask; }
    // A configuration word that hides the chip's program words once it is programmed.
    bool Protects(std::uint32_t configWord) const {
        return (configWord & protectionBits) != protectionBits;
    }
    // A word as it is stored and compared: the bits the chip lacks set, so blank is 0xFFFF.
    std::uint16_t Forced(std::uint32_t word) const {
        return static_cast<std::uint16_t>(word | ReadForceMask);
    }
};

extern const ChipFamily Core12;
extern const ChipFamily Core14;

struct ChipInfo {
    int chipType;  // 1..4, the chip list's index plus 1
    const char* name;
    const ChipFamily& family;
    int memoryWords;
    int calibrationAddress;  // the last program word: the factory calibration instruction
    int maxUsableAddress;    // the highest address a user program may occupy
    int configAddress;
    int idAddress;  // the first of the four ID words, as chip address and image slot
};

// The ID words a chip carries from idAddress on (gpasm's __idlocs).
constexpr int IdWordCount = 4;

constexpr int ChipCount = 4;
extern const std::array<ChipInfo, ChipCount> ChipTable;

// After power-up the chip needs this long before it answers reliably; the word loops wait it
// before their first word.
constexpr int SettleMilliseconds = 50;

// Chips the maker programs exactly as one of ours: the same algorithm, memory map and calibration
// word (a data EEPROM some of them add is the running program's business, not the programmer's).
// Each is a copy of the entry that serves it, under its own name, so a front end can report the
// chip by the name the user gave.
constexpr int SiblingCount = 6;
extern const std::array<ChipInfo, SiblingCount> SiblingTable;

// The chip named `name` ("12c508", "PIC12CE518", any case): an entry of ChipTable or a sibling;
// nullptr when no chip has that name.
const ChipInfo* FindChipByName(std::string_view name);
// "12ce518, 12c508a" for an entry of ChipTable: the siblings it serves; empty when none.
std::string SiblingNames(int chipType);

// Highest usable address when no chip is selected (the largest chip's).
constexpr int NoChipMaxUsableAddress = 2046;
// The chip name field with no chip selected.
constexpr const char* NoChipName = "??????";

// The chip of ChipType 1..4, or nullptr for 0 (no chip) and anything else.
const ChipInfo* FindChip(int chipType);
// Below 3 is the 12-bit family (0, no chip, included), 3 and above the 14-bit family.
const ChipFamily& FamilyOf(int chipType);
