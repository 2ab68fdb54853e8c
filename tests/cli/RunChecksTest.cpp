#include "cli/ExitStatus.h"
#include "tests/cli/CliFixture.h"

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

using RunChecksTest = CliFixture;

// A file for the other family, or for the larger chip, is refused before the board is looked for;
// --force burns it cut to fit, and verify only warns.
TEST_F(RunChecksTest, AnImageThatDoesNotFitTheChipIsNotBurnedUnlessForced) {
    const struct {
        std::initializer_list<const char*> arguments;
        int socketType;
        int status;
        const char* saying;  // on standard error
        bool programmed;
    } rows[] = {
        {{"--chip", "12c508", "program", "blink672.hex"},
         1,
         ExitStatus::Usage,
         "The data does not fit the 12c508: 6 words wider than its 12 bits",
         false},
        {{"--chip", "12c508", "auto", "blink672.hex"},
         1,
         ExitStatus::Usage,
         "Nothing was done; --force programs it cut to fit.",
         false},
        {{"--chip", "12c672", "program", "blink508.hex"},
         4,
         ExitStatus::Usage,
         "at addresses it does not have (the first at 0x0FFF)",
         false},
        {{"--chip", "12c508", "--force", "program", "blink672.hex"},
         1,
         ExitStatus::Done,
         "Programming it cut to fit, as --force says.",
         true},
        {{"--chip", "12c508", "verify", "blink672.hex"},
         1,
         ExitStatus::ChipFailed,
         "warning: The data does not fit the 12c508",
         false},
    };
    for (const auto& row : rows) {
        Socket(SimulatedChip::Factory(row.socketType, 0x5A));
        std::vector<std::string> arguments{"--port", "sim"};
        for (const char* argument : row.arguments) {
            arguments.push_back(Has(argument, ".hex") ? Data(argument) : argument);
        }
        const Run run = Cli(arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_TRUE(Has(run.err, row.saying)) << run.err;
        EXPECT_EQ(SocketChip().Word(0) != SimulatedChip::Factory(row.socketType, 0x5A).Word(0),
                  row.programmed)
            << run.err;
    }
}

}  // namespace
