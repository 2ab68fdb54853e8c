#include "chip/ChipTable.h"

#include "link/ProgrammerPort.h"

const ChipFamily Core12{"Core12", 0x0FFF, 0xF000, 0xFFF, EnterProgramMode12Bit, 1, true, 0,
                        // 1 ms pulses, 10 per program word, 12 for the configuration word
                        1, 10, 12};
const ChipFamily Core14{"Core14", 0x3FFF, 0xC000, 0x2007, EnterProgramMode14Bit, 0, false, 7,
                        // 2 ms pulses, 3 per program word plus misses, 12 for the configuration
                        2, 3, 12};

const std::array<ChipInfo, ChipCount> ChipTable{{
    {1, "12c508", Core12, 512, 0x1FF, 510, 0xFFF},
    {2, "12c509", Core12, 1024, 0x3FF, 1022, 0xFFF},
    {3, "12c671", Core14, 1024, 0x3FF, 1022, 0x2007},
    {4, "12c672", Core14, 2048, 0x7FF, 2046, 0x2007},
}};

const ChipInfo* FindChip(int chipType) {
    if (chipType < 1 || chipType > ChipCount) {
        return nullptr;
    }
    return &ChipTable[static_cast<std::size_t>(chipType - 1)];
}

const ChipFamily& FamilyOf(int chipType) {
    return chipType < 3 ? Core12 : Core14;
}
