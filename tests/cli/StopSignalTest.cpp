#include <signal.h>

#include <streambuf>

#include "chip/Interruption.h"
#include "cli/ExitStatus.h"
#include "tests/cli/CliFixture.h"

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
