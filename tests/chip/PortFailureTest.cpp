#include <string>

#include "chip/ConfigReadout.h"
#include "tests/chip/ChipOpsFixture.h"

namespace {

// The simulated board, with a port that fails once, at access number k (from 1), as a port whose
// driver went away for a moment.
class FailingOncePort final : public PortIo {
public:
    FailingOncePort(PortIo& inner, long failAt) : inner_(inner), failAt_(failAt) {}
    std::uint8_t In(std::uint16_t address) override {
        Count();
        return inner_.In(address);
    }
    void Out(std::uint16_t address, std::uint8_t value) override {
        Count();
        inner_.Out(address, value);
    }
    long Accesses() const { return accesses_; }

private:
    void Count() {
        if (++accesses_ == failAt_) {
            throw PortFailure("the port failed");
        }
    }
    PortIo& inner_;
    long failAt_;
    long accesses_ = 0;
};

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
             RunOnChip(Family(), StartAt::AddressZero,
                       [this] { ReadChipWords(Family(), 6, image.data(), nullptr); });
         }},
        {"configuration word", [this] { ReadConfigWordFromChip(Family()); }},
    };
    for (const auto& operation : operations) {
        SCOPED_TRACE(operation.name);
        // How many accesses the whole operation makes, with no failure.
        long total = 0;
        {
            FailingOncePort counting(board, -1);
            installed->SetIo(counting);
            operation.run();
            total = counting.Accesses();
        }
        ASSERT_GT(total, 10);
        for (long k = 1; k <= total; ++k) {
            SCOPED_TRACE(k);
            FailingOncePort failing(board, k);
            installed->SetIo(failing);
            EXPECT_THROW(operation.run(), PortFailure);
            installed->SetIo(board);
            ASSERT_EQ(board.DataRegister() & 0x0C, 0) << "supplies left on";
            ASSERT_FALSE(board.InProgramMode());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, PortFailureTest, ::testing::Values(1, 3));

}  // namespace
