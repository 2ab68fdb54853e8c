#include <gtest/gtest.h>

#include "SimBench.h"

namespace {

class PowerSequenceTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        SimulatedChip chip(GetParam());
        chip.SetWord(0, 0x0123);
        chip.SetWord(3, 0x0333);
        chip.SetConfigWord(0x3FFE);  // 0xFFE on a 12-bit chip; unprotected on both
        bench.board.Insert(chip);
        core14 = chip.Is14Bit();
    }
    SimulatedChip& chip() { return *bench.board.Chip(); }
    // What a read returns right after power-up: the configuration word or program word 0.
    std::uint16_t EntryWord() const { return core14 ? 0x0123 : 0x0FFE; }

    SimBench bench;
    bool core14 = false;
};

TEST_P(PowerSequenceTest, FamilyOrderEntersAtTheFamilysAddress) {
    bench.PowerUp(core14);
    ASSERT_TRUE(bench.board.InProgramMode());
    EXPECT_EQ(chip().ProgramModeEntries(), 1);
    EXPECT_EQ(bench.ReadData(), EntryWord());
    if (!core14) {
        bench.Increment();
        EXPECT_EQ(bench.ReadData(), 0x0123);
    }
    EXPECT_TRUE(bench.board.Errors().empty());
}

TEST_P(PowerSequenceTest, AnyOtherOrderIsAnErrorAndTheChipStaysSilent) {
    bench.PowerUp(!core14);
    bench.Write(0x03);
    bench.Write(0x0F);  // both at once
    EXPECT_FALSE(bench.board.InProgramMode());
    EXPECT_EQ(bench.Errors(SimError::SupplyOrder), 2);
    EXPECT_EQ(bench.Read(), 0x7FFF);
    EXPECT_EQ(chip().ProgramModeEntries(), 0);
    EXPECT_TRUE(chip().ReadAddresses().empty());
}

TEST_P(PowerSequenceTest, EntryNeedsDataAndClockLow) {
    for (std::uint8_t lines : {0x00, 0x01, 0x02}) {
        bench.Write(lines | (core14 ? 0x08 : 0x04));
        bench.Write(lines | 0x0C);
        EXPECT_FALSE(bench.board.InProgramMode()) << int{lines};
        bench.Write(0x00);
    }
    EXPECT_EQ(bench.Errors(SimError::EntryLines), 3);
}

TEST_P(PowerSequenceTest, PowerDownLosesTheAddressAndDropsAHalfSentCommand) {
    bench.PowerUp(core14);
    bench.Increment(core14 ? 3 : 4);
    EXPECT_EQ(bench.ReadData(), 0x0333);
    bench.ClockBit(0);
    bench.ClockBit(1);  // the first bits of a command that never finishes
    bench.PowerDown();
    EXPECT_FALSE(bench.board.InProgramMode());

    bench.PowerUp(core14);
    EXPECT_EQ(bench.ReadData(), EntryWord());
    EXPECT_EQ(chip().ProgramModeEntries(), 2);
    EXPECT_TRUE(bench.board.Errors().empty());
}

TEST_P(PowerSequenceTest, TimingViolationsAreRecorded) {
    bench.PowerUp(core14);
    bench.ClockBit(0, 99);  // clock high shorter than 100 ns
    EXPECT_EQ(bench.Errors(SimError::ClockHighTooShort), 1);
    bench.PowerDown();

    bench.PowerUp(core14);
    // The read frame's first clock comes 999 ns after its command.
    bench.Command(4, 1'000 - SimBench::ClockLowNs - 1);
    EXPECT_EQ(bench.ReadWord() & 0x3FFF, EntryWord());
    EXPECT_EQ(bench.Errors(SimError::CommandGap), 1);

    // Data against the falling edge that latches it (from 0x0F: data and clock low).
    const struct {
        std::int64_t after;
        std::uint8_t write;
    } steps[] = {
        {1'000, 0x0D},  // clock high
        {1'000, 0x0C},  // data released while the clock is high...
        {99, 0x0E},     // ...only 99 ns before it falls
        {99, 0x0F},     // data low 99 ns after the clock fell
        {1'000, 0x0C},  // clock high and data released: the rising edge may carry data
        {1'000, 0x0F},  // the clock falls in the same write as the data
    };
    for (const auto& step : steps) {
        bench.clock.Advance(step.after);
        bench.Write(step.write);
    }
    EXPECT_EQ(bench.Errors(SimError::DataSetup), 1);
    EXPECT_EQ(bench.Errors(SimError::DataHold), 1);
    EXPECT_EQ(bench.Errors(SimError::EdgeWithData), 1);
    EXPECT_EQ(bench.board.Errors().size(), 5u) << ::testing::PrintToString(bench.board.Errors());
}

INSTANTIATE_TEST_SUITE_P(AllChips, PowerSequenceTest, ::testing::Values(1, 2, 3, 4));

TEST(PowerSequence, TwelveBitSuppliesMoreThan9MsApartAreAnError) {
    for (std::int64_t gap : {9'000'000, 9'000'001}) {
        SimBench bench;
        bench.board.Insert(SimulatedChip(2));
        bench.PowerUpAFirst(gap);
        EXPECT_TRUE(bench.board.InProgramMode());
        EXPECT_EQ(bench.Errors(SimError::SupplyGap), gap > 9'000'000 ? 1 : 0);
    }
}

}  // namespace
