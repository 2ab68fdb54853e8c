#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>

#include "image/ChipInference.h"
#include "image/IntelHex.h"

namespace {

using Image = std::array<std::uint32_t, ImageSlots>;

Image Blank() {
    Image image;
    image.fill(0xFFFF);
    return image;
}

TEST(ChipInferenceTest, TheLastWordAndTheCalibrationWordTellTheChip) {
    const struct {
        const char* name;
        std::vector<std::pair<int, std::uint32_t>> words;
        int last;
        int chipType;
        int calibration;
    } rows[] = {
        {"508 code, config last", {{0, 0xC25}, {0x1FE, 0xA00}, {0xFFF, 0xFEA}}, 0xFFF, 1, -1},
        {"508 with ID words",
         {{0, 0xC25}, {0x200, 1}, {0x201, 0}, {0x202, 0xF}, {0x203, 4}, {0xFFF, 0xFEA}},
         0xFFF,
         1,
         -1},
        {"508 ID words and one more word",
         {{0x200, 1}, {0x201, 2}, {0x202, 3}, {0x203, 4}, {0x204, 0}, {0xFFF, 0xFEA}},
         0xFFF,
         2,
         -1},
        // ID words are all four, each a nibble; anything else there is a 12C509's second page.
        {"two of the four", {{0, 0xC25}, {0x200, 1}, {0x203, 4}, {0xFFF, 0xFEA}}, 0xFFF, 2, -1},
        {"one wider than a nibble",
         {{0x200, 1}, {0x201, 2}, {0x202, 0x10}, {0x203, 4}, {0xFFF, 0xFEA}},
         0xFFF,
         2,
         -1},
        {"a routine at 0x200",
         {{0x200, 0xC01}, {0x201, 0x026}, {0x202, 0x800}, {0xFFF, 0xFEA}},
         0xFFF,
         2,
         -1},
        {"509 with ID words", {{0x3FE, 0xA00}, {0x400, 1}, {0xFFF, 0xFEA}}, 0xFFF, 2, -1},
        {"509 ID words alone", {{0, 0xC25}, {0x400, 1}, {0x403, 4}, {0xFFF, 0xFEA}}, 0xFFF, 2, -1},
        {"509 calibration", {{0, 0xC25}, {0x3FF, 0xC3C}, {0xFFF, 0xFEA}}, 0xFFF, 2, 0x3C},
        {"508 calibration", {{0x1FF, 0x0C80}, {0xFFF, 0xFEA}}, 0xFFF, 1, 0x80},
        {"508 calibration none", {{0x1FF, 0x0CFF}, {0xFFF, 0xFEA}}, 0xFFF, 1, -1},
        {"509 code only", {{0x3FE, 0xA00}, {0xFFF, 0xFEA}}, 0xFFF, 2, -1},
        {"671", {{0, 0x2805}, {0x3FE, 0x0008}, {0x2007, 0x3FE4}}, 0x2007, 3, -1},
        {"671 calibration", {{0x3FF, 0x3456}, {0x2007, 0x3FE4}}, 0x2007, 3, 0x56},
        {"671 with ID words",
         {{0, 0x2805}, {0x2000, 1}, {0x2003, 4}, {0x2007, 0x3FE4}},
         0x2007,
         3,
         -1},
        {"672 code", {{0x400, 0x2805}, {0x2007, 0x3FE4}}, 0x2007, 4, -1},
        {"672 with ID words", {{0x400, 0x2805}, {0x2000, 1}, {0x2007, 0x3FE4}}, 0x2007, 4, -1},
        {"672 calibration", {{0x7FF, 0x3407}, {0x2007, 0x3FE4}}, 0x2007, 4, 0x07},
        {"config not last", {{0xFFF, 0xFEA}, {0x10, 0}}, 0x10, 0, -1},
        {"14-bit config at 12-bit slot", {{0x2007, 0x3FE4}, {0xFFF, 0xFEA}}, 0xFFF, 1, -1},
        {"12-bit calibration slot used by a 14-bit chip's code",
         {{0x1FF, 0x0C80}, {0x2007, 0x3FE4}},
         0x2007,
         3,
         -1},
    };
    for (const auto& row : rows) {
        Image image = Blank();
        for (const auto& [index, word] : row.words) {
            image[index] = word;
        }
        const ChipInference inference = InferChip(image.data(), row.last);
        EXPECT_EQ(inference.chipType, row.chipType) << row.name;
        EXPECT_EQ(inference.calibration, row.calibration) << row.name;
    }
}

TEST(ChipInferenceTest, TheSizeSearchStopsAtTheFirstUsedSlotOrAtZero) {
    Image image = Blank();
    EXPECT_EQ(LastUsedFrom(image.data(), 510), 0);
    image[0] = 0x0C25;
    EXPECT_EQ(LastUsedFrom(image.data(), 510), 0);
    image[255] = 0x0FFF;  // used: only 0xFFFF is blank
    EXPECT_EQ(LastUsedFrom(image.data(), 510), 255);
    image[510] = 0;
    EXPECT_EQ(LastUsedFrom(image.data(), 510), 510);
    image[511] = 0;  // above the top: never looked at
    EXPECT_EQ(LastUsedFrom(image.data(), 509), 255);
    EXPECT_EQ(HighestUsedBelow(image.data(), 255), 0);
    EXPECT_EQ(HighestUsedBelow(image.data(), 256), 255);
}

std::string Read(const std::string& name) {
    std::ifstream file(std::string(CHIPSMITH_TEST_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(ChipInferenceTest, AssemblerOutputIsRecognisedInBothFormats) {
    const struct {
        const char* file;
        int chipType;
        int calibration;
    } rows[] = {
        {"blink508.hex", 1, -1},   {"blink508-inhx8m.hex", 1, -1},
        {"blink509.hex", 2, -1},   {"blink509-inhx8m.hex", 2, -1},
        {"blink671.hex", 3, -1},   {"blink671-inhx8m.hex", 3, -1},
        {"blink672.hex", 4, -1},   {"blink672-inhx8m.hex", 4, -1},
        {"calib508.hex", 1, 0x80}, {"calib508-inhx8m.hex", 1, 0x80},
        {"ids508.hex", 1, -1},     {"page509.hex", 2, -1},
        {"plain671.hex", 3, -1},   {"plain671-inhx8m.hex", 3, -1},
        {"calib672.hex", 4, 0x3C}, {"calib672-inhx8m.hex", 4, 0x3C},
    };
    for (const auto& row : rows) {
        const std::string text = Read(row.file);
        ASSERT_FALSE(text.empty()) << row.file;
        Image image = Blank();
        const int last = ParseIntelHex(text.data(), static_cast<int>(text.size()), image.data(), 0,
                                       [&](const char* message) { ADD_FAILURE() << message; });
        const ChipInference inference = InferChip(image.data(), last);
        EXPECT_EQ(inference.chipType, row.chipType) << row.file;
        EXPECT_EQ(inference.calibration, row.calibration) << row.file;
    }
}

}  // namespace
