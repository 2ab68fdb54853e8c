#include <gtest/gtest.h>

#include <vector>

#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/SlowPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakePorts.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class FramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ports.AddPort(0x378, FakePorts::Loopback, 0x0F);
        link.Open(0x378);
        ports.ClearLog();
    }

    // Data-line levels the chip sees at each falling clock edge (when it latches).
    std::vector<int> LevelsOnTheWire() const {
        std::vector<int> levels;
        std::uint8_t previous = 0x0F;
        for (std::uint8_t value : ports.WritesTo(0x378)) {
            const bool clockWasHigh = (previous & 0x02) == 0;
            const bool clockNowLow = (value & 0x02) != 0;
            if (clockWasHigh && clockNowLow) {
                levels.push_back((value & 0x01) ? 0 : 1);
            }
            previous = value;
        }
        return levels;
    }

    FakePorts ports;
    ScopedVirtualDelays delays;
    ProgrammerLink link{ports, delays.clock()};
};

TEST_F(FramesTest, ACommandIsTwoWritesABitWithTheDataRidingOnTheRisingEdge) {
    SendCommand(link, ReadData);
    // Levels 0, 0, 1, 0, 0, 0: each bit raises the clock (D1 cleared) with its data, then lowers
    // it; the last bit leaves the line low, so no write follows.
    EXPECT_EQ(ports.WritesTo(0x378),
              (Bytes{0x0D, 0x0F, 0x0D, 0x0F, 0x0C, 0x0E, 0x0D, 0x0F, 0x0D, 0x0F, 0x0D, 0x0F}));
    EXPECT_EQ(LevelsOnTheWire(), (std::vector<int>{0, 0, 1, 0, 0, 0}));
}

TEST_F(FramesTest, AReadFrameIsTwoWritesAClockAndSamplesWhileTheClockIsHigh) {
    const std::uint16_t word = ReadDataWord(link);
    Bytes expected;
    for (int i = 0; i < 16; ++i) {
        expected.insert(expected.end(), {0x0C, 0x0E});
    }
    expected.push_back(0x0F);  // the line driven low again
    EXPECT_EQ(ports.WritesTo(0x378), expected);

    std::uint8_t lastWrite = 0;
    int statusReads = 0;
    for (const auto& access : ports.Log()) {
        if (access.kind == 'W') {
            lastWrite = access.value;
        } else {
            ++statusReads;
            EXPECT_EQ(access.address, 0x379);
            EXPECT_EQ(lastWrite, 0x0C);
        }
    }
    EXPECT_EQ(statusReads, 16);
    // The fake's Acknowledge follows D0, which is released while sampling: every sample is 1.
    EXPECT_EQ(word, 0x7FFF);
}

TEST_F(FramesTest, CommandsSendOnlyTheirLowSixBits) {
    SendCommand(link, 6);
    const Bytes six = ports.WritesTo(0x378);
    ports.ClearLog();
    SendCommand(link, 0x46);
    EXPECT_EQ(ports.WritesTo(0x378), six);
}

TEST_F(FramesTest, DataFramesCarryFourteenBitsBetweenStartAndStop) {
    const struct {
        std::uint16_t word;
        std::vector<int> levels;
    } rows[] = {
        {0x0000, std::vector<int>(16, 0)},
        {0x3FFF, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
        {0xFFFF, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
        {0x1234, {0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0}},
    };
    for (const auto& row : rows) {
        ports.ClearLog();
        SendDataWord(link, row.word);
        EXPECT_EQ(LevelsOnTheWire(), row.levels) << std::hex << row.word;
        EXPECT_EQ(ports.Data(0x378), 0x0F) << "frames end with clock and data low";
    }
}

TEST_F(FramesTest, ReadFrameDropsTheStartSampleAndPutsTheStopSampleInBit14) {
    // Acknowledge is 1 (line at logic 0) for the samples the test marks as zeros.
    const struct {
        std::vector<int> samples;  // s(0) .. s(15)
        std::uint16_t result;
    } rows[] = {
        {std::vector<int>(16, 1), 0x7FFF},
        {std::vector<int>(16, 0), 0x0000},
        {{0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0x0005},
        {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0x0000},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0x4000},
        {{1, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0}, 0x0A95},
    };
    for (const auto& row : rows) {
        std::size_t next = 0;
        ports.AddPort(
            0x378,
            [&](std::uint8_t) {
                const int level = row.samples.at(next++);
                return static_cast<std::uint8_t>(level ? 0x00 : 0x40);
            },
            0x0F);
        EXPECT_EQ(ReadDataWord(link), row.result);
        EXPECT_EQ(next, 16u);
    }
}

TEST_F(FramesTest, WaitsRunFromTheLastEdgeAndCostNothingWhereThePortIsSlowerThanThey) {
    // ReadData: 12 writes. On an instant port, exactly the chip's minimums: 1 us from the last
    // frame, then six clocks high for 100 ns with 100 ns of clock low between them. A slower port
    // has half its write counted as waited already: 75 ns of 150 ns writes, 500 ns of 1 us ones,
    // which then cover the clock phases; 2 us writes cover the frame gap too.
    const struct {
        std::int64_t costNs, waitedNs;
    } rows[] = {
        {0, 1'000 + 6 * 100 + 5 * 100},
        {150, (1'000 - 75) + 11 * (100 - 75)},
        {1'000, 1'000 - 500},
        {2'000, 0},
    };
    for (const auto& row : rows) {
        ScopedVirtualDelays clock;
        SlowPort slow(ports, clock.clock(), row.costNs);
        ProgrammerLink link(slow, clock.clock(), 0x378);
        for (int i = 0; i < 3; ++i) {
            SendCommand(link, ReadData);  // the link judges the port by its first writes
        }
        const std::int64_t waitedBefore = clock.clock().WaitedUntilNs();
        const std::int64_t start = clock.clock().Now();
        SendCommand(link, ReadData);
        EXPECT_EQ(clock.clock().WaitedUntilNs() - waitedBefore, row.waitedNs) << row.costNs;
        EXPECT_EQ(clock.clock().Now() - start, row.waitedNs + 12 * row.costNs) << row.costNs;
        EXPECT_EQ(clock.clock().BusyWaitIterations(), 0);
        EXPECT_TRUE(clock.clock().Pauses().empty());
    }
}

TEST_F(FramesTest, ASlowStartDoesNotPassForASlowPort) {
    // The first writes take 5 us each (the claim of a real port, cold caches), then none: the
    // link must still wait the chip's minimums in full.
    struct SlowStart final : public PortIo {
        SlowStart(PortIo& inner, VirtualDelays& clock) : inner(inner), clock(clock) {}
        std::uint8_t In(std::uint16_t address) override { return inner.In(address); }
        void Out(std::uint16_t address, std::uint8_t value) override {
            if (slowWrites > 0) {
                --slowWrites;
                clock.Advance(5'000);
            }
            inner.Out(address, value);
        }
        PortIo& inner;
        VirtualDelays& clock;
        int slowWrites = 20;
    };
    SlowStart port(ports, delays.clock());
    ProgrammerLink link(port, delays.clock(), 0x378);
    for (int i = 0; i < 4; ++i) {
        SendCommand(link, ReadData);
    }
    const std::int64_t start = delays.clock().Now();
    SendCommand(link, ReadData);
    EXPECT_EQ(delays.clock().Now() - start, 2'100);
}

}  // namespace
