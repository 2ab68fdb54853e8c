#include "chip/ChipTable.h"

#include "link/ProgrammerPort.h"

const ChipFamily Core12{
    /*name=*/"Core12",
    /*wordBits=*/12,
    /*wordMask=*/0x0FFF,
    /*ReadForceMask=*/0xF000,
    /*configAddress=*/0xFFF,
    /*EnterProgramMode=*/EnterProgramMode12Bit,
    /*incrementsToAddressZero=*/1,
    /*configAtPowerUp=*/true,
    /*incrementsFromConfigurationArea=*/0,
    /*pulseMilliseconds=*/1,
    /*pulsesPerWord=*/10,
    /*configurationPulses=*/12,
};

const ChipFamily Core14{
    /*name=*/"Core14",
    /*wordBits=*/14,
    /*wordMask=*/0x3FFF,
    /*ReadForceMask=*/0xC000,
    /*configAddress=*/0x2007,
    /*EnterProgramMode=*/EnterProgramMode14Bit,
    /*incrementsToAddressZero=*/0,
    /*configAtPowerUp=*/false,
    /*incrementsFromConfigurationArea=*/7,
    /*pulseMilliseconds=*/2,
    /*pulsesPerWord=*/3,  // plus one for each of these whose read-back missed
    /*configurationPulses=*/12,
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
    },
    {
        /*chipType=*/2,
        /*name=*/"12c509",
        /*family=*/Core12,
        /*memoryWords=*/1024,
        /*calibrationAddress=*/0x3FF,
        /*maxUsableAddress=*/1022,
        /*configAddress=*/0xFFF,
    },
    {
        /*chipType=*/3,
        /*name=*/"12c671",
        /*family=*/Core14,
        /*memoryWords=*/1024,
        /*calibrationAddress=*/0x3FF,
        /*maxUsableAddress=*/1022,
        /*configAddress=*/0x2007,
    },
    {
        /*chipType=*/4,
        /*name=*/"12c672",
        /*family=*/Core14,
        /*memoryWords=*/2048,
        /*calibrationAddress=*/0x7FF,
        /*maxUsableAddress=*/2046,
        /*configAddress=*/0x2007,
    },
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
