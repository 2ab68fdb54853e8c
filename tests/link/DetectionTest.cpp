#include <gtest/gtest.h>

#include <vector>

#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakePorts.h"

namespace {

constexpr int NotFound = 0xFFFF;

// What stands at a candidate address.
enum class At { Nothing, Board, PortAckStuckHigh, PortAckStuckLow };

FakePorts::StatusRule RuleFor(At what) {
    switch (what) {
        case At::PortAckStuckHigh:
            return [](std::uint8_t) { return std::uint8_t{0x40}; };
        case At::PortAckStuckLow:
            return [](std::uint8_t) { return std::uint8_t{0x00}; };
        default:
            return FakePorts::Loopback;
    }
}

struct Scenario {
    const char* name;
    At at278, at378, at3BC;
    int result;
    std::uint16_t dataPort;
};

class DetectionTest : public ::testing::TestWithParam<Scenario> {
protected:
    void Install(std::uint16_t base, At what) {
        if (what != At::Nothing) {
            ports.AddPort(base, RuleFor(what), 0x5A);
        }
    }

    FakePorts ports;
    ScopedVirtualDelays delays;
    ProgrammerLink link{ports, delays.clock()};
};

TEST_P(DetectionTest, FindsTheBoardAndLeavesEveryPortPoweredDown) {
    const Scenario& s = GetParam();
    Install(0x278, s.at278);
    Install(0x378, s.at378);
    Install(0x3BC, s.at3BC);

    EXPECT_EQ(DetectProgrammer(link, NotFound), s.result);
    EXPECT_EQ(link.DataPortAddress(), s.dataPort);
    EXPECT_EQ(link.StatusPortAddress(), s.dataPort + 1);

    // Leftovers: 0x03 after both checks, 0x02 when the first check failed, 0x00 when skipped.
    const std::pair<std::uint16_t, At> candidates[] = {
        {0x278, s.at278}, {0x378, s.at378}, {0x3BC, s.at3BC}};
    for (const auto& [base, what] : candidates) {
        const std::vector<std::uint8_t> writes = ports.WritesTo(base);
        ASSERT_FALSE(writes.empty());
        EXPECT_EQ(writes.front(), 0x00);
        switch (what) {
            case At::Nothing:
                EXPECT_EQ(writes.size(), 1u) << "a port reading 0xFF is never powered";
                break;
            case At::PortAckStuckHigh:
                EXPECT_EQ(ports.Data(base), 0x02) << std::hex << base;
                break;
            default:
                EXPECT_EQ(ports.Data(base), 0x03) << std::hex << base;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ports, DetectionTest,
    ::testing::Values(
        Scenario{"none", At::Nothing, At::Nothing, At::Nothing, NotFound, 0x3BC},
        Scenario{"lpt2", At::Board, At::Nothing, At::Nothing, 2, 0x278},
        Scenario{"lpt1", At::Nothing, At::Board, At::Nothing, 1, 0x378},
        Scenario{"both", At::Board, At::Board, At::Nothing, 1, 0x378},
        Scenario{"only3BC", At::Nothing, At::Nothing, At::Board, 3, 0x3BC},
        Scenario{"all", At::Board, At::Board, At::Board, 3, 0x3BC},
        Scenario{"stuckHigh", At::PortAckStuckHigh, At::Nothing, At::Nothing, NotFound, 0x3BC},
        Scenario{"stuckLow", At::Nothing, At::PortAckStuckLow, At::Nothing, NotFound, 0x3BC},
        Scenario{"portsWithoutBoard", At::PortAckStuckLow, At::PortAckStuckHigh,
                 At::PortAckStuckLow, NotFound, 0x3BC},
        Scenario{"boardBesidePrinters", At::PortAckStuckLow, At::Board, At::PortAckStuckHigh, 1,
                 0x378}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DetectionTimingTest, PausesAreFiveTenTenPerProbedPort) {
    FakePorts ports;
    ports.AddPort(0x378, FakePorts::Loopback);
    ports.AddPort(0x3BC, RuleFor(At::PortAckStuckHigh));
    ScopedVirtualDelays delays;
    ProgrammerLink link{ports, delays.clock()};
    DetectProgrammer(link, NotFound);
    EXPECT_EQ(delays.clock().Pauses(), (std::vector<int>{5, 5, 10, 10, 5, 10}));
}

TEST(DetectionTimingTest, ReturnsTheCallersNotFoundValue) {
    FakePorts ports;
    ScopedVirtualDelays delays;
    ProgrammerLink link{ports, delays.clock()};
    EXPECT_EQ(DetectProgrammer(link, -7), -7);
    EXPECT_EQ(link.DataPortAddress(), 0x3BC);
}

}  // namespace
