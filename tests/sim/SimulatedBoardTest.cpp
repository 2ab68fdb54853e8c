#include <gtest/gtest.h>

#include "SimBench.h"

namespace {

struct LoopbackCase {
    Loopback mode;
    int ackWhenReleased;
    int ackWhenPulledLow;
};

class LoopbackTest : public ::testing::TestWithParam<LoopbackCase> {};

TEST_P(LoopbackTest, StatusBit6FollowsTheDataLineOnlyWhenTheLoopbackWorks) {
    for (bool withChip : {false, true}) {
        SimBench bench;
        if (withChip) {
            bench.board.Insert(SimulatedChip(1));
        }
        bench.board.SetLoopback(GetParam().mode);
        bench.Write(0x00);
        EXPECT_EQ((bench.Status() >> 6) & 1, GetParam().ackWhenReleased);
        bench.Write(0x01);
        EXPECT_EQ((bench.Status() >> 6) & 1, GetParam().ackWhenPulledLow);
        EXPECT_NE(bench.Status(), 0xFF);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, LoopbackTest,
                         ::testing::Values(LoopbackCase{Loopback::Working, 0, 1},
                                           LoopbackCase{Loopback::AckStuckLow, 0, 0},
                                           LoopbackCase{Loopback::AckStuckHigh, 1, 1}));

TEST(SimulatedBoard, OnlyItsTwoRegistersAnswerAndEveryAccessIsCounted) {
    VirtualDelays clock;
    SimulatedBoard board([&clock] { return clock.Now(); }, 0x278);
    EXPECT_EQ(board.In(0x278), 0x00);
    board.Out(0x278, 0xA5);
    for (std::uint16_t address : {0x27A, 0x378, 0x379, 0x3BC}) {
        board.Out(address, 0x0F);
        EXPECT_EQ(board.In(address), 0xFF) << std::hex << address;
    }
    EXPECT_EQ(board.In(0x278), 0xA5);
    EXPECT_EQ(board.In(0x279) & 0x40, 0x40);  // 0xA5 pulls the data line low
    EXPECT_EQ(board.PortWrites(), 5);
    EXPECT_EQ(board.PortReads(), 7);
}

TEST(SimulatedBoard, EmptySocketLeavesTheLineHighWheneverReleased) {
    SimBench bench;
    bench.board.Insert(SimulatedChip(1));
    bench.board.Remove();
    EXPECT_EQ(bench.board.Chip(), nullptr);
    bench.PowerUpAFirst();
    EXPECT_FALSE(bench.board.InProgramMode());
    EXPECT_EQ(bench.Read(), 0x7FFF);
    EXPECT_TRUE(bench.board.Errors().empty());
}

TEST(SimulatedBoard, PullingLowAgainstTheChipIsContention) {
    SimBench bench;
    bench.board.Insert(SimulatedChip(3));
    bench.PowerUpBFirst();
    bench.Read();
    EXPECT_EQ(bench.Errors(SimError::Contention), 0);

    // Read an erased word (all ones) but keep pulling the line low through the frame.
    bench.Command(4);
    for (int cycle = 0; cycle < 16; ++cycle) {
        bench.ClockBit(0);
    }
    EXPECT_EQ(bench.Errors(SimError::Contention), 1);
}

}  // namespace
