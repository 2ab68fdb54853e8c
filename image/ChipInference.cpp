#include "image/ChipInference.h"

#include "chip/ChipTable.h"

namespace {

constexpr std::uint32_t Blank = 0xFFFF;
// The 14-bit ID words (0x2000-0x2003) lie in the configuration area of both 14-bit chips, so
// they say nothing about the memory size; the search for used program words starts below them.
constexpr int ConfigurationArea14 = 0x2000;

int LowByte(const std::uint32_t* image, int index) {
    return static_cast<int>(image[index] & 0xFF);
}

// The calibration value in the chip's last word, or -1 when its low byte is 0xFF.
int CalibrationAt(const std::uint32_t* image, int index) {
    const int value = LowByte(image, index);
    return value == 0xFF ? -1 : value;
}

// The maker recommends only the low four bits of each ID word; assemblers write them so
// (__idlocs 0x1234 gives 1, 2, 3, 4).
constexpr std::uint32_t IdWordBits = 0x000F;

// The smaller chip's ID words, as an assembler writes them: all four present, each a nibble. On
// the 12-bit chips they follow program memory, where the larger chip's program goes on: a routine
// of a 12C509 at 0x200 is no ID words of a 12C508, and burning it there would lose it.
bool LooksLikeIdWords(const std::uint32_t* image, const ChipInfo& small) {
    for (int i = 0; i < IdWordCount; ++i) {
        const std::uint32_t word = image[small.idAddress + i];
        if (word == Blank || (word & ~IdWordBits) != 0) {
            return false;
        }
    }
    return true;
}

// A used word beyond the smaller chip's memory, below `searchBelow`. The smaller chip's own ID
// words count as its own when they look like them.
bool UsedBeyond(const std::uint32_t* image, const ChipInfo& small, int searchBelow) {
    const bool idWords = LooksLikeIdWords(image, small);
    for (int index = small.memoryWords; index < searchBelow; ++index) {
        const bool idWord =
            idWords && index >= small.idAddress && index < small.idAddress + IdWordCount;
        if (image[index] != Blank && !idWord) {
            return true;
        }
    }
    return false;
}

}  // namespace

int HighestUsedBelow(const std::uint32_t* image, int limit) {
    for (int index = limit - 1; index > 0; --index) {
        if (image[index] != Blank) {
            return index;
        }
    }
    return 0;
}

int LastUsedFrom(const std::uint32_t* image, int top) {
    int index = top;
    while (index > 0 && image[index] == Blank) {
        --index;
    }
    return index;
}

ChipInference InferChip(const std::uint32_t* image, int lastIndex) {
    // Each family's two chips, the smaller first, and where the search for used words begins.
    const struct {
        const ChipInfo& small;
        const ChipInfo& large;
        int searchBelow;
    } families[] = {
        {*FindChip(1), *FindChip(2), Core12.configAddress},
        {*FindChip(3), *FindChip(4), ConfigurationArea14},
    };
    for (const auto& family : families) {
        if (lastIndex != family.small.configAddress) {
            continue;
        }
        const int largeCalibration = CalibrationAt(image, family.large.calibrationAddress);
        if (largeCalibration >= 0) {
            return {family.large.chipType, largeCalibration};
        }
        if (UsedBeyond(image, family.small, family.searchBelow)) {
            return {family.large.chipType, -1};
        }
        return {family.small.chipType, CalibrationAt(image, family.small.calibrationAddress)};
    }
    return {};
}
