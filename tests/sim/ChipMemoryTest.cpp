#include <gtest/gtest.h>

#include "SimBench.h"

namespace {

class ChipMemoryTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        bench.board.Insert(SimulatedChip::Factory(GetParam(), 0x5A));
        core14 = chip().Is14Bit();
        erased = core14 ? 0x3FFF : 0x0FFF;
    }
    SimulatedChip& chip() { return *bench.board.Chip(); }
    void EnterAtZero() {
        bench.PowerUp(core14);
        if (!core14) {
            bench.Increment();
        }
    }

    SimBench bench;
    bool core14 = false;
    std::uint16_t erased = 0;
};

TEST_P(ChipMemoryTest, FactoryChipIsBlankExceptItsCalibrationInstruction) {
    EXPECT_EQ(SimulatedChip(GetParam()).CalibrationWord(), erased);
    EXPECT_EQ(chip().CalibrationWord(), core14 ? 0x345A : 0x0C5A);
    for (int address : {0, chip().IdAddress(), chip().ConfigAddress()}) {
        EXPECT_EQ(chip().Word(address), erased) << address;
    }
}

TEST_P(ChipMemoryTest, PulseOfAtLeast100UsProgramsAndTheWordReadsBackAtTheFamilysWidth) {
    EnterAtZero();
    EXPECT_EQ(bench.ReadData(), erased);
    bench.Program(0x3ABC, 99'999);
    EXPECT_EQ(bench.ReadData(), erased);
    EXPECT_EQ(bench.Errors(SimError::PulseTooShort), 1);

    // The host sends 12-bit words with bits 12 and 13 set; the chip returns them as 0.
    bench.Program(0x3ABC, 100'000);
    EXPECT_EQ(bench.ReadData(), 0x3ABC & erased);
    const auto& pulses = chip().Pulses();
    ASSERT_EQ(pulses.size(), 2u);
    EXPECT_FALSE(pulses[0].effective);
    EXPECT_TRUE(pulses[1].effective);
    EXPECT_EQ(pulses[1].address, 0);
    EXPECT_EQ(pulses[1].data, 0x3ABC);
    EXPECT_EQ(pulses[1].durationNs, 100'000);
    EXPECT_EQ(chip().ReadAddresses(), (std::vector<int>{0, 0, 0}));
}

TEST_P(ChipMemoryTest, PulsesOnlyClearBits) {
    EnterAtZero();
    bench.Program(0x3FF0);
    bench.Program(0x3F0F);
    bench.Program(0x3FFF);
    EXPECT_EQ(bench.ReadData(), 0x3F00 & erased);
}

TEST_P(ChipMemoryTest, InjectedFaultsHoldBackTheirWords) {
    chip().SetNeverPrograms(0);
    chip().SetPulsesNeeded(1, 3);
    EnterAtZero();
    for (int i = 0; i < 25; ++i) {
        bench.Program(0x0000);
    }
    EXPECT_EQ(bench.ReadData(), erased);
    bench.Increment();
    for (int pulse = 1; pulse <= 3; ++pulse) {
        bench.Program(0x0000);
        EXPECT_EQ(bench.ReadData(), pulse < 3 ? erased : 0) << pulse;
    }
    bench.Program(0x0000);
    // Only the pulses after the word took count as margin.
    const auto& pulses = chip().Pulses();
    ASSERT_EQ(pulses.size(), 29u);
    for (std::size_t i = 0; i < pulses.size(); ++i) {
        EXPECT_EQ(pulses[i].margin, i == 28) << i;
    }
    // Per word: the pulses with the data the cell holds, before it held it and after.
    EXPECT_EQ(chip().PulsesAt(1).toTake, 3);
    EXPECT_EQ(chip().PulsesAt(1).margin, 1);
    EXPECT_EQ(chip().PulsesAt(0).toTake + chip().PulsesAt(0).margin, 0) << "it holds no data";
    EXPECT_TRUE(bench.board.Errors().empty());
}

TEST_P(ChipMemoryTest, AMarginalCellReadsDifferentlyAtEachPowerUp) {
    chip().SetWord(0, 0x0123);
    chip().SetWord(1, 0x0123);
    chip().SetReadsUnsteadily(0);
    std::vector<std::uint16_t> unsteady;
    std::vector<std::uint16_t> steady;
    for (int powerUp = 0; powerUp < 3; ++powerUp) {
        EnterAtZero();
        unsteady.push_back(bench.ReadData());
        unsteady.push_back(bench.ReadData());  // the same within one power-up
        bench.Increment();
        steady.push_back(bench.ReadData());
        bench.PowerDown();
    }
    EXPECT_EQ(unsteady[0], unsteady[1]);
    EXPECT_NE(unsteady[0], unsteady[2]);
    EXPECT_NE(unsteady[2], unsteady[4]);
    EXPECT_NE(unsteady[0], unsteady[4]);
    EXPECT_EQ(steady, (std::vector<std::uint16_t>(3, 0x0123)));
}

TEST_P(ChipMemoryTest, CodeProtectionHidesProgramMemoryOnly) {
    chip().SetWord(0x3F, 0x0111);
    chip().SetWord(0x40, 0x0222);
    chip().SetWord(chip().IdAddress(), 0x0333);
    const std::uint16_t config = core14 ? 0x3FDF : 0x0FF7;  // one protection bit clear
    chip().SetConfigWord(config);
    EXPECT_EQ(chip().ReadableWord(0x3F), core14 ? 0 : 0x0111);
    EXPECT_EQ(chip().ReadableWord(0x40), 0);
    EXPECT_EQ(chip().ReadableWord(chip().MemoryWords() - 1), 0);
    EXPECT_EQ(chip().ReadableWord(chip().IdAddress()), 0x0333);
    EXPECT_EQ(chip().Word(0x40), 0x0222);

    bench.PowerUp(core14);
    if (core14) {
        bench.LoadConfiguration();
        bench.Increment(7);
    }
    EXPECT_EQ(bench.ReadData(), config);
}

INSTANTIATE_TEST_SUITE_P(AllChips, ChipMemoryTest, ::testing::Values(1, 2, 3, 4));

class TwelveBitWalkTest : public ::testing::TestWithParam<int> {};

TEST_P(TwelveBitWalkTest, AddressRunsThroughIdWordsAndWrapsAtFFF) {
    SimBench bench;
    SimulatedChip chip(GetParam());
    const int words = chip.MemoryWords();
    for (int i = 0; i < 4; ++i) {
        chip.SetWord(words + i, 0x101 + i);
    }
    chip.SetWord(0, 0x0123);
    chip.SetConfigWord(0x00E);
    bench.board.Insert(chip);

    bench.PowerUpAFirst();
    bench.Command(0);  // LoadConfiguration means nothing to a 12-bit chip
    EXPECT_EQ(bench.ReadData(), 0x00E);
    bench.Increment(1 + words);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bench.ReadData(), 0x101 + i);
        bench.Increment();
    }
    EXPECT_EQ(bench.ReadData(), 0);  // nothing behind the ID words
    bench.Increment(0xFFF - (words + 4));
    EXPECT_EQ(bench.ReadData(), 0x00E);
    bench.Increment();
    EXPECT_EQ(bench.ReadData(), 0x0123);

    const std::vector<int> expected{0xFFF,     words,     words + 1, words + 2,
                                    words + 3, words + 4, 0xFFF,     0};
    EXPECT_EQ(bench.board.Chip()->ReadAddresses(), expected);
    EXPECT_TRUE(bench.board.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(TwelveBitChips, TwelveBitWalkTest, ::testing::Values(1, 2));

class FourteenBitWalkTest : public ::testing::TestWithParam<int> {};

TEST_P(FourteenBitWalkTest, LoadConfigurationThenSevenIncrementsReachesTheConfigurationWord) {
    SimBench bench;
    SimulatedChip chip(GetParam());
    for (int i = 0; i < 4; ++i) {
        chip.SetWord(0x2000 + i, 0x1001 + i);
    }
    chip.SetConfigWord(0x3FF4);
    bench.board.Insert(chip);

    bench.PowerUpBFirst();
    bench.Increment(5);
    bench.LoadConfiguration(0x1555);
    EXPECT_EQ(bench.board.Chip()->DataLatch(), 0x1555);
    for (int i = 0; i < 7; ++i) {
        // ID words, then the reserved words, which read as erased
        EXPECT_EQ(bench.ReadData(), i < 4 ? 0x1001 + i : 0x3FFF) << i;
        bench.Increment();
    }
    EXPECT_EQ(bench.ReadData(), 0x3FF4);
    bench.Program(0x3FF0);
    EXPECT_EQ(bench.board.Chip()->ConfigWord(), 0x3FF0);
    EXPECT_TRUE(bench.board.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(FourteenBitChips, FourteenBitWalkTest, ::testing::Values(3, 4));

}  // namespace
