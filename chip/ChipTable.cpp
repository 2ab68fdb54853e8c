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

const ChipInfo* FindChip(int chipType) {
    if (chipType < 1 || chipType > ChipCount) {
        return nullptr;
    }
    return &ChipTable[static_cast<std::size_t>(chipType - 1)];
}

const ChipFamily& FamilyOf(int chipType) {
    return chipType < 3 ? Core12 : Core14;
}
