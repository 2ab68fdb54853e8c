// Production runs on the simulated boards: serial numbers placed or refused, a serial file that
// never gives a number twice, the log's rows read back as CSV, the checksum command, and two
// boards at once, one of them failing.

#include <QFile>

#include "chip/Interruption.h"
#include "cli/ExitStatus.h"
#include "cli/ProductionLog.h"
#include "sim/SimulatedBoard.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/FaultyPort.h"

namespace {

// RFC 4180 read back: fields split at commas, quoted fields with doubled quotes, CR LF between
// rows.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c == '"' && k + 1 < text.size() && text[k + 1] == '"') {
                field += '"';
                ++k;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') {
            rows.emplace_back(1);
            ++k;
        } else {
            field += c;
        }
    }
    rows.pop_back();  // after the last CR LF
    return rows;
}

std::string ReadText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

std::uint16_t IdNumber(const SimulatedChip& chip) {
    std::uint16_t value = 0;
    for (int k = 0; k < 4; ++k) {
        value = static_cast<std::uint16_t>(value << 4 | (chip.Word(chip.IdAddress() + k) & 0xF));
    }
    return value;
}

// The machine's one port: the simulated board on LPT1 behind a port with one fault.
class FaultyBoard final : public PortIo {
public:
    FaultyBoard(std::function<std::int64_t()> now, FaultyPort::Fault fault, long at)
        : board_(std::move(now)), port_(board_, fault, at) {
        board_.Insert(SimulatedChip::Factory(1, 0x5A));
    }
    std::uint8_t In(std::uint16_t address) override { return port_.In(address); }
    void Out(std::uint16_t address, std::uint8_t value) override { port_.Out(address, value); }

private:
    SimulatedBoard board_;
    FaultyPort port_;
};

class ProductionTest : public CliFixture {
protected:
    void NewChip(int chipType = 1, const char* socket = "virtual-socket.txt") {
        const SimulatedChip chip = SimulatedChip::Factory(chipType, 0x5A);
        ASSERT_TRUE(SaveSocketFile(folder.filePath(QString::fromLatin1(socket)), &chip).saved);
    }
    const std::string blink508 = Data("blink508.hex");
};

