#include <gtest/gtest.h>

#include <vector>

#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakePorts.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class LinesTest : public ::testing::Test {
protected:
    // A port holding `data`, the link opened at it (its one read of the data register).
    void Start(std::uint8_t data) {
        ports.AddPort(0x378, FakePorts::Loopback, data);
        installed->Open(0x378);
        ports.ClearLog();
    }

    FakePorts ports;
    InstalledLink installed{ports};
    ScopedVirtualDelays delays;
};

TEST_F(LinesTest, PowerUp12BitRaisesSupplyAThenBWithDataAndClockLow) {
    for (std::uint8_t before : {0x00, 0xF0, 0xFF, 0x03}) {
        Start(before);
        EnterProgramMode12Bit();
        EXPECT_EQ(ports.WritesTo(0x378), (Bytes{0x07, 0x0F})) << int(before);
        EXPECT_EQ(ports.Data(0x378), 0x0F);
    }
    EXPECT_TRUE(delays.clock().Pauses().empty());
    EXPECT_EQ(delays.clock().BusyWaitIterations(), 4 * 65536);
}

TEST_F(LinesTest, PowerUp14BitRaisesSupplyBThenAAfterOneMillisecond) {
    Start(0xF0);
    EnterProgramMode14Bit();
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
        ExitProgramMode();
        EXPECT_EQ(ports.Data(0x378), row.after) << int(row.before);
    }
}

TEST_F(LinesTest, SingleLinesAreReadModifyWritesOfOneBit) {
    const struct {
        void (*change)();
        std::uint8_t before, after;
    } rows[] = {
        {[] { SetDataLine(1); }, 0xFF, 0xFE},
        {[] { SetDataLine(0); }, 0xF0, 0xF1},
        {ReleaseDataLine, 0x0F, 0x0E},
        {ClockHigh, 0x0F, 0x0D},
        {ClockLow, 0x0D, 0x0F},
        {[] { ClearDataBit(0x378); }, 0x03, 0x02},
        {[] { SetDataBit(0x378); }, 0x02, 0x03},
    };
    for (const auto& row : rows) {
        Start(row.before);
        ports.ClearLog();
        row.change();
        ASSERT_EQ(ports.Log().size(), 1u) << "one write, no read: the link keeps a shadow";
        EXPECT_EQ(ports.Data(0x378), row.after) << int(row.before);
    }
}

TEST_F(LinesTest, AChangeThatChangesNoLineIsNotSent) {
    Start(0x0F);
    SetDataLine(0);
    ClockLow();
    CurrentLink().WriteData(0x0F);
    EXPECT_TRUE(ports.Log().empty());
    ClockHighWithData(1);
    ClockHighReleasingData();
    EXPECT_EQ(ports.WritesTo(0x378), Bytes{0x0C});
}

TEST_F(LinesTest, SampleIsTheComplementOfAcknowledge) {
    ports.AddPort(0x378, [](std::uint8_t) { return std::uint8_t{0x40}; });
    installed->Open(0x378);
    EXPECT_EQ(SampleDataLine(), 0);
    EXPECT_EQ(CheckReturnLow(), 0xFFFF);
    EXPECT_EQ(CheckReturnHigh(), 0);
    ports.AddPort(0x378, [](std::uint8_t) { return std::uint8_t{0xBF}; });
    installed->Open(0x378);
    EXPECT_EQ(SampleDataLine(), 1);
    EXPECT_EQ(CheckReturnLow(), 0);
    EXPECT_EQ(CheckReturnHigh(), 0xFFFF);
}

}  // namespace
