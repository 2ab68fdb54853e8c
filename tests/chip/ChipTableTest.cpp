#include <gtest/gtest.h>

#include <string>

#include "chip/ChipTable.h"

namespace {

TEST(ChipTableTest, ListOrderIsChipTypeOrderAndSorted) {
    std::string previous;
    for (int type = 1; type <= ChipCount; ++type) {
        const ChipInfo* chip = FindChip(type);
        ASSERT_NE(chip, nullptr);
        EXPECT_EQ(chip->chipType, type);
        EXPECT_LT(previous, chip->name) << "the sorted list must keep table order";
        previous = chip->name;
        // The calibration instruction is the last word; user code ends one below it.
        EXPECT_EQ(chip->calibrationAddress, chip->memoryWords - 1);
        EXPECT_EQ(chip->maxUsableAddress, chip->memoryWords - 2);
        EXPECT_EQ(&chip->family, &FamilyOf(type));
        EXPECT_EQ(chip->configAddress, chip->family.configAddress);
    }
    EXPECT_EQ(FindChip(0), nullptr);
    EXPECT_EQ(FindChip(5), nullptr);
    EXPECT_EQ(FindChip(-1), nullptr);
}

TEST(ChipTableTest, FamiliesSplitBetweenTwoAndThree) {
    EXPECT_EQ(&FamilyOf(0), &Core12);
    EXPECT_EQ(&FamilyOf(1), &Core12);
    EXPECT_EQ(&FamilyOf(2), &Core12);
    EXPECT_EQ(&FamilyOf(3), &Core14);
    EXPECT_EQ(&FamilyOf(4), &Core14);
    EXPECT_EQ(Core12.configAddress, 0xFFF);
    EXPECT_EQ(Core14.configAddress, 0x2007);
}

TEST(ChipTableTest, BlankRulesLookOnlyAtTheBitsTheFamilyHas) {
    const struct {
        const ChipFamily& family;
        std::uint32_t word;
        bool blank;
    } rows[] = {
        {Core12, 0x0FFF, true},  {Core12, 0xFFFF, true},  {Core12, 0x3FFF, true},
        {Core12, 0x0FFE, false}, {Core12, 0xF7FF, false}, {Core14, 0x3FFF, true},
        {Core14, 0xFFFF, true},  {Core14, 0xBFFF, true},  {Core14, 0x0FFF, false},
        {Core14, 0x3FFE, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.family.IsBlankForProgramming(row.word), row.blank)
            << row.family.name << " " << std::hex << row.word;
    }
}

TEST(ChipTableTest, SiblingsAreFoundByNameAndShapedAsTheEntryThatServesThem) {
    const struct {
        const char* given;
        const char* name;  // nullptr: no chip has that name
        int servedBy;
    } rows[] = {
        {"12c508", "12c508", 1},   {"PIC12C672", "12c672", 4},   {"12c508a", "12c508a", 1},
        {"12C509A", "12c509a", 2}, {"pic12ce518", "12ce518", 1}, {"12ce519", "12ce519", 2},
        {"12CE673", "12ce673", 3}, {"12ce674", "12ce674", 4},    {"12ce675", nullptr, 0},
        {"pic", nullptr, 0},       {"12c508ax", nullptr, 0},     {"", nullptr, 0},
    };
    for (const auto& row : rows) {
        const ChipInfo* chip = FindChipByName(row.given);
        if (row.name == nullptr) {
            EXPECT_EQ(chip, nullptr) << row.given;
            continue;
        }
        ASSERT_NE(chip, nullptr) << row.given;
        EXPECT_STREQ(chip->name, row.name);
        const ChipInfo& entry = *FindChip(row.servedBy);
        EXPECT_EQ(chip->chipType, entry.chipType) << row.given;
        EXPECT_EQ(&chip->family, &entry.family) << row.given;
        EXPECT_EQ(chip->memoryWords, entry.memoryWords) << row.given;
        EXPECT_EQ(chip->calibrationAddress, entry.calibrationAddress) << row.given;
        EXPECT_EQ(chip->idAddress, entry.idAddress) << row.given;
    }
    EXPECT_EQ(SiblingNames(1), "12c508a, 12ce518");
    EXPECT_EQ(SiblingNames(4), "12ce674");
}

}  // namespace
