#include <gtest/gtest.h>

#include <cerrno>

#include "link/Detection.h"
#include "link/GpioPort.h"
#include "link/ProgrammerLink.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakeGpiod.h"

namespace {

bool Opened(LinePort& port) {
    OutputLines lines;
    return port.Open(0, lines);
}

constexpr OutputLines BothOn{false, false, true, true};

class GpioPortTest : public ::testing::Test {
protected:
    PinMap map = DefaultPinMap(PortKind::Gpio);
    FakeGpiod gpiod{map};
    ScopedVirtualDelays delays;
};

// The four outputs are one request at rest; the return line asks for the kernel's pull-up, and
// makes do without one on a kernel that has none. The probe finds the board without powering the
// socket, and the lines go back with the supplies off.
TEST_F(GpioPortTest, RequestsItsOutputsOnceAtRestAndFindsTheBoardUnpowered) {
    for (bool bias : {true, false}) {
        SCOPED_TRACE(bias);
        FakeGpiod calls(map);
        calls.biasSupported = bias;
        {
            GpioPort port("/dev/gpiochip0", map, &calls);
            ProgrammerLink link(port, delays.clock());
            link.SetPins(map, PortKind::Gpio);
            const BoardSearch search = ProbePort(link, port.Ports().front(), 0xFFFF);
            ASSERT_TRUE(search.board.has_value()) << DescribeProbes(search).front();
            EXPECT_EQ(PortPlace(*search.board), "gpiochip0 (/dev/gpiochip0)");
            EXPECT_EQ(calls.outputRequests, 1);
            EXPECT_EQ(calls.Requested(), 5);
            EXPECT_EQ(calls.lines[24].pullUp, bias);
            EXPECT_FALSE(calls.everPowered) << "the probe powered the socket";
            link.SetLines(BothOn, true);
            EXPECT_TRUE(calls.Powered());
        }
        EXPECT_EQ(calls.Requested(), 0);
        EXPECT_EQ(calls.released.size(), 5u);
        EXPECT_EQ(calls.releasedPowered, 0) << "a line went back with a supply on";
        EXPECT_FALSE(calls.Powered());
        EXPECT_FALSE(calls.chipOpen);
    }
}

TEST_F(GpioPortTest, EachProblemIsReportedWithWhatToDoAndNothingStaysHeld) {
    const struct {
        int openError;
        int count;
        const char* holder;  // of line 23 (vpp)
        PortProblem problem;
        const char* text;
        const char* fix;
    } rows[] = {
        {ENOENT, 54, "", PortProblem::NoDevice, "no GPIO chip /dev/gpiochip0", "gpiodetect"},
        {EACCES, 54, "", PortProblem::PermissionDenied, "permission denied on /dev/gpiochip0",
         "sudo usermod -aG gpio"},
        {0, 20, "", PortProblem::NoPort,
         "no line 27 (clock) of gpiochip0: the chip has lines 0 to 19", "--pins"},
        {0, 54, "spi0 CS", PortProblem::Busy,
         "line 23 (vpp) of gpiochip0 is busy: used by \"spi0 CS\"", "other offsets"},
    };
    for (const auto& row : rows) {
        FakeGpiod calls(map);
        calls.openError = row.openError;
        calls.count = row.count;
        calls.lines[23].holder = row.holder;
        GpioPort port("/dev/gpiochip0", map, &calls);
        EXPECT_FALSE(Opened(port)) << row.text;
        EXPECT_THROW(port.Set(BothOn, true), PortFailure);
        const PortStatus status = port.Status(0);
        EXPECT_EQ(status.problem, row.problem) << row.text;
        EXPECT_EQ(status.text.rfind(row.text, 0), 0u) << status.text;
        EXPECT_NE(status.fix.find(row.fix), std::string::npos) << status.fix;
        EXPECT_EQ(calls.Requested(), 0) << row.text;
        EXPECT_FALSE(calls.chipOpen) << row.text;
        EXPECT_EQ(calls.setCalls, 0) << row.text << ": nothing may be driven";
    }
}

// Whichever call fails while the board is powered (a set, the return line's sample, the
// read-back), the supplies are switched off before any line goes back; the next access requests
// the lines anew, at rest.
TEST_F(GpioPortTest, AFailedCallSwitchesTheSuppliesOffBeforeLettingGo) {
    const struct {
        const char* name;
        void (*act)(GpioPort&);
    } rows[] = {
        {"set",
         [](GpioPort& port) {
             port.Set(OutputLines{true, true, true, true}, false);
         }},
        {"sample", [](GpioPort& port) { port.QueueSample(); }},
        {"read-back", [](GpioPort& port) { port.ReadBack(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeGpiod calls(map);
        GpioPort port("/dev/gpiochip0", map, &calls);
        ASSERT_TRUE(Opened(port));
        port.Set(BothOn, true);
        calls.failCall = 1;  // the call after the power-up
        EXPECT_THROW(row.act(port), PortFailure);
        EXPECT_EQ(calls.Requested(), 0);
        EXPECT_EQ(calls.releasedPowered, 0);
        EXPECT_FALSE(calls.Powered()) << "a released line keeps its level";
        port.SuppliesOffIfHeld();
        EXPECT_FALSE(calls.chipOpen) << "the last resort claims nothing";
        OutputLines lines{true, true, true, true};
        EXPECT_TRUE(port.Open(0, lines));
        EXPECT_EQ(lines, LinesAtRest) << "claimed anew, at rest";
        EXPECT_EQ(calls.outputRequests, 2);
    }
}

TEST_F(GpioPortTest, LevelsGoToTheLinesTheMapNamesAllFourInOneCall) {
    std::string why;
    const PinMap own =
        *ParsePinMap("data=4,clock=5,vdd=6,vpp=~7,return=8", PortKind::Gpio, map, why);
    FakeGpiod calls(own);
    calls.loopback = false;
    GpioPort port("/dev/gpiochip1", own, &calls);
    OutputLines lines{true, true, true, true};
    ASSERT_TRUE(port.Open(0, lines));
    ASSERT_EQ(lines, LinesAtRest);
    // At rest the inverted vpp switch is held high, which is off.
    EXPECT_EQ(calls.lines[7].value, 1);
    port.Set(OutputLines{true, false, true, true}, false);
    EXPECT_EQ(calls.setCalls, 1);
    EXPECT_EQ(calls.lines[4].value, 1);
    EXPECT_EQ(calls.lines[5].value, 0);
    EXPECT_EQ(calls.lines[6].value, 1);
    EXPECT_EQ(calls.lines[7].value, 0);
    EXPECT_EQ(port.ReadBack(), (OutputLines{true, false, true, true}));
    calls.lines[8].value = 1;
    EXPECT_EQ(port.TakeSample(port.QueueSample()), 1);
    calls.lines[8].value = 0;
    EXPECT_EQ(port.TakeSample(port.QueueSample()), 0);
}

}  // namespace
