#include <gtest/gtest.h>

#include "chip/ChipSession.h"
#include "link/Delays.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/SimulatedBoard.h"
#include "sim/SlowPort.h"
#include "sim/VirtualDelays.h"

namespace {

// The link's frames against the simulated chip: what one side sends the other must understand.
class FramesOnSimulatedChipTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { board.Insert(SimulatedChip::Factory(GetParam(), 0x5A)); }
    bool Is14Bit() const { return GetParam() >= 3; }
    void Program(std::uint16_t word) {
        SendCommand(link, LoadData);
        SendDataWord(link, word);
        SendCommand(link, BeginProgramming);
        link.Pause(1);
        SendCommand(link, EndProgramming);
    }
    std::uint16_t Read() {
        SendCommand(link, ReadData);
        return ReadDataWord(link);
    }

    ScopedVirtualDelays delays;
    SimulatedBoard board{[this] { return delays.clock().Now(); }};
    ProgrammerLink link{board, delays.clock(), 0x378};
};

TEST_P(FramesOnSimulatedChipTest, AWordWrittenIsTheWordReadBack) {
    const std::uint16_t word = Is14Bit() ? 0x2A5F : 0x0A5F;
    PoweredChip powered(link, FamilyOf(GetParam()), StartAt::AddressZero);
    EXPECT_TRUE(board.InProgramMode());
    EXPECT_EQ(Read() & 0x3FFF, Is14Bit() ? 0x3FFF : 0x0FFF) << "blank before";
    Program(word);
    EXPECT_EQ(Read() & 0x3FFF, word);
    SendCommand(link, IncrementAddress);
    Program(0x0123);
    ExitProgramMode(link);
    EXPECT_FALSE(board.InProgramMode());
    EXPECT_EQ(board.DataRegister(), 0x03);

    EXPECT_EQ(board.Chip()->Word(0), word);
    EXPECT_EQ(board.Chip()->Word(1), 0x0123);
    EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();
}

TEST_P(FramesOnSimulatedChipTest, TheConfigurationWordIsWhereTheFamilyKeepsIt) {
    board.Chip()->SetConfigWord(0x0FEA);
    if (Is14Bit()) {
        EnterProgramMode14Bit(link);
        SendCommand(link, LoadConfiguration);
        SendDataWord(link, 0x3FFF);
        for (int i = 0; i < 7; ++i) {
            SendCommand(link, IncrementAddress);
        }
    } else {
        EnterProgramMode12Bit(link);
    }
    EXPECT_EQ(Read() & 0x3FFF, 0x0FEA);
    ExitProgramMode(link);
    EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();
}

TEST_P(FramesOnSimulatedChipTest, DetectionFindsTheBoardOnLpt1) {
    EXPECT_EQ(DetectProgrammer(link, 0xFFFF), 1);
    EXPECT_EQ(link.DataPortAddress(), 0x378);
    EXPECT_EQ(board.DataRegister(), 0x03);
}

TEST(FramesOnSlowPortsTest, TheChipSeesItsTimingMetWhateverThePortsSpeed) {
    // Instant, faster than a clock phase, about one, slower than a frame gap: the waits that the
    // link counts as done by the port's own writes must still be done by the time of the edges.
    for (std::int64_t costNs : {0, 40, 60, 150, 700, 1'000, 2'500}) {
        ScopedVirtualDelays delays;
        SimulatedBoard board{[&] { return delays.clock().Now(); }};
        board.Insert(SimulatedChip::Factory(4, 0x5A));
        SlowPort port(board, delays.clock(), costNs);
        ProgrammerLink link{port, delays.clock(), 0x378};
        {
            PoweredChip powered(link, Core14, StartAt::AddressZero);
            for (std::uint16_t word : {0x2A5F, 0x1234, 0x3FFE}) {
                SendCommand(link, LoadData);
                SendDataWord(link, word);
                SendCommand(link, BeginProgramming);
                link.BusyWait(2'000);
                SendCommand(link, EndProgramming);
                SendCommand(link, ReadData);
                EXPECT_EQ(ReadDataWord(link) & 0x3FFF, word) << costNs;
                SendCommand(link, IncrementAddress);
            }
        }
        EXPECT_TRUE(board.Errors().empty()) << costNs << ": " << board.Errors().front();
    }
}

TEST(FramesWithoutChipTest, AnEmptySocketReadsErasedWords) {
    ScopedVirtualDelays delays;
    SimulatedBoard board{[&] { return delays.clock().Now(); }};
    ProgrammerLink link{board, delays.clock(), 0x378};
    EnterProgramMode14Bit(link);
    SendCommand(link, ReadData);
    EXPECT_EQ(ReadDataWord(link), 0x7FFF);
    ExitProgramMode(link);
}

INSTANTIATE_TEST_SUITE_P(AllChips, FramesOnSimulatedChipTest, ::testing::Values(1, 2, 3, 4));

}  // namespace
