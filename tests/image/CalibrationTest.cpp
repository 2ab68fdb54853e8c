#include <gtest/gtest.h>

#include "image/Calibration.h"

namespace {

TEST(CalibrationTest, TheFieldGivesAValueFromItsFirstTwoHexDigits) {
    const struct {
        const char* text;
        int value;
    } rows[] = {
        {"8", 0x08},
        {"8C", 0x8C},
        {"8c", 0x8C},
        {"08", 0x08},
        {"", 0},
        {" ", 0},
        {"  ", 0},
        {"FF", 0xFF},
        {"FFF", 0xFF},
        {"123", 0x12},
        {"G5", 0x05},
        {"zz", 0},
        {"x7y3", 0x73},
        {" 5A", 0x5A},
        {":0", 0},
        {"\xff"
         "1",
         0x01},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CalibrationValueFromText(row.text), row.value) << '"' << row.text << '"';
    }
}

TEST(CalibrationTest, ValuesShowInUpperCaseWithoutLeadingZeros) {
    EXPECT_EQ(CalibrationValueText(0x8C), "8C");
    EXPECT_EQ(CalibrationValueText(0x08), "8");
    EXPECT_EQ(CalibrationValueText(0), "0");
    EXPECT_EQ(CalibrationValueText(0x5A), "5A");
}

TEST(CalibrationTest, EachChipGetsItsOwnInstructionAtItsLastWord) {
    const struct {
        int chipType;
        int address;
        std::uint16_t word;
    } rows[] = {
        {1, 0x1FF, 0xFC8C},  // MOVLW, executed at reset
        {2, 0x3FF, 0xFC8C},
        {3, 0x3FF, 0xF48C},  // RETLW, called by the program: 0x348C on the wire
        {4, 0x7FF, 0xF48C},
    };
    for (const auto& row : rows) {
        const auto slot = CalibrationInstruction(row.chipType, 0x8C);
        ASSERT_TRUE(slot);
        EXPECT_EQ(slot->address, row.address);
        EXPECT_EQ(slot->word, row.word) << row.chipType;
    }
    EXPECT_FALSE(CalibrationInstruction(0, 0x8C));
}

// What a calibration slot read from a chip tells: the instruction (its value), a blank word (none),
// or neither (a protected chip's zeros).
TEST(CalibrationTest, OnlyTheInstructionOrABlankWordTellsTheCalibration) {
    const struct {
        int chipType;
        std::uint16_t word;
        bool tells;
    } rows[] = {{1, 0xFC5A, true},  {1, 0x0C5A, true},  {1, 0xFFFF, true},
                {1, 0xF000, false}, {1, 0xF85A, false}, {4, 0xF45A, true},
                {4, 0xFFFF, true},  {4, 0xC000, false}, {4, 0xC000 | 0x0C5A, false},
                {0, 0x0000, true}};
    for (const auto& row : rows) {
        EXPECT_EQ(TellsCalibration(row.chipType, row.word), row.tells)
            << row.chipType << " " << std::hex << row.word;
    }
}

}  // namespace
