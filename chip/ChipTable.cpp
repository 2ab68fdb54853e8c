#include "chip/ChipTable.h"

#include <algorithm>
#include <cctype>

#include "link/ProgrammerPort.h"

const ChipFamily Core12{
    /*name=*/"Core12",
    /*wordBits=*/12,
    /*wordMask=*/0x0FFF,
    /*ReadForceMask=*/0xF000,
    /*configAddress=*/0xFFF,
    /*protectionBits=*/0x0008,
    /*EnterProgramMode=*/EnterProgramMode12Bit,
    /*incrementsToAddressZero=*/1,
    /*configAtPowerUp=*/true,
    /*incrementsFromConfigurationArea=*/0,
    /*pulseMilliseconds=*/1,
    /*pulsesPerWord=*/10,
    /*configurationPulses=*/12,
    // In-Circuit Serial Programming for PIC12C5XX OTP MCUs (DS30557, also in the ICSP guide
    // DS30277): 100 us pulses, at most 8 per word, then 11 x N over-programming pulses; the
    // configuration word wants 10 ms, preferably as a series of 100 us pulses: 100 of them.
    /*adaptive=*/
    {/*pulseMicroseconds=*/100, /*maxPulses=*/8, /*marginFactor=*/11,
     /*configurationPulses=*/100},
};

const ChipFamily Core14{
    /*name=*/"Core14",
    /*wordBits=*/14,
    /*wordMask=*/0x3FFF,
    /*ReadForceMask=*/0xC000,
    /*configAddress=*/0x2007,
    /*protectionBits=*/0x3F60,  // the four copies of CP1 (0x2A40) and of CP0 (0x1520)
    /*EnterProgramMode=*/EnterProgramMode14Bit,
    /*incrementsToAddressZero=*/0,
    /*configAtPowerUp=*/false,
    /*incrementsFromConfigurationArea=*/7,
    /*pulseMilliseconds=*/2,
    /*pulsesPerWord=*/3,  // plus one for each of these whose read-back missed
    /*configurationPulses=*/12,
    // PIC12C67X/PIC12CE67X EPROM memory programming guide (DS40175): 100 us pulses, at most 25
    // per word, then 3 x N over-programming pulses. The configuration word gets the same 100 x
    // 100 us as on the 12-bit chips (our reading of the guide's 10 ms configuration pulse).
    /*adaptive=*/
    {/*pulseMicroseconds=*/100, /*maxPulses=*/25, /*marginFactor=*/3,
     /*configurationPulses=*/100},
};

const std::array<ChipInfo, ChipCount> ChipTable{{
    {
        /*chipType=*/1,
        /*name=*/"12c508",
        /*family=*/Core12,
        /*memoryWords=*/512,
        /*calibrationAddress=*/0x1FF,
        /*maxUsableAddress=*/510,
        /*configAddress=*/0xFFF,
        /*idAddress=*/0x200,
    },
    {
        /*chipType=*/2,
        /*name=*/"12c509",
        /*family=*/Core12,
        /*memoryWords=*/1024,
        /*calibrationAddress=*/0x3FF,
        /*maxUsableAddress=*/1022,
        /*configAddress=*/0xFFF,
        /*idAddress=*/0x400,
    },
    {
        /*chipType=*/3,
        /*name=*/"12c671",
        /*family=*/Core14,
        /*memoryWords=*/1024,
        /*calibrationAddress=*/0x3FF,
        /*maxUsableAddress=*/1022,
        /*configAddress=*/0x2007,
        /*idAddress=*/0x2000,
    },
    {
        /*chipType=*/4,
        /*name=*/"12c672",
        /*family=*/Core14,
        /*memoryWords=*/2048,
        /*calibrationAddress=*/0x7FF,
        /*maxUsableAddress=*/2046,
        /*configAddress=*/0x2007,
        /*idAddress=*/0x2000,
    },
}};

namespace {

ChipInfo Sibling(int chipType, const char* name) {
    ChipInfo sibling = ChipTable[static_cast<std::size_t>(chipType - 1)];
    sibling.name = name;
    return sibling;
}

bool SameName(std::string_view given, std::string_view name) {
    return given.size() == name.size() &&
           std::equal(given.begin(), given.end(), name.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

}  // namespace

// Each sibling is programmed exactly as the chip of its row: the same algorithm, memory map and
// calibration word. The 12CE5xx and 12CE67x add a serial EEPROM beside the core, which only the
// running program uses. Sources: the maker's ICSP guide for the PIC12C5XX (DS30557) for the
// 12-bit four, and its EPROM programming document for the PIC12C67X and PIC12CE67X (DS40175) for
// the 12CE673 and 12CE674. Their device lists are still to be checked before a release. What a
// file for each holds is checked: gpasm puts their ID words and configuration word where it puts
// those of the chip of their row (0x200 or 0x400 and 0xFFF; 0x2000 and 0x2007).
const std::array<ChipInfo, SiblingCount> SiblingTable{{
    Sibling(1, "12c508a"),
    Sibling(2, "12c509a"),
    Sibling(1, "12ce518"),
    Sibling(2, "12ce519"),
    Sibling(3, "12ce673"),
    Sibling(4, "12ce674"),
}};

const ChipInfo* FindChipByName(std::string_view name) {
    if (name.size() > 3 && SameName(name.substr(0, 3), "pic")) {
        name.remove_prefix(3);
    }
    for (const ChipInfo& chip : ChipTable) {
        if (SameName(name, chip.name)) {
            return &chip;
        }
    }
    for (const ChipInfo& chip : SiblingTable) {
        if (SameName(name, chip.name)) {
            return &chip;
        }
    }
    return nullptr;
}

std::string SiblingNames(int chipType) {
    std::string names;
    for (const ChipInfo& sibling : SiblingTable) {
        if (sibling.chipType == chipType) {
            names += (names.empty() ? "" : ", ") + std::string(sibling.name);
        }
    }
    return names;
}

const ChipInfo* FindChip(int chipType) {
    if (chipType < 1 || chipType > ChipCount) {
        return nullptr;
    }
    return &ChipTable[static_cast<std::size_t>(chipType - 1)];
}

const ChipFamily& FamilyOf(int chipType) {
    return chipType < 3 ? Core12 : Core14;
}
