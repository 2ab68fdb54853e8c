#include <gtest/gtest.h>

#include <vector>

#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/SlowPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakePorts.h"
#include "tests/support/HookedPort.h"

namespace {

// 0x0F on the parallel port's wiring: data and clock low, both supplies on.
constexpr OutputLines BothOn{false, false, true, true};

using Bytes = std::vector<std::uint8_t>;

class LinesTest : public ::testing::Test {
protected:
    // A port holding `data`, the link opened at it (its one read of the data register).
    void Start(std::uint8_t data) {
        ports.AddPort(0x378, FakePorts::Loopback, data);
        link.Open(0x378);
        ports.ClearLog();
    }

    FakePorts ports;
    ScopedVirtualDelays delays;
    ProgrammerLink link{ports, delays.clock()};
};

TEST_F(LinesTest, PowerUp12BitRaisesSupplyAThenBWithDataAndClockLow) {
    for (std::uint8_t before : {0x00, 0xF0, 0xFF, 0x03}) {
        Start(before);
        EnterProgramMode12Bit(link);
        EXPECT_EQ(ports.WritesTo(0x378), (Bytes{0x07, 0x0F})) << int(before);
        EXPECT_EQ(ports.Data(0x378), 0x0F);
    }
    EXPECT_TRUE(delays.clock().Pauses().empty());
    EXPECT_EQ(delays.clock().BusyWaitIterations(), 4 * 65536);
}

// On a port too slow to raise the programming voltage within 9 ms of the supply, the sequence
// gives up and switches the supply off again, whoever called it.
TEST_F(LinesTest, PowerUp12BitOnAPortTooSlowNeverRaisesSupplyB) {
    const struct {
        std::int64_t writeNs;
        Bytes writes;
    } rows[] = {{1'000, {0x07, 0x0F}}, {2'500'000, {0x07, 0x0F}}, {3'000'000, {0x07, 0x03}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.writeNs);
        Start(0x03);
        SlowPort slow(ports, delays.clock(), row.writeNs);
        link.SetIo(slow);
        if (row.writes.back() == 0x0F) {
            EnterProgramMode12Bit(link);
        } else {
            EXPECT_THROW(EnterProgramMode12Bit(link), PortFailure);
        }
        EXPECT_EQ(ports.WritesTo(0x378), row.writes);
        link.SetIo(ports);
    }
}

TEST_F(LinesTest, PowerUp14BitRaisesSupplyBThenAAfterOneMillisecond) {
    Start(0xF0);
    EnterProgramMode14Bit(link);
    EXPECT_EQ(ports.WritesTo(0x378), (Bytes{0x0B, 0x0F}));
    EXPECT_EQ(delays.clock().Pauses(), std::vector<int>{1});
    // The second step modifies what the first one wrote, without reading the port back.
    EXPECT_EQ(ports.Log().size(), 2u);
}

TEST_F(LinesTest, PowerDownKeepsDataAndClockAndClearsEverythingElse) {
    const struct {
        std::uint8_t before, after;
    } rows[] = {{0x0F, 0x03}, {0xFF, 0x03}, {0x0E, 0x02}, {0x0C, 0x00}, {0xF1, 0x01}};
    for (const auto& row : rows) {
        Start(row.before);
        ExitProgramMode(link);
        EXPECT_EQ(ports.Data(0x378), row.after) << int(row.before);
    }
}

TEST_F(LinesTest, SingleLinesAreReadModifyWritesOfOneBit) {
    const struct {
        void (*change)(ProgrammerLink&);
        std::uint8_t before, after;
    } rows[] = {
        {[](ProgrammerLink& link) { SetDataLine(link, 1); }, 0xFF, 0xFE},
        {[](ProgrammerLink& link) { SetDataLine(link, 0); }, 0xF0, 0xF1},
        {ReleaseDataLine, 0x0F, 0x0E},
        {ClockHigh, 0x0F, 0x0D},
        {ClockLow, 0x0D, 0x0F},
        {[](ProgrammerLink& link) { ClearDataBit(link); }, 0x03, 0x02},
        {[](ProgrammerLink& link) { SetDataBit(link); }, 0x02, 0x03},
    };
    for (const auto& row : rows) {
        Start(row.before);
        ports.ClearLog();
        row.change(link);
        ASSERT_EQ(ports.Log().size(), 1u) << "one write, no read: the link keeps a shadow";
        EXPECT_EQ(ports.Data(0x378), row.after) << int(row.before);
    }
}

TEST_F(LinesTest, AChangeThatChangesNoLineIsNotSent) {
    Start(0x0F);
    SetDataLine(link, 0);
    ClockLow(link);
    link.SetLines(BothOn);
    EXPECT_TRUE(ports.Log().empty());
    ClockHighWithData(link, 1);
    ClockHighReleasingData(link);
    EXPECT_EQ(ports.WritesTo(0x378), Bytes{0x0C});
}

// After a port failure the shadow may not be what the port holds (the port was claimed anew, the
// write half done): the next write goes out even if it changes no line by the shadow, until the
// port is opened again.
TEST_F(LinesTest, AfterAPortFailureTheNextWriteIsSentEvenIfItMatchesTheShadow) {
    Start(0x0F);
    HookedPort failing(ports, 1, [] { throw PortFailure("the port went away"); });
    link.SetIo(failing);
    EXPECT_THROW(ClockHigh(link), PortFailure);
    EXPECT_FALSE(link.ShadowTrusted());
    ports.Out(0x378, 0x00);  // what the port holds once it is back
    link.SetIo(ports);
    ports.ClearLog();
    link.SetLines(BothOn);
    link.SetLines(BothOn);
    EXPECT_EQ(ports.WritesTo(0x378), Bytes{0x0F}) << "sent once, then trusted again";
    HookedPort failingRead(ports, 1, [] { throw PortFailure("the port went away"); });
    link.SetIo(failingRead);
    EXPECT_THROW(SampleDataLine(link), PortFailure);
    link.SetIo(ports);
    link.Open(0x378);
    EXPECT_TRUE(link.ShadowTrusted());
}

TEST_F(LinesTest, SampleIsTheComplementOfAcknowledge) {
    ports.AddPort(0x378, [](std::uint8_t) { return std::uint8_t{0x40}; });
    link.Open(0x378);
    EXPECT_EQ(SampleDataLine(link), 0);
    EXPECT_EQ(CheckReturnLow(link), 0xFFFF);
    EXPECT_EQ(CheckReturnHigh(link), 0);
    ports.AddPort(0x378, [](std::uint8_t) { return std::uint8_t{0xBF}; });
    link.Open(0x378);
    EXPECT_EQ(SampleDataLine(link), 1);
    EXPECT_EQ(CheckReturnLow(link), 0);
    EXPECT_EQ(CheckReturnHigh(link), 0xFFFF);
}

}  // namespace
