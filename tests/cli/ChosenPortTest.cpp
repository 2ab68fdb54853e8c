#include "cli/ExitStatus.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/FakePorts.h"

namespace {

// The test's ports, lent to one run of the command.
class LentPorts final : public PortIo {
public:
    explicit LentPorts(FakePorts& ports) : ports_(ports) {}
    std::uint8_t In(std::uint16_t address) override { return ports_.In(address); }
    void Out(std::uint16_t address, std::uint8_t value) override { ports_.Out(address, value); }
    std::vector<PortInfo> Ports() override { return ports_.Ports(); }

private:
    FakePorts& ports_;
};

using ChosenPortTest = CliFixture;

// A port named on the command line is the only one touched, even when it cannot be used and a
// board answers on another: that one may be a printer, or someone else's board.
TEST_F(ChosenPortTest, APortThatCannotBeUsedIsReportedAndNoOtherIsTouched) {
    FakePorts ports;
    ports.AddListedPort(0x378, "/dev/parport0", FakePorts::Loopback);
    ports.AddListedPort(0x278, "/dev/parport1", FakePorts::Loopback);
    machine = [&ports] { return std::make_unique<LentPorts>(ports); };
    const struct {
        const char* port;
        int status;
        const char* saying;
        std::uint16_t touched;  // the only base accessed; 0 for none
    } rows[] = {
        {"lpt9", ExitStatus::NoBoard, "lpt9 is not a parallel port this machine lists", 0},
        {"/dev/parport9", ExitStatus::NoBoard,
         "/dev/parport9 is not a parallel port this machine lists", 0},
        {"0x1234", ExitStatus::NoBoard, "0x1234", 0x1234},
    };
    for (const auto& row : rows) {
        for (const bool detect : {true, false}) {
            ports.ClearLog();
            const Run run = detect ? Cli({"--port", row.port, "detect"})
                                   : Cli({"--port", row.port, "--chip", "12c508", "blank"});
            EXPECT_EQ(run.status, row.status) << row.port << ' ' << run.err;
            EXPECT_NE(run.err.find(row.saying), std::string::npos) << run.err;
            for (const FakePorts::Access& access : ports.Log()) {
                ASSERT_EQ(access.address & ~1u, row.touched)
                    << row.port << " touched 0x" << std::hex << access.address;
            }
        }
    }
}

// FTDI adapters come after every parallel port, only when no port is named or when one of them is;
// an adapter probed in vain is given back.
// An adapter may be the user's serial console: only one named with --port is ever touched, and -v
// tells what its byte clock was measured at.
TEST_F(ChosenPortTest, AnFtdiAdapterIsTouchedOnlyWhenNamed) {
    const struct {
        const char* port;
        bool parallelBoard;  // on LPT1
        bool adapter;        // attached
        bool adapterBoard;   // the board on the adapter
        int status;
        const char* saying;  // in the output
        bool adapterTouched;
    } rows[] = {
        {"auto", false, true, true, ExitStatus::NoBoard, "LPT1", false},
        {"auto", true, true, true, ExitStatus::Done, "LPT1", false},
        {"lpt1", false, true, true, ExitStatus::NoBoard, "LPT1", false},
        {"ftdi", false, false, false, ExitStatus::NoBoard, "no FTDI adapter found", false},
        {"ftdi:A6008xyz", false, true, true, ExitStatus::Done, "a byte every 1.", true},
        {"ftdi", false, true, false, ExitStatus::NoBoard, "FT232R A6008xyz: no answer", true},
    };
    for (const auto& row : rows) {
        FakePorts ports;
        if (row.parallelBoard) {
            ports.AddListedPort(0x378, "/dev/parport0", FakePorts::Loopback);
        }
        machine = [&ports] { return std::make_unique<LentPorts>(ports); };
        ftdi.attached.clear();
        if (row.adapter) {
            ftdi.attached.push_back({0x0403, 0x6001, "A6008xyz"});
        }
        ftdi.Board().SetLoopback(row.adapterBoard ? Loopback::Working : Loopback::AckStuckLow);
        ftdi.written.clear();
        const int contexts = ftdi.contexts;
        const Run run = Cli({"-v", "--port", row.port, "detect"});
        EXPECT_EQ(run.status, row.status) << row.port << ' ' << run.err;
        EXPECT_NE((run.out + run.err).find(row.saying), std::string::npos) << run.out << run.err;
        EXPECT_EQ(!ftdi.written.empty(), row.adapterTouched) << row.port;
        EXPECT_EQ(ftdi.kernelDriver, true) << row.port << ": the serial driver given back";
        EXPECT_FALSE(ftdi.open) << row.port << ": given back";
        EXPECT_EQ(ftdi.contexts, contexts) << row.port;
    }
}

}  // namespace
