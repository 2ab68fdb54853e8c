#include "cli/ExitStatus.h"
#include "tests/cli/CliFixture.h"

namespace {

class DryRunTest : public CliFixture {
protected:
    void SetUp() override {
        machine = [] {
            ADD_FAILURE() << "a dry run opened the machine's ports";
            return std::make_unique<AbsentPortIo>();
        };
    }
    QByteArray SocketBytes() const {
        QFile file(SocketPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What a Makefile's author checks before burning a chip: the chip and how it was chosen, the
// words, the configuration and ID words, the calibration rule; refusals that need no chip exit 2.
TEST_F(DryRunTest, SaysWhatWouldBeDoneAndTouchesNoPortNorTheSocket) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const QByteArray before = SocketBytes();
    const std::string blink508 = Data("blink508.hex");
    const std::string blink509 = Data("blink509.hex");
    const std::string blink672 = Data("blink672.hex");
    const std::string notHex = Data("blink508.asm");
    const std::string ids508 = Data("ids508.hex");    // protects the chip
    const std::string page509 = Data("page509.hex");  // a routine at 0x200, no ID words
    const struct {
        std::initializer_list<const char*> arguments;
        int status;
        std::vector<const char*> saying;  // on standard output, or on standard error for a refusal
    } rows[] = {
        {{"--port", "sim", "--dry-run", "auto", blink508.c_str()},
         ExitStatus::Done,
         {"chip: 12c508, inferred from the file\n", "program words: 10 words, 0x000 to 0x1F2\n",
          "configuration word 0xFEA\n  oscillator: internal RC, 4 MHz\n",
          "ID words: none in the file\n", "otherwise refused: the file gives no value",
          "a chip that is not blank is refused"}},
        {{"--dry-run", "--calibration", "3c", "program", blink508.c_str()},
         ExitStatus::Done,
         {"otherwise 3C from --calibration\n"}},
        {{"--dry-run", "program", blink509.c_str()},
         ExitStatus::Done,
         {"otherwise none (the file gives none"}},
        {{"--dry-run", "--chip", "12c672", "verify", blink672.c_str()},
         ExitStatus::Done,
         {"chip: 12c672, as --chip says\n", "program words 0x000 to 0x7F1 (2034 words)",
          "ID words: 0x000A, 0x000B, 0x000C, 0x000D\n"}},
        {{"--dry-run", "--chip", "12c671", "program", blink508.c_str()},
         ExitStatus::Usage,
         {"would be refused: The data does not fit the 12c671"}},
        {{"--dry-run", "--chip", "12c671", "--force", "program", blink508.c_str()},
         ExitStatus::Done,
         {"the file looks like one for the 12c508", "(programmed anyway: --force)"}},
        {{"--dry-run", "verify", notHex.c_str()}, ExitStatus::Usage, {"blink508.asm: "}},
        {{"--dry-run", "program", ids508.c_str()},
         ExitStatus::Done,
         {"chip: 12c508, inferred from the file\n", "ID words: 0x005, 0x006, 0x007, 0x008\n",
          "the configuration word last, once the chip reads back as the file; otherwise it is "
          "left blank and the chip readable\n"}},
        {{"--dry-run", "program", page509.c_str()},
         ExitStatus::Done,
         {"chip: 12c509, inferred from the file\n", "program words: 8 words, 0x000 to 0x202\n",
          "ID words: none in the file\n"}},
    };
    for (const auto& row : rows) {
        const Run run = Cli(row.arguments);
        EXPECT_EQ(run.status, row.status) << run.out << run.err;
        for (const char* part : row.saying) {
            EXPECT_TRUE(Has(row.status == ExitStatus::Done ? run.out : run.err, part))
                << part << "\n"
                << run.out << run.err;
        }
    }
    EXPECT_EQ(SocketBytes(), before) << "the socket file is not even rewritten";

    QFile::remove(SocketPath());
    EXPECT_EQ(Cli({"--port", "sim", "--dry-run", "auto", blink508.c_str()}).status,
              ExitStatus::Done);
    EXPECT_FALSE(QFile::exists(SocketPath())) << "no new chip put in the socket";
}

}  // namespace
