#include "cli/ExitStatus.h"
#include "tests/cli/CliFixture.h"

namespace {

using CommandLineTest = CliFixture;

// What a script sees for each kind of mistake: the exit status and a message that says what to do.
TEST_F(CommandLineTest, MistakesEndWithTheirExitStatusAndSayWhatToDo) {
    const struct {
        std::initializer_list<const char*> arguments;
        int status;
        const char* saying;  // on standard error
    } rows[] = {
        {{}, ExitStatus::Usage, "no command given"},
        {{"flash"}, ExitStatus::Usage, "unknown command \"flash\""},
        {{"verify"}, ExitStatus::Usage, "verify needs a FILE"},
        {{"blank", "x.hex"}, ExitStatus::Usage, "blank takes no FILE"},
        {{"blank"}, ExitStatus::Usage, "blank needs --chip"},
        {{"--chip", "16f84", "blank"}, ExitStatus::Usage, "unknown chip \"16f84\""},
        {{"--port", "com1", "detect"}, ExitStatus::NoBoard, "com1 is not a parallel port"},
        {{"--calibration", "1FF", "program", "x.hex"}, ExitStatus::Usage, "from 0 to FE"},
        {{"verify", "a.hex", "b.hex"}, ExitStatus::Usage, "too many arguments"},
        {{"--help-all"}, ExitStatus::Usage, "Unknown option 'help-all'"},
        // Options that mean nothing to the command are refused, not silently ignored.
        {{"--fast", "verify", "a.hex"}, ExitStatus::Usage, "--fast is for program and auto"},
        {{"--calibration", "5A", "read", "a.hex"}, ExitStatus::Usage, "--calibration is for"},
        {{"--allow-nonblank", "program", "a.hex"}, ExitStatus::Usage, "--allow-nonblank is for"},
        {{"--dry-run", "--chip", "12c508", "blank"}, ExitStatus::Usage, "--dry-run is for"},
        {{"--chip", "12c508", "detect"}, ExitStatus::Usage, "--chip is for the chip commands"},
        {{"--dry-run", "--repeat", "auto", "a.hex"}, ExitStatus::Usage, "not go with --dry-run"},
        {{"-q", "-v", "detect"}, ExitStatus::Usage, "--quiet and --verbose"},
        {{"--repeat", "program", "-"}, ExitStatus::Usage, "answers come from there"},
        {{"--bogus", "detect"}, ExitStatus::Usage, "Unknown option 'bogus'"},
        {{"--repeat", "detect"}, ExitStatus::Usage, "--repeat is for the chip commands"},
        {{"verify", "/no/such/file.hex"}, ExitStatus::Usage, "/no/such/file.hex"},
        {{"detect"}, ExitStatus::NoBoard, "no programmer board found"},
        {{"--chip", "12c508", "blank"}, ExitStatus::NoBoard, "LPT1 (0x378): no port at 0x378"},
        // A port known only by its address is not named twice ("0x2BC (0x2BC)").
        {{"--port", "0x2bc", "detect"}, ExitStatus::NoBoard, "\n  0x2BC: "},
        {{"--port", "/dev/parport7", "detect"},
         ExitStatus::NoBoard,
         "/dev/parport7 is not a parallel port this machine lists"},
        {{"--pins", "data=D1", "detect"}, ExitStatus::Usage, "--pins: the data and clock lines"},
        {{"--port", "gpio:gpiochip0", "--pins", "vdd=D2", "detect"},
         ExitStatus::Usage,
         "a line offset"},
        {{"--port", "gpio:/no/such/gpiochip9", "detect"},
         ExitStatus::NoBoard,
         "gpiochip9 (/no/such/gpiochip9): no GPIO chip /no/such/gpiochip9"},
        // A port in a form the program knows, mistyped, is a usage error: no machine has it.
        {{"--port", "ftdi:0403:60010", "detect"}, ExitStatus::Usage, "ftdi:VID:PID (USB IDs"},
        {{"--port", "0xZZ", "detect"}, ExitStatus::Usage, "--port 0xZZ: an I/O base is 0x"},
        {{"--port", "0x10000", "detect"}, ExitStatus::Usage, "0x1 to 0xFFFE"},
        {{"--port", "378", "detect"}, ExitStatus::Usage, "(like 0x378)"},
        {{"--port",
          "0x3\xC3\xA9"
          "8",
          "detect"},
         ExitStatus::Usage,
         "an I/O base is 0x"},
        {{"--port", "gpio:", "detect"}, ExitStatus::Usage, "give gpio:/dev/gpiochipN"},
        {{"--port", "", "detect"}, ExitStatus::Usage, "--port: the port's name is empty"},
        {{"--pins", "data=D\xC3\xA9", "detect"}, ExitStatus::Usage, "--pins: "},
        // An empty name, as an unset variable in a script gives, is no file.
        {{"verify", ""}, ExitStatus::Usage, "verify: the FILE name is empty"},
        {{"--port", "sim", "program", ""}, ExitStatus::Usage, "program: the FILE name is empty"},
        {{"--port", "sim", "auto", ""}, ExitStatus::Usage, "auto: the FILE name is empty"},
        {{"--dry-run", "--chip", "12c508", "program", ""}, ExitStatus::Usage, "FILE name is empty"},
        {{"--port", "sim", "read", ""}, ExitStatus::Usage, "read: the FILE name is empty"},
        {{"--port", "sim", "--trace", "", "blank"}, ExitStatus::Usage, "--trace: the file name"},
        {{"--port", "ftdi", "--pins", "return=Ack", "detect"}, ExitStatus::Usage, "a pin D0 to D7"},
    };
    for (const auto& row : rows) {
        const Run run = Cli(row.arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_NE(run.err.find(row.saying), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

TEST_F(CommandLineTest, FilesThatAreNotIntelHexAreRefusedWithTheCodecsMessage) {
    QFile file(folder.filePath(QStringLiteral("notes.hex")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a hex file\n");
    file.close();
    const Run garbage = Cli({"--port", "sim", "verify", Path("notes.hex").c_str()});
    EXPECT_EQ(garbage.status, ExitStatus::Usage);
    EXPECT_NE(garbage.err.find("notes.hex: Intel File ERROR !"), std::string::npos) << garbage.err;

    // A file whose last word is no configuration word names no chip.
    const Run noChip = Cli({"--port", "sim", "verify", Data("blink508.asm").c_str()});
    EXPECT_EQ(noChip.status, ExitStatus::Usage);
}

TEST_F(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    const Run help = Cli({"--help"});
    EXPECT_EQ(help.status, ExitStatus::Done);
    for (const char* part : {"detect", "read FILE", "auto FILE", "--allow-nonblank", "--trace",
                             "130, 143 or 129", "- is standard input"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    const Run version = Cli({"--version"});
    EXPECT_EQ(version.out, "chipsmith-cli 1.1\n");
}

}  // namespace

namespace {

// A socket file someone broke is never written over: the command stops and says where it went.
TEST_F(CommandLineTest, ABrokenVirtualSocketIsKeptAndTheCommandStops) {
    QFile file(SocketPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("chipsmith-socket 1\ntype PIC12C508\n0000 0A");  // cut in the middle of a line
    file.close();
    const Run broken = Cli({"--port", "sim", "--chip", "12c508", "blank"});
    EXPECT_EQ(broken.status, ExitStatus::NoBoard);
    EXPECT_NE(broken.err.find("kept as " + SocketPath().toStdString() + ".broken"),
              std::string::npos)
        << broken.err;
    EXPECT_TRUE(QFile::exists(SocketPath() + QStringLiteral(".broken")));

    const Run next = Cli({"--port", "sim", "--chip", "12c508", "blank"});
    EXPECT_EQ(next.status, ExitStatus::Done) << next.err;
}

}  // namespace

namespace {

std::string FileText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll().toStdString();
}

// "-" is the file from a pipe for the commands that take one, and standard output for read, which
// then holds the chip's text and nothing else.
TEST_F(CommandLineTest, ADashIsStandardInputForTheFileAndStandardOutputForRead) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const std::string hex = FileText(Data("blink508.hex"));
    const struct {
        std::initializer_list<const char*> arguments;
        std::string input;
        int status;
        const char* out;
    } rows[] = {
        {{"--port", "sim", "program", "-"},
         hex,
         ExitStatus::Done,
         "programmed, calibration 5A, 0 errors\n  checksum 0x9322, the file's 0x9322\n"},
        {{"--port", "sim", "verify", "-"},
         hex,
         ExitStatus::Done,
         "verified: chip and file equal\n  checksum 0x9322, the file's 0x9322\n"},
        {{"--port", "sim", "verify", "-"}, "garbage\n", ExitStatus::Usage, ""},
        {{"--port", "sim", "verify", "-"}, "", ExitStatus::Usage, ""},
    };
    for (const auto& row : rows) {
        const Run run = Cli(row.arguments, row.input);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_EQ(run.out, row.out);
        if (row.status == ExitStatus::Usage) {
            EXPECT_NE(run.err.find("standard input: "), std::string::npos) << run.err;
        }
    }
    const Run read = Cli({"--port", "sim", "read", "-"});
    EXPECT_EQ(read.status, ExitStatus::Done);
    EXPECT_EQ(read.out.rfind(':', 0), 0U) << read.out;
    EXPECT_NE(read.out.find(":00000001FF"), std::string::npos) << read.out;
    EXPECT_NE(read.err.find("read 12c508: size "), std::string::npos) << read.err;
}

TEST_F(CommandLineTest, ASiblingChipIsServedByItsEntryAndReportedByItsName) {
    const Run programmed =
        Cli({"--port", "sim", "--chip", "PIC12CE518", "auto", Data("blink508.hex").c_str()});
    EXPECT_EQ(programmed.status, ExitStatus::Done) << programmed.err;
    EXPECT_EQ(SocketChip().Type(), 1) << "a 12C508-shaped chip";
    const Run read = Cli({"--port", "sim", "--chip", "12ce518", "read", "-"});
    EXPECT_NE(read.err.find("read 12ce518: size "), std::string::npos) << read.err;
    // The socket's 12C508 is no 12CE673, whichever entry serves that.
    const Run other = Cli({"--port", "sim", "--chip", "12ce673", "blank"});
    EXPECT_EQ(other.status, ExitStatus::Usage) << other.err;
}

// The simulated board is wired as --pins says, so any map works there as on a board built to it.
TEST_F(CommandLineTest, TheSimulatedBoardIsWiredAsThePinMapSays) {
    const Run run = Cli({"--port", "sim", "--pins", "data=D6,clock=~D4,vdd=~D0,return=Busy",
                         "--chip", "12c671", "auto", Data("blink671.hex").c_str()});
    EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
    EXPECT_EQ(SocketChip().Type(), 3);
    // detect and -v say where the lines are, so that a board wired otherwise is found out.
    const char* const map = "pins data=D6,clock=~D4,vdd=~D0,vpp=D3,return=Busy\n";
    const Run detect =
        Cli({"--port", "sim", "--pins", "data=D6,clock=~D4,vdd=~D0,return=Busy", "detect"});
    EXPECT_EQ(detect.out, std::string("board on LPT1 (0x378, simulated)\n  ") + map);
    const Run verbose = Cli({"--port", "sim", "--pins", "data=D6,clock=~D4,vdd=~D0,return=Busy",
                             "-v", "--chip", "12c671", "blank"});
    EXPECT_NE(verbose.err.find(map), std::string::npos) << verbose.err;
    EXPECT_EQ(Cli({"--port", "sim", "--chip", "12c671", "blank"}).err.find("pins"),
              std::string::npos);
}

}  // namespace
