#include <optional>

#include "cli/ExitStatus.h"
#include "simulator/SocketLock.h"
#include "tests/cli/CliFixture.h"

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

using VirtualSocketTest = CliFixture;

// The simulated board knows its socket: no command runs on an empty one, or on a chip other than
// the one chosen (a 12C508 would pass as a blank 12C672).
TEST_F(VirtualSocketTest, TheCommandRunsOnlyOnTheChipInTheSocket) {
    const struct {
        std::optional<int> socket;  // the chip type in the socket; nothing: empty
        std::vector<std::string> arguments;
        int status;
        const char* saying;
    } rows[] = {
        {std::nullopt,
         {"--chip", "12c508", "blank"},
         ExitStatus::NoBoard,
         "no chip in the virtual socket"},
        {std::nullopt, {"detect"}, ExitStatus::Done, ""},
        {1,
         {"--chip", "12c672", "blank"},
         ExitStatus::Usage,
         "the virtual socket holds a 12c508, not a 12c672"},
        {1, {"verify", Data("blink672.hex")}, ExitStatus::Usage, "not a 12c672"},
        {4, {"read", Path("out.hex")}, ExitStatus::Done, "the virtual socket holds a 12c672"},
    };
    for (const auto& row : rows) {
        if (row.socket) {
            Socket(SimulatedChip::Factory(*row.socket, 0x5A));
        } else {
            ASSERT_TRUE(SaveSocketFile(SocketPath(), nullptr).saved);
        }
        std::vector<std::string> arguments{"--port", "sim"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const Run run = Cli(arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_TRUE(Has(run.err, row.saying)) << run.err;
        EXPECT_EQ(Has(run.out, "blank"), false) << run.out;
    }
}

// chipsmith-sim saves a new chip while the command programs the old one: the new one stays, and
// the programmed one is kept beside it.
TEST_F(VirtualSocketTest, AChipSavedMeanwhileIsNotOverwritten) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    bool saved = false;
    onTick = [&](std::int64_t now) {
        if (!saved && now > 100'000'000) {
            saved = true;
            Socket(SimulatedChip::Factory(1, 0x11));
        }
    };
    const Run run = Cli({"--port", "sim", "program", Data("blink508.hex").c_str()});
    onTick = nullptr;
    ASSERT_TRUE(saved);
    EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
    EXPECT_TRUE(Has(run.err, "this run's chip is kept as " + SocketPath().toStdString() + ".cli"))
        << run.err;
    const SimulatedChip newer = SocketChip();
    EXPECT_EQ(newer.CalibrationWord() & 0xFF, 0x11);
    EXPECT_EQ(newer.Word(0), 0x0FFF) << "the newer chip is as chipsmith-sim saved it";
    const SocketFileLoad ours = LoadSocketFile(SocketPath() + QStringLiteral(".cli"));
    ASSERT_TRUE(ours.content.chip.has_value());
    EXPECT_NE(ours.content.chip->Word(0), 0x0FFF) << "the programmed chip is kept";

    // Without a change meanwhile, the file is saved over as before.
    const Run again = Cli({"--port", "sim", "blank"});
    EXPECT_EQ(again.status, ExitStatus::Done) << again.err;
    EXPECT_FALSE(Has(again.err, ".cli")) << again.err;
}

// The socket is one program's at a time: while another holds it (chipsmith-sim running a chip
// command), the command is refused before it reads the socket; and read never writes its text over
// the socket's own file, from which the chip comes.
TEST_F(VirtualSocketTest, TheSocketIsOneProgramsAtATimeAndNeverTheReadOutsFile) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const QByteArray before = [this] {
        QFile file(SocketPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const std::string socket = SocketPath().toStdString();
    const std::string link = Path("link-to-socket.hex");
    ASSERT_TRUE(QFile::link(SocketPath(), QString::fromStdString(link)));
    // --repeat's second chip would go to batch-002.hex, the socket under another name.
    ASSERT_TRUE(QFile::link(SocketPath(), QString::fromStdString(Path("batch-002.hex"))));
    const std::string batch = Path("batch.hex");
    const struct {
        std::vector<std::string> arguments;
        bool locked;
        int status;
        const char* saying;
    } rows[] = {
        {{"blank"}, true, ExitStatus::NoBoard, "the virtual socket is in use by "},
        {{"program", Data("blink508.hex")}, true, ExitStatus::NoBoard, "one program at a time"},
        {{"read", socket}, false, ExitStatus::Usage, "names the virtual socket's file"},
        {{"read", link}, false, ExitStatus::Usage, "names the virtual socket's file"},
        {{"--repeat", "read", batch}, false, ExitStatus::Usage, "batch-002.hex names the"},
    };
    for (const auto& row : rows) {
        SocketLock other(SocketPath());
        QString why;
        ASSERT_TRUE(!row.locked || other.TryLock(why)) << why.toStdString();
        std::vector<std::string> arguments{"--port", "sim"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const Run run = Cli(arguments, "\nq\n");
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_TRUE(Has(run.err, row.saying)) << run.err;
        QFile file(SocketPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before) << run.err;
    }
}

}  // namespace
