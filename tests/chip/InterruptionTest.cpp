#include <csignal>
#include <functional>

#include "chip/Interruption.h"
#include "tests/chip/ChipOpsFixture.h"

namespace {

// A stop requested while a word loop runs: the loop ends before the next word, the bracket powers
// the board down, and the caller learns where it stopped.
class InterruptionTest : public ChipOpsTest {
protected:
    void TearDown() override { ClearStopRequest(); }

    // A progress callback that asks to stop once `words` words are done.
    Progress StopAfter(int words) {
        return [this, words](int) {
            if (++done == words) {
                RequestStop();
            }
        };
    }

    int done = 0;
};

// The front ends end with the shell's status for the signal that stopped them.
TEST(StopExitStatusTest, IsTheShellsStatusForTheSignalThatAsked) {
    const struct {
        int signal;  // 0: a stop no signal asked for
        int status;
    } rows[] = {{0, 130}, {SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto& row : rows) {
        RequestStop(row.signal);
        EXPECT_EQ(StopExitStatus(), row.status) << row.signal;
        ClearStopRequest();
    }
}

TEST_P(InterruptionTest, EveryLoopStopsBeforeTheNextWordAndLeavesTheChipUnpowered) {
    for (int k = 0; k < Calibration(); ++k) {
        image[static_cast<std::size_t>(k)] = Pattern(k);
    }
    std::vector<std::uint32_t> readBack(image.size(), 0xFFFF);
    struct Operation {
        const char* name;
        StartAt start;
        std::function<void(const Progress&)> run;
    };
    const Operation operations[] = {
        {"read", StartAt::AddressZero,
         [&](const Progress& p) { ReadChipWords(link, Family(), 100, readBack.data(), p); }},
        {"blank check", StartAt::AddressZero,
         [&](const Progress& p) { BlankCheckWords(link, Family(), Calibration(), p); }},
        {"verify", StartAt::AddressZero,
         [&](const Progress& p) { VerifyWords(link, Family(), image.data(), 100, true, p); }},
        {"program", StartAt::PowerUp,
         [&](const Progress& p) {
             (Is14Bit() ? ProgramCore14 : ProgramCore12)(link, image.data(), Info().memoryWords,
                                                         true, p);
         }},
    };
    for (const Operation& operation : operations) {
        ClearStopRequest();
        done = 0;
        int stoppedAt = -1;
        try {
            RunOnChip(link, Family(), operation.start, [&] { operation.run(StopAfter(37)); });
        } catch (const OperationInterrupted& interrupted) {
            stoppedAt = interrupted.Address();
        }
        EXPECT_EQ(stoppedAt, 37) << operation.name;
        ExpectPoweredDownCleanly();
    }
    // Programming stopped after whole words: 0..36 written with all their pulses, 37 untouched.
    EXPECT_EQ(Socket().Word(36), Pattern(36));
    EXPECT_EQ(Socket().Word(37), Erased());
    EXPECT_EQ(CountErrors(board.Errors(), SimError::PulseCut), 0);
}

TEST_P(InterruptionTest, AStopBeforeTheConfigurationWordNamesItsSlot) {
    image[static_cast<std::size_t>(Family().configAddress)] = Is14Bit() ? 0x3FF4 : 0x0FEA;
    int stoppedAt = -1;
    try {
        RunOnChip(link, Family(), StartAt::PowerUp, [&] {
            (Is14Bit() ? ProgramCore14 : ProgramCore12)(link, image.data(), Info().memoryWords,
                                                        true, StopAfter(Calibration()));
        });
    } catch (const OperationInterrupted& interrupted) {
        stoppedAt = interrupted.Address();
    }
    EXPECT_EQ(stoppedAt, Family().configAddress);
    ExpectPoweredDownCleanly();
    EXPECT_EQ(Socket().ConfigWord(), Erased());
}

INSTANTIATE_TEST_SUITE_P(AllChips, InterruptionTest, ::testing::Values(1, 2, 3, 4));

}  // namespace
