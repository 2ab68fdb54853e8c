#include <gtest/gtest.h>

#include <random>

#include "sim/ChipSnapshot.h"

namespace {

class ChipSnapshotRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(ChipSnapshotRoundTrip, EveryCellComesBackAndNothingElseChanges) {
    SimulatedChip chip = SimulatedChip::Factory(GetParam(), 0x5A);
    const int last = chip.MemoryWords() - 1;
    chip.SetWord(0, 0x0A05);
    chip.SetWord(1, 0);  // fully programmed, as far from erased as a word gets
    chip.SetWord(last - 1, 0x0123);
    chip.SetWord(chip.IdAddress() + 3, 0x000D);
    chip.SetConfigWord(0x0006);

    const std::optional<SocketContent> loaded = LoadSocket(SaveSocket(&chip));
    ASSERT_TRUE(loaded && loaded->chip);
    const SimulatedChip& back = *loaded->chip;
    EXPECT_EQ(back.Type(), chip.Type());
    for (int address : CellAddresses(chip)) {
        ASSERT_EQ(back.Word(address), chip.Word(address)) << address;
    }
    EXPECT_EQ(back.CalibrationWord(), chip.CalibrationWord());
    EXPECT_EQ(back.Word(0x2005), chip.Word(0x2005)) << "reserved words stay as they were";
}

INSTANTIATE_TEST_SUITE_P(AllChips, ChipSnapshotRoundTrip, ::testing::Values(1, 2, 3, 4));

TEST(ChipSnapshotTest, TextListsOnlyTheWordsThatAreNotErasedInAddressOrder) {
    SimulatedChip chip = SimulatedChip::Factory(1, 0x5A);
    chip.SetConfigWord(0x00E);
    chip.SetWord(chip.IdAddress(), 0x001);
    chip.SetWord(0, 0xA05);
    EXPECT_EQ(SaveSocket(&chip),
              "chipsmith-socket 1\ntype PIC12C508\n0000 0A05\n01FF 0C5A\n0200 0001\n0FFF 000E\n");

    const SimulatedChip erased(3);
    EXPECT_EQ(SaveSocket(&erased), "chipsmith-socket 1\ntype PIC12C671\n");
}

TEST(ChipSnapshotTest, AnEmptySocketStaysEmpty) {
    EXPECT_EQ(SaveSocket(nullptr), "chipsmith-socket 1\ntype none\n");
    const std::optional<SocketContent> loaded = LoadSocket(SaveSocket(nullptr));
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->chip);
}

TEST(ChipSnapshotTest, TextTouchedByAnEditorStillLoads) {
    const std::string texts[] = {
        "chipsmith-socket 1\r\ntype PIC12C672\r\n07ff 345a\r\n",
        "chipsmith-socket 1\ntype PIC12C672\n7FF 345A\n\n\n",
    };
    for (const std::string& text : texts) {
        const std::optional<SocketContent> loaded = LoadSocket(text);
        ASSERT_TRUE(loaded && loaded->chip) << text;
        EXPECT_EQ(loaded->chip->Type(), 4);
        EXPECT_EQ(loaded->chip->CalibrationWord(), 0x345A);
    }
}

