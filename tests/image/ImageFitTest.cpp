#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "chip/ChipTable.h"
#include "image/ImageFit.h"
#include "image/IntelHex.h"

namespace {

TEST(ImageFitTest, WordsTheChipCannotHoldAreCountedWithTheFirstAddress) {
    const struct {
        const char* name;
        int chipType;
        std::vector<std::pair<int, std::uint32_t>> words;
        int tooWide;
        int firstTooWide;
        int outside;
        int firstOutside;
    } rows[] = {
        {"508 program, ID words, config",
         1,
         {{0, 0xC25}, {0x1FF, 0xC80}, {0x200, 5}, {0xFFF, 0xFEA}},
         0,
         -1,
         0,
         -1},
        {"508 words as read from a chip", 1, {{0, 0xFC25}, {0xFFF, 0xFFEA}}, 0, -1, 0, -1},
        {"14-bit file on a 508",
         1,
         {{0, 0x2805}, {1, 0x0C25}, {2, 0x3FFF}, {0x2007, 0x3FE4}},
         2,
         0,
         1,
         0x2007},
        {"509 code on a 508", 1, {{0x200, 1}, {0x204, 0xA00}, {0x3FF, 0xC3C}}, 0, -1, 2, 0x204},
        {"509 ID words on a 509", 2, {{0x3FF, 0xC3C}, {0x400, 1}, {0x403, 4}}, 0, -1, 0, -1},
        {"672 code on a 671",
         3,
         {{0x3FF, 0x3456}, {0x400, 0x2805}, {0x2000, 1}, {0x2007, 0x3FE4}},
         0,
         -1,
         1,
         0x400},
        {"14-bit words as read on a 671", 3, {{0, 0xE805}, {0x2007, 0xFFE4}}, 0, -1, 0, -1},
        {"12-bit file on a 672", 4, {{0, 0xC25}, {0xFFF, 0xFEA}}, 0, -1, 1, 0xFFF},
        {"16-bit word on a 672", 4, {{5, 0x8000}}, 1, 5, 0, -1},
    };
    for (const auto& row : rows) {
        std::vector<std::uint32_t> image(ImageSlots, 0xFFFF);
        for (const auto& [address, word] : row.words) {
            image[static_cast<std::size_t>(address)] = word;
        }
        const ChipInfo& chip = *FindChip(row.chipType);
        const ImageFit fit = CheckImageFit(chip, image.data());
        EXPECT_EQ(fit.tooWide, row.tooWide) << row.name;
        EXPECT_EQ(fit.firstTooWide, row.firstTooWide) << row.name;
        EXPECT_EQ(fit.outside, row.outside) << row.name;
        EXPECT_EQ(fit.firstOutside, row.firstOutside) << row.name;
        EXPECT_EQ(fit.Fits(), DescribeImageFit(chip, fit).empty()) << row.name;
    }
}

TEST(ImageFitTest, TheSentenceSaysWhichWordsDoNotFit) {
    ImageFit fit;
    fit.tooWide = 40;
    fit.firstTooWide = 0;
    fit.outside = 1;
    fit.firstOutside = 0x2007;
    EXPECT_EQ(DescribeImageFit(*FindChip(1), fit),
              "The data does not fit the 12c508: 40 words wider than its 12 bits (the first at "
              "0x0000), and 1 word at addresses it does not have (the first at 0x2007).");
}

}  // namespace
