#include "image/Checksum.h"

#include <cstdio>

#include "chip/ChipTable.h"
#include "image/ConfigWordPanel.h"

namespace {

// The configuration word's bits each family has: MCLRE, CP, WDTE and FOSC1:0 on the 12-bit chips;
// all fourteen on the 14-bit ones.
std::uint16_t ConfigMask(const ChipFamily& family) {
    return family.Is14Bit() ? 0x3FFF : 0x001F;
}

// The first program address a protected chip hides; the calibration address when it hides none.
// The 14-bit chips' two protection fields (four copies each; a copy at 0 counts) protect all of
// program memory (00), from 0x200 (01) or, on the 12C672, from 0x400 (10).
int FirstHiddenWord(const ChipInfo& chip, std::uint16_t config) {
    const ChipFamily& family = chip.family;
    if (!IsCodeProtected(family.Is14Bit(), config)) {
        return chip.calibrationAddress;
    }
    if (!family.Is14Bit()) {
        return 0;
    }
    constexpr std::uint16_t Cp1Copies = 0x2A40;
    constexpr std::uint16_t Cp0Copies = 0x1520;
    const bool cp1 = (config & Cp1Copies) == Cp1Copies;
    const bool cp0 = (config & Cp0Copies) == Cp0Copies;
    if (!cp1 && cp0) {
        return 0x200;
    }
    if (cp1 && !cp0) {
        return chip.memoryWords > 0x400 ? 0x400 : chip.calibrationAddress;
    }
    return 0;
}

std::uint16_t Sum(const ChipInfo& chip, const std::vector<std::uint16_t>& programWords,
                  std::uint16_t config, std::uint16_t idNibbles) {
    const ChipFamily& family = chip.family;
    const int hidden = FirstHiddenWord(chip, config);
    std::uint32_t sum = 0;
    for (int address = 0; address < hidden && address < static_cast<int>(programWords.size());
         ++address) {
        sum += programWords[static_cast<std::size_t>(address)] & family.wordMask;
    }
    sum += config & ConfigMask(family);
    if (IsCodeProtected(family.Is14Bit(), config)) {
        sum += idNibbles;
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

}  // namespace

std::uint16_t IdNibbles(const std::uint32_t* ids) {
    std::uint16_t value = 0;
    for (int k = 0; k < IdWordCount; ++k) {
        value = static_cast<std::uint16_t>((value << 4) | (ids[k] & 0xF));
    }
    return value;
}

std::uint16_t ImageChecksum(const ChipInfo& chip, const std::uint32_t* image) {
    std::vector<std::uint16_t> words(static_cast<std::size_t>(chip.calibrationAddress));
    for (std::size_t k = 0; k < words.size(); ++k) {
        words[k] = static_cast<std::uint16_t>(image[k]);
    }
    const auto config =
        static_cast<std::uint16_t>(image[chip.configAddress] & chip.family.wordMask);
    return Sum(chip, words, config, IdNibbles(image + chip.idAddress));
}

std::uint16_t ChipChecksum(const ChipInfo& chip, const std::vector<std::uint16_t>& programWords,
                           std::uint16_t config, const std::vector<std::uint16_t>& ids) {
    std::uint32_t idWords[IdWordCount] = {0xF, 0xF, 0xF, 0xF};
    for (std::size_t k = 0; k < ids.size() && k < IdWordCount; ++k) {
        idWords[k] = ids[k];
    }
    return Sum(chip, programWords, static_cast<std::uint16_t>(config & chip.family.wordMask),
               IdNibbles(idWords));
}

std::string ChecksumText(std::uint16_t checksum) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", checksum);
    return text;
}
