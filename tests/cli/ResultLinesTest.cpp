#include "cli/ExitStatus.h"
#include "tests/cli/CliFixture.h"

namespace {

using ResultLinesTest = CliFixture;

// What a script captures with $(...): the result alone, worded the same with and without --quiet,
// a calibration value always as two digits and a count of one in the singular.
TEST_F(ResultLinesTest, QuietHidesMessagesButNeverTheResult) {
    SimulatedChip chip = SimulatedChip::Factory(1, 0x07);
    chip.SetWord(3, 0x0A05);
    Socket(chip);
    const std::string file = Data("blink508.hex");
    const struct {
        std::initializer_list<const char*> arguments;
        int status;
        const char* out;
    } rows[] = {
        {{"-q", "--port", "sim", "osccal"}, ExitStatus::Done, "calibration 07\n"},
        {{"--port", "sim", "osccal"}, ExitStatus::Done, "calibration 07\n"},
        {{"-q", "--port", "sim", "detect"}, ExitStatus::Done, "board on LPT1 (0x378, simulated)\n"},
        {{"-q", "--port", "sim", "blank"},
         ExitStatus::ChipFailed,
         "not blank: 1 word programmed, calibration 07\n"},
        {{"-q", "--port", "sim", "verify", file.c_str()},
         ExitStatus::ChipFailed,
         nullptr},  // differences: only the status and the first line are checked
    };
    for (const auto& row : rows) {
        const Run run = Cli(row.arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        if (row.out != nullptr) {
            EXPECT_EQ(run.out, row.out);
        } else {
            EXPECT_EQ(run.out.rfind("verify failed: ", 0), 0U) << run.out;
        }
        if (row.arguments.begin()[0] == std::string("-q")) {
            EXPECT_EQ(run.err, "") << "no messages under --quiet";
        }
    }
}

}  // namespace
