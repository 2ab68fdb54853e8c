#include <sys/stat.h>
#include <unistd.h>

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

// An output that cannot be written (no such folder; a FIFO or a device, which would be replaced by
// a plain file) or a trace that would write over the input or the read-out, under any of its
// names, stops the run before the board is looked for.
TEST_F(RunChecksTest, OutputsThatCannotBeWrittenOrWouldDestroyAFileAreRefusedFirst) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const std::string input = Path("in.hex");
    const std::string fifo = Path("fifo");
    ASSERT_TRUE(
        QFile::copy(QString::fromStdString(Data("blink508.hex")), QString::fromStdString(input)));
    ASSERT_TRUE(QFile::link(QString::fromStdString(input), folder.filePath(QStringLiteral("l"))));
    ASSERT_EQ(::link(input.c_str(), Path("hard").c_str()), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::vector<std::string> arguments;
        const char* saying;
    } rows[] = {
        {{"read", fifo}, "fifo: not a regular file"},
        {{"read", "/dev/full"}, "/dev/full: not a regular file"},
        {{"read", Path("missing/out.hex")}, "there is no folder"},
        {{"--trace", Path("missing/t.vcd"), "blank"}, "there is no folder"},
        {{"--trace", "/dev/full", "blank"}, "/dev/full: not a regular file"},
        {{"--trace", input, "program", input}, "names the input file"},
        {{"--trace", Path("l"), "verify", input}, "names the input file"},
        {{"--trace", Path("hard"), "auto", input}, "names the input file"},
        {{"--trace", Path("out.hex"), "read", Path("out.hex")}, "names the file read writes"},
        {{"--trace", SocketPath().toStdString(), "blank"}, "names the virtual socket's file"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> arguments{"--port", "sim", "--chip", "12c508"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const Run run = Cli(arguments);
        EXPECT_EQ(run.status, ExitStatus::Usage) << run.err;
        EXPECT_TRUE(Has(run.err, row.saying)) << run.err;
        EXPECT_FALSE(Has(run.err, "board on")) << run.err;
    }
    struct stat status {};
    ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the FIFO is still there";
    QFile file(QString::fromStdString(input));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(":")) << "the input is whole";
}

}  // namespace
