// chipsmith-cli over a board whose port has one fault at access k: exit 0 and its result only when
// the chip bears them out, and a fault it sees is exit 3, the programmer's.

#include <random>

#include "cli/ExitStatus.h"
#include "sim/SimulatedBoard.h"
#include "sim/SlowPort.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/FaultyPort.h"

namespace {

// The machine's one port: the simulated board on LPT1 behind the faulty port.
class FaultyBoard final : public PortIo {
public:
    FaultyBoard(std::function<std::int64_t()> now, const SimulatedChip& chip,
                FaultyPort::Fault fault, long at)
        : board_(std::move(now)), port_(board_, fault, at) {
        board_.Insert(chip);
    }
    std::uint8_t In(std::uint16_t address) override { return port_.In(address); }
    void Out(std::uint16_t address, std::uint8_t value) override { port_.Out(address, value); }

private:
    SimulatedBoard board_;
    FaultyPort port_;
};

// The machine's one port: the simulated board on LPT1, every access taking 4 ms.
class SlowBoard final : public PortIo {
public:
    SlowBoard(std::function<std::int64_t()> now, const SimulatedChip& chip, VirtualDelays& clock,
              int& entries)
        : board_(std::move(now)), port_(board_, clock, 4'000'000), entries_(entries) {
        board_.Insert(chip);
    }
    ~SlowBoard() override { entries_ = board_.Chip()->ProgramModeEntries(); }
    std::uint8_t In(std::uint16_t address) override { return port_.In(address); }
    void Out(std::uint16_t address, std::uint8_t value) override { port_.Out(address, value); }

private:
    SimulatedBoard board_;
    SlowPort port_;
    int& entries_;  // the chip's entries into programming mode, once the board is gone
};

class CliBoardFaultTest : public CliFixture {
protected:
    Run With(FaultyPort::Fault fault, long at, std::initializer_list<const char*> arguments) {
        machine = [this, fault, at] {
            return std::make_unique<FaultyBoard>([this] { return Now(); }, chip, fault, at);
        };
        return Cli(arguments);
    }
    SimulatedChip chip = SimulatedChip::Factory(1, 0x5A);
};

TEST_F(CliBoardFaultTest, ExitZeroOnlyWithTheChipsOwnAnswer) {
    using Fault = FaultyPort::Fault;
    chip.SetWord(5, 0x0FFE);  // one bit from blank
    chip.SetWord(6, 0x0A5A);
    const struct {
        std::initializer_list<const char*> arguments;
        Fault fault;
    } rows[] = {
        {{"-c", "12c508", "blank"}, Fault::FlippedRead},
        {{"-c", "12c508", "blank"}, Fault::ReadsLow},
        {{"-c", "12c508", "read", "-"}, Fault::FlippedRead},
        {{"-c", "12c508", "read", "-"}, Fault::LostWrite},
    };
    std::mt19937 random(7);
    for (const auto& row : rows) {
        const Run truth = With(Fault::None, -1, row.arguments);
        ASSERT_EQ(truth.status, std::string(*std::next(row.arguments.begin(), 2)) == "blank"
                                    ? ExitStatus::ChipFailed
                                    : ExitStatus::Done);
        for (int i = 0; i < 6; ++i) {
            // Detection takes a few hundred accesses; a reading of the chip, tens of thousands.
            const long k = std::uniform_int_distribution<long>(1, 60'000)(random);
            SCOPED_TRACE(k);
            const Run run = With(row.fault, k, row.arguments);
            if (run.status == ExitStatus::NoBoard) {
                continue;
            }
            EXPECT_EQ(run.status, truth.status) << run.err;
            EXPECT_EQ(run.out, truth.out);
        }
    }
}

// auto reads its blank check once: a glitch there may let a chip through or name a wrong
// calibration value, but the compare after programming takes only a pass that reads the file and
// the value named, and reads any other twice more, so exit 0 still comes only with the chip
// holding them; and a refusal (not blank, no calibration value) is read twice before it is said.
TEST_F(CliBoardFaultTest, AutoSaysProgrammedOnlyWhenTheChipHoldsTheFile) {
    using Fault = FaultyPort::Fault;
    const std::string file = Data("blink508.hex");
    const std::initializer_list<const char*> arguments = {"--fast", "auto", file.c_str()};
    const Run truth = With(Fault::None, -1, arguments);
    ASSERT_EQ(truth.status, ExitStatus::Done) << truth.err;
    std::mt19937 random(11);
    for (Fault fault : {Fault::FlippedRead, Fault::LostWrite, Fault::ReadsLow}) {
        for (int i = 0; i < 8; ++i) {
            // Early samples land in the blank check, later ones in programming and the compare.
            const long k = std::uniform_int_distribution<long>(1, i < 4 ? 40'000 : 400'000)(random);
            SCOPED_TRACE(testing::Message() << static_cast<int>(fault) << " at " << k);
            const Run run = With(fault, k, arguments);
            EXPECT_TRUE(run.status == ExitStatus::Done || run.status == ExitStatus::ChipFailed ||
                        run.status == ExitStatus::NoBoard)
                << run.status;
            // The chip is blank and holds its value: any other answer is the board's (exit 3).
            EXPECT_NE(run.status, ExitStatus::ChipFailed) << run.out;
            if (run.status == ExitStatus::Done) {
                EXPECT_EQ(run.out, truth.out);
            }
        }
    }
}

// A marginal cell reads differently at each power-up while the board answers every check: the
// chip's fault (exit 1), not the programmer's.
TEST_F(CliBoardFaultTest, AChipThatReadsDifferentlyEachTimeIsTheChipsFault) {
    chip.SetWord(5, 0x0A5A);
    chip.SetReadsUnsteadily(5);
    const std::string file = Data("blink508.hex");
    const std::initializer_list<const char*> commands[] = {
        {"-c", "12c508", "blank"},
        {"-c", "12c508", "read", "-"},
        {"verify", file.c_str()},
    };
    for (const auto& arguments : commands) {
        SCOPED_TRACE(*std::prev(arguments.end()));
        const Run run = With(FaultyPort::Fault::None, -1, arguments);
        EXPECT_EQ(run.status, ExitStatus::ChipFailed) << run.err;
        // read - gives standard output to the chip's words, and its result line to errors.
        const std::string said = run.out + run.err;
        EXPECT_NE(said.find("failed: the chip reads differently at each power-up: three reads of "
                            "it gave three different answers (a weakly programmed cell, or a "
                            "poor contact in the socket)\n"),
                  std::string::npos)
            << said;
        EXPECT_EQ(said.find("stopped answering"), std::string::npos) << said;
    }
}

// A machine too slow to switch a 12-bit chip's supplies 9 ms apart (here every port access takes
// 4 ms): after a few tries the run ends, unpowered, saying what is true: not that the programmer
// stopped answering, and not that the chip was programmed.
TEST_F(CliBoardFaultTest, APowerUpThatCannotBeTimedIsNeitherTheBoardsFaultNorTheChips) {
    int entries = -1;
    machine = [this, &entries]() -> std::unique_ptr<PortIo> {
        return std::make_unique<SlowBoard>([this] { return Now(); }, chip, delays.clock(), entries);
    };
    const Run run = Cli({"-c", "12c508", "auto", Data("blink508.hex").c_str()});
    EXPECT_EQ(run.status, ExitStatus::NoBoard);
    EXPECT_NE(run.err.find("could not be switched 9 ms apart"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the chip was not changed"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("stopped answering"), std::string::npos) << run.err;
    EXPECT_EQ(entries, 0);
}

}  // namespace
