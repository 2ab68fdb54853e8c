#include <optional>
#include <regex>
#include <sstream>

#include "cli/ExitStatus.h"
#include "sim/SimulatedBoard.h"
#include "tests/cli/CliFixture.h"

namespace {

using ResultLinesTest = CliFixture;

// Every chip leaves the factory with a calibration instruction: blank without one is what an empty
// socket reads as, and the result line asks. A chip that holds one is blank without a question.
TEST_F(ResultLinesTest, BlankWithoutACalibrationValueAsksWhetherAChipIsInTheSocket) {
    const struct {
        std::optional<int> calibration;  // nothing: the socket is empty
        const char* out;
    } rows[] = {
        {std::nullopt, "blank, no calibration value: is a chip in the socket?\n"},
        {0x5A, "blank, calibration 5A\n"},
    };
    for (const auto& row : rows) {
        machine = [this, &row] {
            auto board = std::make_unique<SimulatedBoard>([this] { return Now(); }, 0x378);
            if (row.calibration) {
                board->Insert(SimulatedChip::Factory(1, *row.calibration));
            }
            return std::unique_ptr<PortIo>(std::move(board));
        };
        const Run run = Cli({"-c", "12c508", "blank"});
        EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
        EXPECT_EQ(run.out, row.out);
    }
}

// What a script captures with $(...): the result alone, worded the same with and without --quiet
// (osccal's is the bare value under --quiet), a calibration value always as two digits and a
// count of one in the singular.
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
        {{"-q", "--port", "sim", "osccal"}, ExitStatus::Done, "07\n"},
        {{"--port", "sim", "osccal"}, ExitStatus::Done, "calibration 07\n"},
        {{"-q", "--port", "sim", "detect"},
         ExitStatus::Done,
         "board on LPT1 (0x378, simulated)\n  pins data=~D0,clock=~D1,vdd=D2,vpp=D3,return=~Ack\n"},
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

namespace {

using PhaseLinesTest = CliFixture;

// -v: each power-up and each word loop, in the order they ran, with its time, on standard error
// only; the result line is the same as without it.
TEST_F(PhaseLinesTest, VerboseTimesEachPhaseOnStandardError) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const Run run = Cli({"--port", "sim", "-v", "auto", Data("blink508.hex").c_str()});
    EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
    EXPECT_EQ(run.out,
              "programmed, calibration 5A, 0 errors\n  checksum 0x9322, the file's 0x9322\n");
    std::istringstream lines(run.err);
    std::string line;
    std::string phases;
    const std::regex phaseLine("([A-Z][a-z -]+): ([0-9]+)\\.([0-9]{3}) s");
    while (std::getline(lines, line)) {
        std::smatch match;
        if (std::regex_match(line, match, phaseLine)) {
            phases += match[1].str() + (match[1] == "Power-up" ? "," : ";");
            if (match[1] == "Blank check" || match[1] == "Programming") {
                EXPECT_NE(match[2].str() + match[3].str(), "0000") << line << ": took no time";
            }
        }
    }
    // auto's blank check is read once (the compare after programming covers it); the compare
    // reads the configuration, program and ID words in one power-up, and once only, as they read
    // as the file.
    EXPECT_EQ(phases, "Power-up,Blank check;Power-up,Programming;Power-up,Verifying;");
}

}  // namespace
