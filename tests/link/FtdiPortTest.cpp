#include <gtest/gtest.h>

#include <cstdio>

#include "chip/ChipReads.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"
#include "link/Detection.h"
#include "link/FtdiPort.h"
#include "link/PortChoice.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakeFtdi.h"

namespace {

bool Opened(LinePort& port) {
    OutputLines lines;
    return port.Open(0, lines);
}

// Powered: data and clock low, both supplies on.
constexpr OutputLines BothOn{false, false, true, true};

class FtdiPortTest : public ::testing::Test {
protected:
    PinMap map = DefaultPinMap(PortKind::Ftdi);
    ScopedVirtualDelays delays;
    FakeFtdi adapter{delays.clock(), map};
};

TEST(FtdiPortChoiceTest, TheAdapterIsNamedFirstBySerialOrByUsbIds) {
    const struct {
        const char* text;
        bool valid;
        const char* serial;
        int vendor;
        int product;
    } rows[] = {
        {"ftdi", true, "", 0, 0},
        {"FTDI:A6008xyz", true, "A6008xyz", 0, 0},
        {"ftdi:0403:6014", true, "", 0x0403, 0x6014},
        {"ftdi:403:6FFF", true, "", 0x0403, 0x6FFF},
        {"ftdi:", false, "", 0, 0},
        {"ftdi:0403:", false, "", 0, 0},
        {"ftdi:0403:60010", false, "", 0, 0},
        {"ftdi:0:6001", false, "", 0, 0},
        {"ftdi:xy:6001", false, "", 0, 0},
    };
    for (const auto& row : rows) {
        const std::optional<PortChoice> choice = ParsePortChoice(row.text);
        ASSERT_EQ(choice.has_value(), row.valid) << row.text;
        if (!row.valid) {
            continue;
        }
        EXPECT_EQ(choice->kind, PortChoice::Kind::Ftdi) << row.text;
        EXPECT_EQ(PinsOf(*choice), PortKind::Ftdi);
        EXPECT_EQ(choice->ftdi.serial, row.serial) << row.text;
        EXPECT_EQ(choice->ftdi.vendor, row.vendor) << row.text;
        EXPECT_EQ(choice->ftdi.product, row.product) << row.text;
    }
}

// From plug-in to let go, the supplies are never on at the pins: the UART's state, the claim (the
// SIO reset only while the pins are the UART's, every pin an input until the resting byte is in
// the latch), a run, and the release, which gives the adapter back to its UART and the kernel's
// serial driver where the map allows it and otherwise leaves the supplies driven off.
TEST_F(FtdiPortTest, TheSuppliesAreOffFromPlugInToReleaseAndAfter) {
    PinMap onOutputs = map;
    onOutputs[BoardLine::Vdd] = Pin{2, true};  // ~RTS#: an output of the UART, high when idle
    const struct {
        const char* name;
        PinMap pins;
        bool givesBack;
    } rows[] = {{"default map", map, true}, {"vdd on ~RTS#", onOutputs, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFtdi fake(delays.clock(), row.pins);
        EXPECT_FALSE(fake.SupplyOn()) << "at plug-in";
        {
            FtdiPort port({}, row.pins, delays.clock(), &fake);
            ASSERT_TRUE(Opened(port)) << port.Status(0).text;
            EXPECT_FALSE(fake.suppliesWereOn) << "during the claim";
            EXPECT_EQ(fake.resets, 1);
            EXPECT_FALSE(fake.resetWhileDriving);
            EXPECT_EQ(fake.generatorBaud, 62'500) << "the rate set once bit-bang mode was on";
            EXPECT_EQ(port.GivesBackToSerial(), row.givesBack);
            port.Set(BothOn, true);
            port.Flush();
            EXPECT_TRUE(fake.SupplyOn());
        }
        EXPECT_FALSE(fake.SupplyOn()) << "after release";
        EXPECT_FALSE(fake.open);
        EXPECT_EQ(fake.contexts, 0);
        EXPECT_EQ(fake.bitbang, !row.givesBack);
        EXPECT_EQ(fake.kernelDriver, row.givesBack);
    }
}

// A queue left by a run is sent before the supplies are judged, and a port that failed is not
// claimed again by the last resort; the next access claims it anew, starting at rest.
TEST_F(FtdiPortTest, AFailedAdapterIsLetGoAndClaimedAnewAtRest) {
    const struct {
        bool unplugged;
        int samplesLost;
        const char* why;
    } rows[] = {{true, 0, "usb bulk write failed"}, {false, 1, "sent back"}};
    for (const auto& row : rows) {
        FakeFtdi fake(delays.clock(), map);
        FtdiPort port({}, map, delays.clock(), &fake);
        ASSERT_TRUE(Opened(port));
        port.Set(BothOn, true);
        fake.unplugged = row.unplugged;
        fake.samplesLost = row.samplesLost;
        const std::uint64_t ticket = port.QueueSample();
        try {
            port.TakeSample(ticket);
            ADD_FAILURE() << row.why;
        } catch (const PortFailure& failure) {
            EXPECT_NE(std::string(failure.what()).find(row.why), std::string::npos)
                << failure.what();
        }
        EXPECT_FALSE(fake.open) << row.why;
        if (!row.unplugged) {
            EXPECT_FALSE(fake.SupplyOn()) << "one byte with the supplies off before letting go";
        }
        EXPECT_THROW(port.TakeSample(ticket), PortFailure) << "its answer was lost";
        const int contexts = fake.contexts;
        port.SuppliesOffIfHeld();
        EXPECT_EQ(fake.contexts, contexts) << "the last resort claims nothing";
        fake.unplugged = false;
        fake.samplesLost = 0;
        fake.written.clear();
        port.Set(LinesAtRest, false);
        port.Flush();
        EXPECT_TRUE(fake.open) << "the next access claims it anew";
        ASSERT_FALSE(fake.written.empty());
        EXPECT_EQ(fake.written.front(), 0x0A) << "starting at rest, not with the last byte";
        EXPECT_FALSE(fake.SupplyOn());
    }
}

// The byte clock is measured at each claim: an adapter whose bytes come faster than the waits are
// counted at is refused; a slower one is used, its waits only longer.
TEST_F(FtdiPortTest, TheByteClockIsMeasuredAndAFasterOneRefused) {
    const struct {
        int chipType;
        double speedup;
        bool refused;
        std::int64_t atLeastNs;
    } rows[] = {{TYPE_R, 1.0, false, 1000},
                {TYPE_2232C, 1.1, false, 900},
                {TYPE_232H, 1.0, false, 3000},
                {TYPE_R, 3.0, true, 0},
                {TYPE_R, 1.5, true, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.speedup);
        FakeFtdi fake(delays.clock(), map);
        fake.chipType = row.chipType;
        fake.speedup = row.speedup;
        FtdiPort port({}, map, delays.clock(), &fake);
        EXPECT_EQ(Opened(port), !row.refused);
        if (row.refused) {
            EXPECT_NE(port.Status(0).text.find("faster than this program counts on"),
                      std::string::npos)
                << port.Status(0).text;
            EXPECT_FALSE(fake.open);
            continue;
        }
        EXPECT_GE(port.MeasuredByteNs(), row.atLeastNs);
        EXPECT_NE(port.Facts().find("a byte every"), std::string::npos) << port.Facts();
    }
}

TEST_F(FtdiPortTest, AWaitIsTheLastByteRepeatedForAQuarterMoreThanAsked) {
    const struct {
        std::int64_t waitNs;
        std::size_t bytes;  // the byte of the Set included
    } rows[] = {{100'000, 125}, {1, 1}, {1'500, 2}, {0, 1}, {-5, 1}};
    FtdiPort port({}, map, delays.clock(), &adapter);
    ASSERT_TRUE(Opened(port));
    for (const auto& row : rows) {
        adapter.written.clear();
        port.Set(BothOn, false);
        port.QueueWait(row.waitNs);
        port.Set(LinesAtRest, false);
        port.Flush();
        ASSERT_EQ(adapter.written.size(), row.bytes + 1) << row.waitNs;
    }
    // A batch's first wait cannot count on a byte before it.
    adapter.written.clear();
    port.QueueWait(2'000);
    port.Flush();
    EXPECT_EQ(adapter.written.size(), 3u);
}

// A sample is one more byte; a batch's samples come back in its one transfer, and the read-back
// shows the pins the outputs are on.
TEST_F(FtdiPortTest, SamplesAndTheReadBackComeFromThePins) {
    FtdiPort port({}, map, delays.clock(), &adapter);
    ASSERT_TRUE(Opened(port));
    const std::int64_t before = adapter.transfers;
    port.Set(OutputLines{true, false, false, false}, false);
    const std::uint64_t released = port.QueueSample();
    port.Set(LinesAtRest, false);
    const std::uint64_t low = port.QueueSample();
    EXPECT_EQ(port.TakeSample(low), 0);
    EXPECT_EQ(port.TakeSample(released), 1);
    EXPECT_EQ(adapter.transfers - before, 1) << "the whole batch in one transfer";
    EXPECT_THROW(port.TakeSample(low + 1), std::logic_error);
    port.Set(BothOn, true);
    EXPECT_EQ(port.ReadBack(), BothOn);
    port.Set(LinesAtRest, true);
    EXPECT_EQ(port.ReadBack(), LinesAtRest);
}

// The board is found on the adapter without powering the socket, and a whole chip goes through it
// in chunks no larger than the adapter's FIFO, each ending where a frame ends: the adapter never
// holds its pins inside a frame.
TEST_F(FtdiPortTest, AWholeChipIsReadInChunksThatEndBetweenFrames) {
    const ChipInfo& chip = *FindChip(4);
    SimulatedChip inserted = SimulatedChip::Factory(4, 0x5A);
    inserted.SetWord(5, 0x2ABC);
    adapter.Board().Insert(inserted);
    FtdiPort port({}, map, delays.clock(), &adapter);
    ProgrammerLink link(port, delays.clock());
    link.SetPins(map, PortKind::Ftdi);
    const BoardSearch search = ProbePort(link, port.Ports().front(), 0xFFFF);
    ASSERT_TRUE(search.board.has_value()) << DescribeProbes(search).front();
    EXPECT_EQ(PortPlace(*search.board), "FT232R A6008xyz");
    EXPECT_FALSE(adapter.suppliesWereOn) << "the probe powered the socket";

    const std::int64_t transfers = adapter.transfers;
    const std::int64_t started = delays.clock().Now();
    const std::vector<std::uint16_t> words =
        ReadProgramWords(link, chip.family, chip.memoryWords, [](int) {});
    ASSERT_EQ(words.size(), static_cast<std::size_t>(chip.memoryWords));
    EXPECT_EQ(words[5] & 0x3FFF, 0x2ABC);
    EXPECT_LT(adapter.transfers - transfers, chip.memoryWords * 2);
    EXPECT_LE(adapter.largestWrite, static_cast<int>(FakeFtdi::Fifo));
    EXPECT_EQ(adapter.holds, 0);
    EXPECT_FALSE(adapter.SupplyOn());
    EXPECT_TRUE(adapter.Board().Errors().empty()) << adapter.Board().Errors().front();
    std::printf("12C672 read: %lld transfers, %.1f ms at the adapter's clock\n",
                static_cast<long long>(adapter.transfers - transfers),
                static_cast<double>(delays.clock().Now() - started) / 1e6);
}

// The chip maker's algorithm through the adapter, at its documented clock and at clocks faster
// than that but not refused: every pulse reaches the chip at its full length.
TEST_F(FtdiPortTest, PulsesReachTheChipAtFullLengthOnAnyClockTheAdapterIsUsedAt) {
    const ChipInfo& chip = *FindChip(4);
    for (double speedup : {1.0, 1.1}) {
        SCOPED_TRACE(speedup);
        FakeFtdi fake(delays.clock(), map);
        fake.speedup = speedup;
        fake.Board().Insert(SimulatedChip::Factory(4, 0x5A));
        FtdiPort port({}, map, delays.clock(), &fake);
        ProgrammerLink link(port, delays.clock());
        link.SetPins(map, PortKind::Ftdi);
        ASSERT_TRUE(ProbePort(link, port.Ports().front(), 0xFFFF).board.has_value());
        std::vector<std::uint32_t> image(0x2100, 0x3FFF);
        for (int i = 0; i < chip.memoryWords - 1; ++i) {
            image[static_cast<std::size_t>(i)] = 0x0123u + static_cast<std::uint32_t>(i % 7);
        }
        const std::int64_t transfers = fake.transfers;
        const std::int64_t started = delays.clock().Now();
        const ProgramResult result =
            ProgramChip(link, chip, Algorithm::Fast, image.data(), true, false, [](int) {});
        std::printf("12C672 --fast program: %lld transfers, %.1f ms at the adapter's clock\n",
                    static_cast<long long>(fake.transfers - transfers),
                    static_cast<double>(delays.clock().Now() - started) / 1e6);
        EXPECT_EQ(result.errors, 0);
        EXPECT_EQ(fake.Board().Chip()->Word(10), 0x0123 + 10 % 7);
        EXPECT_TRUE(fake.Board().Errors().empty()) << fake.Board().Errors().front();
        const auto& pulses = fake.Board().Chip()->Pulses();
        ASSERT_FALSE(pulses.empty());
        for (const SimulatedChip::Pulse& pulse : pulses) {
            ASSERT_GE(pulse.durationNs, SimulatedChip::MinimumPulseNs) << "at " << pulse.address;
        }
        EXPECT_FALSE(fake.SupplyOn());
    }
}

TEST_F(FtdiPortTest, EachClaimProblemIsReportedWithWhatToDoAndNothingIsDriven) {
    const struct {
        const char* port;  // the FtdiChoice: serial, or empty
        bool attached;
        int openResult;
        int chipType;
        PortProblem problem;
        const char* text;
        const char* fix;
    } rows[] = {
        {"", false, 0, TYPE_R, PortProblem::NoDevice, "no FTDI adapter found", "plug in"},
        {"B0001", true, 0, TYPE_R, PortProblem::NoDevice,
         "no FTDI adapter with serial number B0001 (there are A6008xyz)", "ftdi:SERIAL"},
        {"", true, -4, TYPE_R, PortProblem::PermissionDenied, "permission denied on the FTDI",
         "udev rule"},
        {"", true, -5, TYPE_R, PortProblem::Busy, "the FTDI adapter is busy", "rmmod ftdi_sio"},
        {"", true, 0, TYPE_BM, PortProblem::Refused,
         "the FT232BM A6008xyz has no synchronous bit-bang mode", "FT232R"},
    };
    for (const auto& row : rows) {
        FakeFtdi calls(delays.clock(), map);
        if (!row.attached) {
            calls.attached.clear();
        }
        calls.openResult = row.openResult;
        calls.chipType = row.chipType;
        FtdiChoice choice;
        choice.serial = row.port;
        FtdiPort port(choice, map, delays.clock(), &calls);
        EXPECT_FALSE(Opened(port)) << row.text;
        EXPECT_THROW(port.Set(BothOn, true), PortFailure) << row.text;
        const PortStatus status = port.Status(0);
        EXPECT_EQ(status.problem, row.problem) << row.text;
        EXPECT_EQ(status.text.rfind(row.text, 0), 0u) << status.text;
        EXPECT_NE(status.fix.find(row.fix), std::string::npos) << status.fix;
        EXPECT_FALSE(calls.open) << row.text;
        EXPECT_EQ(calls.contexts, 0) << row.text;
        EXPECT_TRUE(calls.written.empty()) << row.text << ": nothing may be driven";
    }
}

}  // namespace