TEST_F(ProductionTest, SerialNumbersArePlacedOrRefused) {
    const struct {
        int chipType;
        std::string file;
        std::vector<std::string> options;
        int status;
        std::string said;                                  // in the output or the errors
        std::vector<std::pair<int, std::uint16_t>> words;  // on the chip afterwards
    } rows[] = {
        {1,
         blink508,
         {"--serial", "0x1234"},
         ExitStatus::Done,
         "serial number 0x1234",
         {{0x200, 1}, {0x201, 2}, {0x202, 3}, {0x203, 4}}},
        {1,
         blink508,
         {"--serial", "4660"},
         ExitStatus::Done,
         "serial number 4660",
         {{0x200, 1}, {0x203, 4}}},
        {1,
         blink508,
         {"--serial", "0x10", "--serial-at", "100:2"},
         ExitStatus::Done,
         "with the serial number",
         {{0x100, 0x800}, {0x101, 0x810}}},
        {4,
         Data("blink672.hex"),
         {"--serial", "0x123456", "--serial-at", "0x100:3"},
         ExitStatus::Done,
         "serial number 0x123456",
         {{0x100, 0x3412}, {0x101, 0x3434}, {0x102, 0x3456}}},
        {1, blink508, {"--serial", "0x10000"}, ExitStatus::Usage, "does not fit in 16 bits", {}},
        {1,
         blink508,
         {"--serial", "256", "--serial-at", "100:1"},
         ExitStatus::Usage,
         "does not fit in 8 bits",
         {}},
        {1,
         Data("ids508.hex"),
         {"--serial", "1"},
         ExitStatus::Usage,
         "already uses the ID words",
         {}},
        {1,
         blink508,
         {"--serial", "1", "--serial-at", "0"},
         ExitStatus::Usage,
         "already uses word 0x000",
         {}},
        {1,
         blink508,
         {"--serial", "1", "--serial-at", "1fe:2"},
         ExitStatus::Usage,
         "outside the 12c508's program memory",
         {}},
        {1, blink508, {"--serial", "-1"}, ExitStatus::Usage, "--serial takes a number", {}},
        {1,
         blink508,
         {"--serial", "1", "--serial-step", "0"},
         ExitStatus::Usage,
         "--serial-step takes",
         {}},
        {1,
         blink508,
         {"--serial", "1", "--serial-at", "10:5"},
         ExitStatus::Usage,
         "--serial-at takes",
         {}},
        {1, blink508, {"--serial-at", "10"}, ExitStatus::Usage, "need --serial", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.front() + " " + row.options.back());
        NewChip(row.chipType);
        std::vector<std::string> arguments = {"--port", "sim", "--fast"};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        arguments.insert(arguments.end(), {"auto", row.file});
        const Run run = Cli(arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_NE((run.out + run.err).find(row.said), std::string::npos) << run.out << run.err;
        const SimulatedChip chip = SocketChip();
        for (const auto& [address, word] : row.words) {
            EXPECT_EQ(chip.Word(address), word) << std::hex << address;
        }
        if (row.status != ExitStatus::Done) {
            EXPECT_EQ(chip.Word(0), chip.Erased()) << "a refused chip stays untouched";
        }
    }
}

TEST_F(ProductionTest, ABatchOfFiveNumbersItsChipsAndLogsEachRow) {
    const std::string serials = Path("s");
    const std::string log = Path("l.csv");
    for (int chip = 0; chip < 5; ++chip) {
        NewChip();
        const Run run = Cli({"--port", "sim", "--fast", "--serial", "0x1000", "--serial-file",
                             serials.c_str(), "--log", log.c_str(), "auto", blink508.c_str()});
        ASSERT_EQ(run.status, ExitStatus::Done) << run.err;
        EXPECT_EQ(IdNumber(SocketChip()), 0x1000 + chip);
    }
    EXPECT_EQ(ReadText(serials), "0x1005\n");
    // A dry run says which numbers come next, and takes none.
    const Run dry = Cli({"--serial-file", serials.c_str(), "--dry-run", "auto", blink508.c_str()});
    EXPECT_NE(dry.out.find("the next chips get 0x1005, 0x1006,"), std::string::npos) << dry.out;
    EXPECT_EQ(ReadText(serials), "0x1005\n");
    const auto rows = ParseCsv(ReadText(log));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"time", "port", "chip", "file", "checksum", "serial",
                                        "calibration", "result", "duration_ms"}));
    for (int k = 1; k <= 5; ++k) {
        const auto& row = rows[static_cast<std::size_t>(k)];
        ASSERT_EQ(row.size(), 9u);
        EXPECT_TRUE(
            QDateTime::fromString(QString::fromStdString(row[0]), Qt::ISODateWithMs).isValid())
            << row[0];
        EXPECT_EQ(row[1], "sim");
        EXPECT_EQ(row[2], "12c508");
        EXPECT_EQ(row[3], blink508);
        EXPECT_EQ(row[5], "0x" + QString::number(0x1000 + k - 1, 16).toUpper().toStdString());
        EXPECT_EQ(row[6], "5A");
        EXPECT_EQ(row[7], "ok");
    }
}

TEST_F(ProductionTest, AChipStoppedPartWayKeepsItsNumber) {
    const std::string serials = Path("s");
    const std::string log = Path("l.csv");
    QFile file(QString::fromStdString(serials));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("7\n");
    file.close();
    NewChip();
    // Stopped during programming: the number was on disk before the chip was touched.
    const std::int64_t start = delays.clock().Now();
    onTick = [start](std::int64_t now) {
        if (now > start + 120'000'000) {
            RequestStop();
        }
    };
    const Run stopped = Cli({"--port", "sim", "--serial-file", serials.c_str(), "--log",
                             log.c_str(), "auto", blink508.c_str()});
    onTick = nullptr;
    EXPECT_EQ(stopped.status, ExitStatus::Interrupted) << stopped.err;
    EXPECT_EQ(ReadText(serials), "8\n");
    NewChip();
    const Run next = Cli({"--port", "sim", "--serial-file", serials.c_str(), "--log", log.c_str(),
                          "auto", blink508.c_str()});
    EXPECT_EQ(next.status, ExitStatus::Done) << next.err;
    EXPECT_EQ(IdNumber(SocketChip()), 8);
    const auto rows = ParseCsv(ReadText(log));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][5], "7");
    EXPECT_EQ(rows[1][7].rfind("interrupted at word", 0), 0u) << rows[1][7];
    EXPECT_EQ(rows[2][5], "8");
}

TEST_F(ProductionTest, LogFieldsReadBackAsWritten) {
    const std::vector<std::string> fields = {"plain", "a,b", "say \"hi\"", "two\r\nlines", ""};
    const auto rows = ParseCsv(CsvLine(fields) + CsvLine({"x"}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], fields);
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
}

