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

}  // namespace