TEST(ChipSnapshotTest, AnythingOutOfPlaceIsRefusedAsAWhole) {
    const char* const texts[] = {
        "",
        "\n\n",
        "chipsmith-socket 1\n",
        "chipsmith-socket 2\ntype PIC12C508\n",
        "chipsmith-socket 1 \ntype PIC12C508\n",
        "CHIPSMITH-SOCKET 1\ntype PIC12C508\n",
        "type PIC12C508\nchipsmith-socket 1\n",
        "chipsmith-socket 1\ntype PIC12C510\n",
        "chipsmith-socket 1\ntype 1\n",
        "chipsmith-socket 1\ntype \n",
        "chipsmith-socket 1\ntype none\n0000 0000\n",
        "chipsmith-socket 1\ntype PIC12C508\n0000\n",
        "chipsmith-socket 1\ntype PIC12C508\n0000 0A05 0A05\n",
        "chipsmith-socket 1\ntype PIC12C508\n0000  0A05\n",
        "chipsmith-socket 1\ntype PIC12C508\n\n0000 0A05\n",
        "chipsmith-socket 1\ntype PIC12C508\n-001 0A05\n",
        "chipsmith-socket 1\ntype PIC12C508\n0x00 0A05\n",
        "chipsmith-socket 1\ntype PIC12C508\n00000 0A05\n",
        "chipsmith-socket 1\ntype PIC12C508\n0000 1000\n",            // wider than 12 bits
        "chipsmith-socket 1\ntype PIC12C671\n0000 4000\n",            // wider than 14 bits
        "chipsmith-socket 1\ntype PIC12C508\n0204 0000\n",            // past the ID words
        "chipsmith-socket 1\ntype PIC12C509\n2007 0000\n",            // the other family's address
        "chipsmith-socket 1\ntype PIC12C671\n0400 0000\n",            // past program memory
        "chipsmith-socket 1\ntype PIC12C672\n2005 0000\n",            // reserved
        "chipsmith-socket 1\ntype PIC12C672\n0001 0000\n001 0001\n",  // the same cell twice
        "chipsmith-socket 1\ntype PIC12C508\n0000 0A0G\n",
    };
    for (const char* text : texts) {
        EXPECT_FALSE(LoadSocket(text)) << text;
    }
    const char withNul[] = "chipsmith-socket 1\0\ntype PIC12C508\n";
    EXPECT_FALSE(LoadSocket(std::string(withNul, sizeof withNul - 1)));
}

TEST(ChipSnapshotTest, AFileCutShortIsRefusedEvenWhereTheRestWouldParse) {
    SimulatedChip chip = SimulatedChip::Factory(4, 0x5A);
    chip.SetWord(0x10, 0x2805);
    const std::string good = SaveSocket(&chip);
    ASSERT_EQ(good.substr(good.size() - 11), "\n07FF 345A\n");
    // Cut inside its last line, the text would still parse, with another calibration word.
    for (std::size_t cut : {good.size() - 1, good.size() - 2, good.size() - 3}) {
        std::string fault;
        EXPECT_FALSE(LoadSocket(good.substr(0, cut), &fault)) << cut;
        EXPECT_EQ(fault, "the last line is cut short");
    }
    EXPECT_FALSE(LoadSocket("chipsmith-socket 1\ntype PIC12C672\r\n07FF 345A\r"));
}

TEST(ChipSnapshotTest, ARefusalSaysWhatWasWrong) {
    const struct {
        const char* text;
        const char* fault;
    } rows[] = {
        {"chipsmith-socket 2\ntype none\n", "the first line is not \"chipsmith-socket 1\""},
        {"chipsmith-socket 1\ntype PIC12C510\n", "line 2: unknown chip type"},
        {"chipsmith-socket 1\ntype PIC12C508\n0000 0A05\n0001\n",
         "line 4: not \"ADDRESS WORD\" in hex"},
        {"chipsmith-socket 1\ntype PIC12C671\n0400 0000\n",
         "line 3: the PIC12C671 has no cell at 0400"},
        {"chipsmith-socket 1\ntype PIC12C672\n0001 0000\n001 0001\n",
         "line 4: 0001 is listed twice"},
    };
    for (const auto& row : rows) {
        std::string fault;
        EXPECT_FALSE(LoadSocket(row.text, &fault)) << row.text;
        EXPECT_EQ(fault, row.fault) << row.text;
    }
}

TEST(ChipSnapshotTest, DamagedTextNeverYieldsAChipOfAnUnknownType) {
    SimulatedChip chip = SimulatedChip::Factory(4, 0x5A);
    chip.SetWord(0, 0x2805);
    const std::string good = SaveSocket(&chip);
    std::mt19937 random(508);
    for (int round = 0; round < 5000; ++round) {
        std::string text = good.substr(0, random() % (good.size() + 1));
        for (int k = random() % 4; k > 0 && !text.empty(); --k) {
            text[random() % text.size()] = static_cast<char>(random());
        }
        const std::optional<SocketContent> loaded = LoadSocket(text);
        if (loaded && loaded->chip) {
            ASSERT_GE(loaded->chip->Type(), 1) << text;
            ASSERT_LE(loaded->chip->Type(), 4) << text;
        }
    }
}

}  // namespace
