#include <gtest/gtest.h>

#include "chip/ChipReads.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/SimulatedBoard.h"
#include "sim/SlowPort.h"
#include "sim/VirtualDelays.h"

namespace {

// A port that takes this long for every access (a stalled driver, a busy machine): a 12-bit chip
// must get its programming voltage within 9 ms of its supply, or not at all.
TEST(BoardChecksTest, APortTooSlowForTheSupplyGapNeverRaisesTheProgrammingVoltageLate) {
    const struct {
        std::int64_t accessNs;
        bool reads;
    } rows[] = {
        {1'000, true},
        {1'500'000, true},  // 3.3 ms of settling and three accesses: within 9 ms
        {2'000'000, false},
        {10'000'000, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.accessNs);
        ScopedVirtualDelays delays;
        SimulatedBoard board([&delays] { return delays.clock().Now(); });
        board.Insert(SimulatedChip::Factory(1, 0x5A));
        SlowPort slow(board, delays.clock(), row.accessNs);
        ProgrammerLink link(slow, delays.clock(), 0x378);
        if (row.reads) {
            EXPECT_EQ(ReadConfigWordFromChip(link, Core12), 0xFFFF);
        } else {
            EXPECT_THROW(ReadConfigWordFromChip(link, Core12), PortFailure);
            EXPECT_EQ(board.Chip()->ProgramModeEntries(), 0);
        }
        EXPECT_FALSE(board.SupplyA() || board.SupplyB());
        const auto errors = board.Errors();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }
}

// The host preempted in the 3.3 ms between the supplies of a 12-bit chip, the first `times`
// power-ups (a busy machine): the clock jumps by 8 ms in those busy-waits.
class PreemptedDelays final : public Delays {
public:
    PreemptedDelays(VirtualDelays& clock, int times) : clock_(clock), times_(times) {}
    void Pause(int milliseconds) override { clock_.Pause(milliseconds); }
    void BusyWait(int iterations) override {
        if (iterations >= 65536 && times_ > 0) {
            --times_;
            clock_.Advance(8'000'000);
        }
        clock_.BusyWait(iterations);
    }
    std::int64_t Now() const override { return clock_.Now(); }
    void WaitUntil(std::int64_t deadline) override { clock_.WaitUntil(deadline); }

private:
    VirtualDelays& clock_;
    int times_;
};

// A power-up the host was too slow for is tried again, a few times, before the run gives up with
// SupplyGapMissed (the machine's fault, not the board's); the chip never sees the programming
// voltage late.
TEST(BoardChecksTest, APowerUpTheHostWasTooSlowForIsTriedAgain) {
    const struct {
        int preempted;
        bool reads;
    } rows[] = {{0, true}, {1, true}, {4, true}, {5, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.preempted);
        ScopedVirtualDelays delays;
        PreemptedDelays busy(delays.clock(), row.preempted);
        SimulatedBoard board([&delays] { return delays.clock().Now(); });
        board.Insert(SimulatedChip::Factory(1, 0x5A));
        ProgrammerLink link(board, busy, 0x378);
        if (row.reads) {
            EXPECT_EQ(ReadConfigWordFromChip(link, Core12), 0xFFFF);
        } else {
            EXPECT_THROW(ReadConfigWordFromChip(link, Core12), SupplyGapMissed);
            EXPECT_EQ(board.Chip()->ProgramModeEntries(), 0);
        }
        EXPECT_FALSE(board.SupplyA() || board.SupplyB());
        const auto errors = board.Errors();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }
}

// A board whose returned data line is stuck reads every word as 1s or 0s: a blank chip, however
// programmed. The loop-back before the power-up tells, and nothing is reported of the chip.
TEST(BoardChecksTest, AStuckReturnLineIsTheBoardsFaultNotABlankChip) {
    for (Loopback stuck : {Loopback::AckStuckLow, Loopback::AckStuckHigh}) {
        ScopedVirtualDelays delays;
        SimulatedBoard board([&delays] { return delays.clock().Now(); });
        SimulatedChip chip = SimulatedChip::Factory(4, 0x5A);
        chip.SetWord(0, 0x1234);
        board.Insert(chip);
        board.SetLoopback(stuck);
        ProgrammerLink link(board, delays.clock(), 0x378);
        EXPECT_THROW(BlankCheckChip(link, Core14, 16, nullptr), PortFailure);
        EXPECT_EQ(board.Chip()->ProgramModeEntries(), 0) << "powered up all the same";
        EXPECT_FALSE(board.SupplyA() || board.SupplyB());
    }
}

}  // namespace
