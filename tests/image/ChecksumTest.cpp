// The maker's checksum against its own rule and examples (DS40175, section 3.2): blank chips, the
// ID words' nibbles, protection that hides all or part of the program words, and a chip's words
// as read giving the file's number.

#include <gtest/gtest.h>

#include <vector>

#include "chip/ChipTable.h"
#include "image/Checksum.h"
#include "image/IntelHex.h"

namespace {

std::vector<std::uint32_t> Blank() {
    return std::vector<std::uint32_t>(ImageSlots, 0xFFFF);
}

TEST(ChecksumTest, AsTheMakersRuleGivesIt) {
    const struct {
        int chipType;
        std::uint16_t config;  // 0xFFFF: none in the file (blank)
        std::vector<std::pair<int, std::uint32_t>> words;
        std::uint16_t expected;
        const char* why;
    } rows[] = {
        // Blank: every word below the calibration word at all ones, the configuration word
        // masked: 511 x 0xFFF + 0x1F on the 12C508.
        {1, 0xFFFF, {}, 0xEE20, "blank 12C508"},
        {2, 0xFFFF, {}, 0xEC20, "blank 12C509"},
        {3, 0xFFFF, {}, 0xFC00, "blank 12C671"},
        {4, 0xFFFF, {}, 0xF800, "blank 12C672"},
        // The calibration instruction in the last word is not counted.
        {1, 0xFFFF, {{0x1FF, 0x0C5A}}, 0xEE20, "calibration word left out"},
        // 0xFFF at 0 becomes 0x000: one word 0xFFF less.
        {1, 0x0FFF, {{0x000, 0x000}}, 0xEE20 - 0x0FFF, "a word changed"},
        // The document's example of the ID words: 0x12, 0x37, 0x4, 0x26 make 0x2746, added with
        // the configuration word when the chip is protected (CP at bit 3 on the 12-bit chips).
        {1,
         0x0FF7,
         {{0x200, 0x12}, {0x201, 0x37}, {0x202, 0x4}, {0x203, 0x26}},
         0x17 + 0x2746,
         "protected 12C508: configuration word and ID words"},
        {4,
         0x0000,
         {{0x2000, 0x12}, {0x2001, 0x37}, {0x2002, 0x4}, {0x2003, 0x26}},
         0x2746,
         "12C672 protected whole: the program words read as zeros"},
        // CP1:CP0 = 01 hides 0x200 on: 0x000-0x1FF still count (512 x 0x3FFF = 0x7FFE00 -> 0xFE00).
        {4,
         0x3FFF & ~0x2A40,
         {},
         static_cast<std::uint16_t>(0xFE00 + (0x3FFF & ~0x2A40) + 0xFFFF),
         "12C672 protected from 0x200"},
        // 10 hides 0x400 on: 1024 x 0x3FFF = 0xFFFC00 -> 0xFC00.
        {4,
         0x3FFF & ~0x1520,
         {},
         static_cast<std::uint16_t>(0xFC00 + (0x3FFF & ~0x1520) + 0xFFFF),
         "12C672 protected from 0x400"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const ChipInfo& chip = *FindChip(row.chipType);
        std::vector<std::uint32_t> image = Blank();
        image[static_cast<std::size_t>(chip.configAddress)] = row.config;
        for (const auto& [address, word] : row.words) {
            image[static_cast<std::size_t>(address)] = word;
        }
        EXPECT_EQ(ImageChecksum(chip, image.data()), row.expected);
    }
}

TEST(ChecksumTest, TheChipsWordsAsReadGiveTheFilesNumber) {
    const ChipInfo& chip = *FindChip(3);
    std::vector<std::uint32_t> image = Blank();
    for (int k = 0; k < 40; ++k) {
        image[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(0x2800 + 7 * k);
    }
    for (const std::uint16_t config : {std::uint16_t{0x3FB4 | 0x2A40}, std::uint16_t{0x0080}}) {
        image[static_cast<std::size_t>(chip.configAddress)] = config;
        image[static_cast<std::size_t>(chip.idAddress)] = 0x5;
        // As read: forced, and zeros where protection hides the words.
        std::vector<std::uint16_t> words(static_cast<std::size_t>(chip.calibrationAddress));
        const bool hidden = config == 0x0080;
        for (std::size_t k = 0; k < words.size(); ++k) {
            words[k] = hidden ? 0 : chip.family.Forced(image[k]);
        }
        const std::vector<std::uint16_t> ids = {0x3FF5, 0x3FFF, 0x3FFF, 0x3FFF};
        EXPECT_EQ(ChipChecksum(chip, words, config, ids), ImageChecksum(chip, image.data()))
            << std::hex << config;
    }
}

}  // namespace
