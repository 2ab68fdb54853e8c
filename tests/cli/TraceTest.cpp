#include <QFile>
#include <map>
#include <sstream>
#include <vector>

#include "cli/ExitStatus.h"
#include "sim/SimulatedBoard.h"
#include "tests/cli/CliFixture.h"

namespace {

struct Change {
    std::int64_t time;
    char signal;
    char level;
};

// The changes of a Value Change Dump, after its header; the header's lines go to `header`.
std::vector<Change> Changes(const std::string& vcd, std::vector<std::string>& header) {
    std::istringstream lines(vcd);
    std::vector<Change> changes;
    std::string line;
    bool body = false;
    std::int64_t time = -1;
    while (std::getline(lines, line)) {
        if (!body) {
            header.push_back(line);
            body = line == "$end" && !header.empty() && header[header.size() - 2] != "$dumpvars" &&
                   std::find(header.begin(), header.end(), "$dumpvars") != header.end();
            continue;
        }
        if (line[0] == '#') {
            const std::int64_t next = std::stoll(line.substr(1));
            EXPECT_GT(next, time) << "times only grow";
            time = next;
        } else {
            changes.push_back({time, line[1], line[0]});
        }
    }
    return changes;
}

using TraceTest = CliFixture;

// The configuration read-out of a 12C508 is the shortest read: power-up, ReadData, one read frame.
TEST_F(TraceTest, AShortReadIsRecordedWithItsFramesEdges) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const Run run = Cli({"--port", "sim", "--trace", Path("config.vcd").c_str(), "config"});
    ASSERT_EQ(run.status, ExitStatus::Done) << run.err;
    QFile file(folder.filePath(QStringLiteral("config.vcd")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<std::string> header;
    const std::vector<Change> changes = Changes(file.readAll().toStdString(), header);

    for (const char* line :
         {"$timescale 100 ns $end", "$var wire 1 d data_out $end", "$var wire 1 c clock $end",
          "$var wire 1 a vdd_switch_a $end", "$var wire 1 b vpp_switch_b $end",
          "$var wire 1 r data_in $end", "$enddefinitions $end"}) {
        EXPECT_NE(std::find(header.begin(), header.end(), line), header.end()) << line;
    }
    // Clock rising edges while powered: 6 for the command, 16 for the read frame, in each of the
    // two power-ups whose answers must agree. Within the
    // frames data moves only with or after a rising edge, never with the clock falling, and the
    // board samples only while the clock is high. The clock-high phase is 100 ns measured from the
    // rising edge: one unit, or two when a change of the same unit is shown a unit on.
    std::map<char, char> level;
    int risingWhilePowered = 0;
    std::int64_t rose = -1;
    for (const Change& change : changes) {
        const bool powered = level['a'] == '1' && level['b'] == '1';
        if (change.signal == 'c' && change.level == '1' && powered) {
            ++risingWhilePowered;
            rose = change.time;
        }
        if (change.signal == 'c' && change.level == '0' && powered && rose >= 0) {
            EXPECT_GE(change.time - rose, 1) << "a clock-high phase ending at " << change.time;
            EXPECT_LE(change.time - rose, 2) << "a clock-high phase ending at " << change.time;
        }
        const bool inFrames = powered && risingWhilePowered > 0;  // after the power-up's probe
        if (change.signal == 'd' && inFrames) {
            EXPECT_EQ(level['c'], '0') << "data moved with the clock high at " << change.time;
        }
        if (change.signal == 'r' && inFrames) {
            EXPECT_EQ(level['c'], '1') << "sampled with the clock low at " << change.time;
        }
        level[change.signal] = change.level;
    }
    EXPECT_EQ(risingWhilePowered, 2 * (6 + 16));
    EXPECT_EQ(level['a'], '0');
    EXPECT_EQ(level['b'], '0');
}

TEST_F(TraceTest, ABoardOnTheMachinesPortIsNamedWithItsDevice) {
    machine = [this] {
        auto board = std::make_unique<SimulatedBoard>([this] { return Now(); }, 0x278);
        return std::unique_ptr<PortIo>(std::move(board));
    };
    const Run run = Cli({"detect"});
    EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
    EXPECT_EQ(run.out,
              "board on LPT2 (0x278)\n  pins data=~D0,clock=~D1,vdd=D2,vpp=D3,return=~Ack\n");
    EXPECT_EQ(Cli({"--port", "lpt3", "detect"}).status, ExitStatus::NoBoard);
    EXPECT_EQ(Cli({"--port", "0x278", "detect"}).out.substr(0, 22), "board on LPT2 (0x278)\n");
}

}  // namespace
