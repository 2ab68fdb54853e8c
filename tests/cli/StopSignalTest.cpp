#include <signal.h>

#include <streambuf>

#include "chip/Interruption.h"
#include "cli/ExitStatus.h"
#include "sim/SimulatedBoard.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/HookedPort.h"

namespace {

// Standard input whose reader gets a signal while it waits, as a user pressing Ctrl-C at the
// prompt does.
class SignalWhileReading : public std::streambuf {
public:
    explicit SignalWhileReading(int signal) : signal_(signal) {}

protected:
    int_type underflow() override {
        raise(signal_);
        return traits_type::eof();
    }

private:
    int signal_;
};

using StopSignalTest = CliFixture;

// The machine's one port, the test's simulated board on LPT1, which raises `signal` at access `at`
// of the run, or (at 0) at the first access that finds VDD switched on.
class SignallingPort final : public PortIo {
public:
    SignallingPort(SimulatedBoard& board, int signal, long at)
        : board_(board),
          hooked_(board, at, [signal] { ::raise(signal); }),
          signal_(signal),
          whenPowered_(at == 0) {}
    std::uint8_t In(std::uint16_t address) override {
        RaiseWhenPowered();
        return hooked_.In(address);
    }
    void Out(std::uint16_t address, std::uint8_t value) override {
        RaiseWhenPowered();
        hooked_.Out(address, value);
    }

private:
    void RaiseWhenPowered() {
        if (whenPowered_ && board_.SupplyA()) {
            whenPowered_ = false;
            ::raise(signal_);
        }
    }
    SimulatedBoard& board_;
    HookedPort hooked_;
    int signal_;
    bool whenPowered_;
};

// Detection powers each port it probes: a signal then, from the first port access on, lets the
// probe end, unpowered, and only then ends the run with the signal's status; no chip operation
// starts. (A signal that ended the program at once would end this test program too.)
TEST_F(StopSignalTest, ASignalDuringDetectionEndsTheRunAfterTheProbeUnpowered) {
    const std::string read = Path("read.hex");
    const struct {
        std::vector<std::string> arguments;
        int signal;
        long at;  // 0: once VDD is on
    } rows[] = {
        {{"detect"}, SIGTERM, 1},
        {{"detect"}, SIGINT, 4},
        {{"-c", "12c508", "blank"}, SIGHUP, 0},
        {{"-c", "12c508", "blank"}, SIGTERM, 1},
        {{"-c", "12c508", "blank"}, SIGINT, 40},
        {{"-c", "12c508", "read", read}, SIGTERM, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.front() + " at " + std::to_string(row.at));
        SimulatedBoard board([this] { return Now(); }, 0x378);
        board.Insert(SimulatedChip::Factory(1, 0x21));
        machine = [&board, &row] {
            return std::make_unique<SignallingPort>(board, row.signal, row.at);
        };
        const Run run = Cli(row.arguments);
        EXPECT_EQ(run.status, 128 + row.signal) << run.err;
        EXPECT_FALSE(board.SupplyA() || board.SupplyB());
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(board.Chip()->Pulses().empty());
        EXPECT_TRUE(board.Errors().empty());
        EXPECT_FALSE(QFile::exists(QString::fromStdString(read)));
        ClearStopRequest();
    }
}

// A signal at --repeat's prompt ends the batch with its tally and the shell's status for it.
TEST_F(StopSignalTest, ASignalAtThePromptEndsTheBatchWithTheTallyAndItsStatus) {
    const struct {
        int signal;
        int status;
    } rows[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto& row : rows) {
        Socket(SimulatedChip::Factory(1, 0x21));
        SignalWhileReading buffer(row.signal);
        std::istream in(&buffer);
        const Run run = Cli({"--port", "sim", "--repeat", "blank"}, in);
        EXPECT_EQ(run.status, row.status) << "signal " << row.signal << run.err;
        EXPECT_EQ(run.out, "chip 1: blank, calibration 21\n1 passed, 0 failed\n");
        EXPECT_EQ(ExitStatus::StoppedBy(row.signal), row.status);
        ClearStopRequest();
    }
}

// The prompt as a log records it, one question a line; q and quit end the batch in any case.
TEST_F(StopSignalTest, ThePromptEndsItsLineForALogAndQuitEndsTheBatch) {
    for (const char* quit : {"q\n", "QUIT\n", "  Quit \n"}) {
        Socket(SimulatedChip::Factory(1, 0x21));
        const Run run = Cli({"--port", "sim", "--repeat", "blank"}, std::string("\n") + quit);
        EXPECT_EQ(run.status, ExitStatus::Done) << quit;
        EXPECT_NE(run.out.find("chip 2: blank"), std::string::npos) << quit;
        EXPECT_EQ(run.out.find("chip 3"), std::string::npos) << quit;
        EXPECT_NE(run.err.find("(q to stop)\n"), std::string::npos) << run.err;
    }
    inIsTerminal = true;
    const Run typed = Cli({"--port", "sim", "--repeat", "blank"}, "q\n");
    EXPECT_NE(typed.err.find("(q to stop) "), std::string::npos) << typed.err;
}

}  // namespace

namespace {

// Only Enter starts the next chip; any other answer asks again, so that a slip of the finger
// never starts a chip that is not in the socket yet.
TEST_F(StopSignalTest, AnAnswerThePromptDoesNotKnowAsksAgain) {
    const struct {
        const char* input;
        int chips;  // run in all
        int asked;  // times the question was put again
    } rows[] = {
        {"x\n\nq\n", 2, 1},
        {"x\nq\n", 1, 1},
        {"yes\nno\n", 1, 2},  // then the input ends: the batch ends
        {" \nq\n", 2, 0},     // spaces alone are Enter
    };
    for (const auto& row : rows) {
        Socket(SimulatedChip::Factory(1, 0x21));
        const Run run = Cli({"--port", "sim", "--repeat", "blank"}, row.input);
        EXPECT_EQ(run.status, ExitStatus::Done) << row.input;
        const std::string tally = std::to_string(row.chips) + " passed, 0 failed\n";
        EXPECT_NE(run.out.find(tally), std::string::npos) << row.input << run.out;
        std::size_t asked = 0;
        for (std::size_t at = run.err.find("Press Enter when"); at != std::string::npos;
             at = run.err.find("Press Enter when", at + 1)) {
            ++asked;
        }
        EXPECT_EQ(asked, static_cast<std::size_t>(row.asked)) << row.input << run.err;
    }
}

}  // namespace