TEST_F(ProductionTest, ALogThatCannotBeWrittenStopsTheRunBeforeTheChip) {
    // A folder that is not there fails for root too, as a read-only file would for a user.
    const std::string log = Path("no-such-folder/l.csv");
    NewChip();
    const Run run =
        Cli({"--port", "sim", "--log", log.c_str(), "--fast", "auto", blink508.c_str()});
    EXPECT_EQ(run.status, ExitStatus::Usage);
    EXPECT_NE(run.err.find("cannot write the log"), std::string::npos) << run.err;
    EXPECT_EQ(SocketChip().Word(0), SocketChip().Erased());
}

TEST_F(ProductionTest, ChecksumTouchesNoPort) {
    const std::string blank = Path("blank.hex");
    QFile file(QString::fromStdString(blank));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(":021FFE00FF0FD3\n:00000001FF\n");
    file.close();
    machine = []() -> std::unique_ptr<PortIo> {
        ADD_FAILURE() << "a port was opened";
        return std::make_unique<AbsentPortIo>();
    };
    EXPECT_EQ(Cli({"checksum", blank.c_str()}).out, "checksum 0xEE20 (12c508)\n");
    EXPECT_EQ(Cli({"-q", "-c", "12c509", "checksum", blank.c_str()}).out, "0xEC20\n");
    EXPECT_EQ(Cli({"checksum", blink508.c_str()}).status, ExitStatus::Done);
}

TEST_F(ProductionTest, TwoBoardsAtOnceEachWithItsOwnChipAndNumber) {
    NewChip(1, "virtual-socket-1.txt");
    NewChip(1, "virtual-socket-2.txt");
    const std::string log = Path("l.csv");
    const Run run = Cli({"--port", "sim:1", "--port", "sim:2", "--fast", "--serial", "100", "--log",
                         log.c_str(), "auto", blink508.c_str()});
    EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
    EXPECT_NE(run.out.find("sim:1: programmed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("sim:2: programmed"), std::string::npos) << run.out;
    std::vector<std::uint16_t> numbers;
    for (const char* socket : {"virtual-socket-1.txt", "virtual-socket-2.txt"}) {
        const SocketFileLoad load = LoadSocketFile(folder.filePath(QString::fromLatin1(socket)));
        ASSERT_TRUE(load.content.chip.has_value());
        EXPECT_TRUE(load.content.chip->Errors().empty());
        numbers.push_back(IdNumber(*load.content.chip));
    }
    // 100 and 101, one each, whichever board reserved first.
    EXPECT_EQ(numbers[0] + numbers[1], 100 + 101);
    EXPECT_NE(numbers[0], numbers[1]);
    EXPECT_EQ(ParseCsv(ReadText(log)).size(), 3u);
}

TEST_F(ProductionTest, OneBoardsFaultEndsOnlyItsChip) {
    NewChip(1, "virtual-socket-1.txt");
    const std::string log = Path("l.csv");
    // The board on LPT1 loses its loop-back after detection, in its chip's power-up.
    machine = [this] {
        return std::make_unique<FaultyBoard>([this] { return Now(); }, FaultyPort::Fault::ReadsLow,
                                             700);
    };
    const Run run = Cli({"--port", "sim:1", "--port", "lpt1", "--fast", "--log", log.c_str(),
                         "--repeat", "auto", blink508.c_str()},
                        "q\n");
    EXPECT_EQ(run.status, ExitStatus::NoBoard) << run.err;
    EXPECT_NE(run.out.find("sim:1: chip 1: programmed"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("lpt1: "), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("sim:1: 1 programmed, 0 failed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("lpt1: 0 programmed, 1 failed"), std::string::npos) << run.out;
    const auto rows = ParseCsv(ReadText(log));
    ASSERT_EQ(rows.size(), 3u);
    // The boards, each named; a board that is not found at all is named and left out.
    machine = [] { return std::make_unique<AbsentPortIo>(); };
    NewChip(1, "virtual-socket-1.txt");
    const Run missing =
        Cli({"--port", "lpt1", "--port", "sim:1", "--fast", "auto", blink508.c_str()});
    EXPECT_EQ(missing.status, ExitStatus::NoBoard);
    EXPECT_NE(missing.err.find("lpt1: no programmer board found"), std::string::npos)
        << missing.err;
    EXPECT_NE(missing.out.find("sim:1: programmed"), std::string::npos) << missing.out;
}

}  // namespace
