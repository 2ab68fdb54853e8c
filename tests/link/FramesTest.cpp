#include <gtest/gtest.h>

#include <vector>

#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakePorts.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class FramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ports.AddPort(0x378, FakePorts::Loopback, 0x0F);
        installed->Open(0x378);
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
    InstalledLink installed{ports};
    ScopedVirtualDelays delays;
};

TEST_F(FramesTest, ReadDataCommandWritesNineteenBytes) {
    SendCommand(ReadData);
    EXPECT_EQ(ports.WritesTo(0x378),
              (Bytes{0x0F, 0x0D, 0x0F, 0x0F, 0x0D, 0x0F, 0x0E, 0x0C, 0x0E, 0x0F, 0x0D, 0x0F, 0x0F,
                     0x0D, 0x0F, 0x0F, 0x0D, 0x0F, 0x0F}));
    EXPECT_EQ(LevelsOnTheWire(), (std::vector<int>{0, 0, 1, 0, 0, 0}));
}

TEST_F(FramesTest, ReadFrameWritesFortyNineBytesAndSamplesWhileClockIsHigh) {
    ports.ClearLog();
    const std::uint16_t word = ReadDataWord();
    Bytes expected;
    for (int i = 0; i < 16; ++i) {
        expected.insert(expected.end(), {0x0E, 0x0C, 0x0E});
    }
    expected.push_back(0x0F);
    EXPECT_EQ(ports.WritesTo(0x378), expected);

    // Each cycle: read+write 0E, read+write 0C, status read, read+write 0E.
    std::uint8_t lastWrite = 0;
    int statusReads = 0;
    for (const auto& access : ports.Log()) {
        if (access.kind == 'W') {
            lastWrite = access.value;
        } else if (access.address == 0x379) {
            ++statusReads;
            EXPECT_EQ(lastWrite, 0x0C);
        }
    }
    EXPECT_EQ(statusReads, 16);
    // The fake's Acknowledge follows D0, which is released while sampling: every sample is 1.
    EXPECT_EQ(word, 0x7FFF);
}

TEST_F(FramesTest, CommandsSendOnlyTheirLowSixBits) {
    SendCommand(6);
    const Bytes six = ports.WritesTo(0x378);
    ports.ClearLog();
    SendCommand(0x46);
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
        SendDataWord(row.word);
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
        EXPECT_EQ(ReadDataWord(), row.result);
        EXPECT_EQ(next, 16u);
    }
}

TEST_F(FramesTest, ClockHighLastsTwentyIterationsAndFramesKeepAGap) {
    SendCommand(ReadData);
    EXPECT_EQ(delays.clock().BusyWaitIterations(), 6 * 20 + 20);
    EXPECT_GE(delays.clock().Now(), 7 * 1000);
    EXPECT_TRUE(delays.clock().Pauses().empty());
}

}  // namespace
