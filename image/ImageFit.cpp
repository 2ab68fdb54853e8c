#include "image/ImageFit.h"

#include <cstdio>

#include "chip/ChipTable.h"
#include "image/IntelHex.h"

namespace {

constexpr std::uint32_t Blank = 0xFFFF;

bool ChipHasAddress(const ChipInfo& chip, int address) {
    return address < chip.memoryWords ||
           (address >= chip.idAddress && address < chip.idAddress + IdWordCount) ||
           address == chip.configAddress;
}

std::string Hex(int address) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", address);
    return text;
}

std::string Words(int count) {
    return std::to_string(count) + (count == 1 ? " word" : " words");
}

}  // namespace

ImageFit CheckImageFit(const ChipInfo& chip, const std::uint32_t* image) {
    ImageFit fit;
    // A word read from a chip of this family has all the bits it lacks set (ReadForceMask); a
    // file's word has none of them. Anything between is a wider word.
    const std::uint32_t extraBits = chip.family.ReadForceMask;
    for (int address = 0; address < ImageSlots; ++address) {
        const std::uint32_t word = image[address] & 0xFFFF;
        if (word == Blank) {
            continue;
        }
        if (!ChipHasAddress(chip, address)) {
            if (fit.outside++ == 0) {
                fit.firstOutside = address;
            }
        } else if ((word & extraBits) != 0 && (word & extraBits) != extraBits) {
            if (fit.tooWide++ == 0) {
                fit.firstTooWide = address;
            }
        }
    }
    return fit;
}

std::string DescribeImageFit(const ChipInfo& chip, const ImageFit& fit) {
    if (fit.Fits()) {
        return {};
    }
    std::string text = "The data does not fit the " + std::string(chip.name) + ": ";
    if (fit.tooWide > 0) {
        text += Words(fit.tooWide) + " wider than its " + std::to_string(chip.family.wordBits) +
                " bits (the first at " + Hex(fit.firstTooWide) + ")";
    }
    if (fit.outside > 0) {
        text += std::string(fit.tooWide > 0 ? ", and " : "") + Words(fit.outside) +
                " at addresses it does not have (the first at " + Hex(fit.firstOutside) + ")";
    }
    return text + ".";
}
