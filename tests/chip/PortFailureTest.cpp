#include <string>

#include "chip/ConfigReadout.h"
#include "tests/chip/ChipOpsFixture.h"
#include "tests/support/HookedPort.h"

namespace {

// The port fails once, at access number k, as a port whose driver went away for a moment.
HookedPort FailingAt(PortIo& board, long k) {
    return HookedPort(board, k, [] { throw PortFailure("the port failed"); });
}

class PortFailureTest : public ChipOpsTest {};

// Wherever the port fails, in the power-up as in a word loop, the failure reaches the caller and
// the board is left with both supplies off.
TEST_P(PortFailureTest, EveryAccessThatFailsEndsPoweredDownAndIsReported) {
    const struct {
        const char* name;
        std::function<void()> run;
    } operations[] = {
        {"read",
         [this] {
             RunOnChip(link, Family(), StartAt::AddressZero,
                       [this] { ReadChipWords(link, Family(), 6, image.data(), nullptr); });
         }},
        {"configuration word", [this] { ReadConfigWordFromChip(link, Family()); }},
    };
    for (const auto& operation : operations) {
        SCOPED_TRACE(operation.name);
        // How many accesses the whole operation makes, with no failure.
        long total = 0;
        {
            HookedPort counting(board, -1, [] {});
            link.SetIo(counting);
            operation.run();
            total = counting.Accesses();
        }
        ASSERT_GT(total, 10);
        for (long k = 1; k <= total; ++k) {
            SCOPED_TRACE(k);
            HookedPort failing = FailingAt(board, k);
            link.SetIo(failing);
            EXPECT_THROW(operation.run(), PortFailure);
            link.SetIo(board);
            ASSERT_EQ(board.DataRegister() & 0x0C, 0) << "supplies left on";
            ASSERT_FALSE(board.InProgramMode());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, PortFailureTest, ::testing::Values(1, 3));

}  // namespace
