#include <gtest/gtest.h>

#include "chip/ChipReads.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"
#include "link/Detection.h"
#include "link/FtdiPortIo.h"
#include "link/PortChoice.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakeFtdi.h"

namespace {

constexpr std::uint16_t Data = FtdiPortIo::Base;
constexpr std::uint16_t Status = FtdiPortIo::Base + 1;
// On the default wiring: D0 set drives the data line low, and the board returns it on ~D4.
constexpr std::uint8_t DataLow = 0x01;
constexpr std::uint8_t ReturnsLow = 0x10;

class FtdiPortIoTest : public ::testing::Test {
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

TEST_F(FtdiPortIoTest, ClaimsAtRestInSynchronousModeAndGivesBackWithSuppliesOff) {
    {
        FtdiPortIo io({}, map, &adapter);
        ASSERT_EQ(io.Ports().front().device, "FT232R A6008xyz");
        EXPECT_EQ(adapter.openedWith.serial, "A6008xyz");
        EXPECT_EQ(adapter.bitmode, BITMODE_SYNCBB);
        EXPECT_EQ(adapter.mask, 0x0F) << "the return pin D4 is an input";
        EXPECT_EQ(adapter.baud, FtdiPortIo::BitBangBaud);
        // Data and clock low through the board's inverters, supplies off.
        EXPECT_EQ(adapter.written, std::vector<std::uint8_t>{0x03});
        io.Out(Data, 0x07);
        io.Flush();
    }
    EXPECT_EQ(adapter.written.back(), 0x03) << "vdd switched off before the pins are let go";
    EXPECT_FALSE(adapter.open);
    EXPECT_EQ(adapter.contexts, 0);
}

TEST_F(FtdiPortIoTest, AWaitIsTheLastByteRepeatedForAtLeastThatLong) {
    const struct {
        std::int64_t waitNs;
        std::size_t bytes;  // the write's own byte included
    } rows[] = {{100'000, 100}, {1, 1}, {1'500, 2}, {0, 1}, {-5, 1}};
    for (const auto& row : rows) {
        FtdiPortIo io({}, map, &adapter);
        io.In(Data);
        adapter.written.clear();
        io.Out(Data, 0x07);
        io.QueueWait(row.waitNs);
        io.Out(Data, 0x03);
        io.Flush();
        ASSERT_EQ(adapter.written.size(), row.bytes + 1) << row.waitNs;
        EXPECT_EQ(std::count(adapter.written.begin(), adapter.written.end(), 0x07),
                  static_cast<long>(row.bytes))
            << row.waitNs;
    }
    // A batch's first wait cannot count on a byte before it.
    FtdiPortIo io({}, map, &adapter);
    io.In(Data);
    adapter.written.clear();
    io.QueueWait(3'000);
    io.Flush();
    EXPECT_EQ(adapter.written.size(), 3u);
}

TEST_F(FtdiPortIoTest, AReadAnswersWithTheLinesAsTheWriteBeforeItLeftThem) {
    FtdiPortIo io({}, map, &adapter);
    io.In(Data);
    const std::int64_t before = adapter.transfers;
    io.Out(Data, 0x03 | DataLow);
    const std::uint64_t low = io.QueueIn(Status);
    io.Out(Data, 0x03 & ~DataLow);
    const std::uint64_t released = io.QueueIn(Status);
    const std::uint64_t shadow = io.QueueIn(Data);
    EXPECT_LT(low, released);
    EXPECT_EQ(io.TakeIn(released) & ReturnsLow, 0);
    EXPECT_EQ(io.TakeIn(low) & ReturnsLow, ReturnsLow);
    EXPECT_EQ(io.TakeIn(shadow), 0x02);
    EXPECT_EQ(adapter.transfers - before, 1) << "the whole batch in one transfer";
    EXPECT_EQ(adapter.written.size(), 5u) << "the rest byte, two writes and a byte per read";
    // Taken again after the next batch: the caller's error.
    io.In(Status);
    EXPECT_THROW(io.TakeIn(low), std::logic_error);
    EXPECT_EQ(io.In(0x378), 0xFF) << "no other address is served";
}

TEST_F(FtdiPortIoTest, ALongBatchGoesInChunksTheAdapterCanHoldAndAnswersFromTheRightOne) {
    const struct {
        int chipType;
        int chunk;
    } rows[] = {{TYPE_R, 256}, {TYPE_2232C, 384}, {TYPE_232H, 1024}};
    for (const auto& row : rows) {
        adapter.chipType = row.chipType;
        adapter.largestWrite = 0;
        FtdiPortIo io({}, map, &adapter);
        io.In(Data);
        const std::int64_t before = adapter.transfers;
        io.Out(Data, 0x03);
        io.QueueWait(2'000'000);
        io.Out(Data, 0x03 | DataLow);
        const std::uint64_t ticket = io.QueueIn(Status);
        EXPECT_EQ(io.TakeIn(ticket) & ReturnsLow, ReturnsLow);
        EXPECT_EQ(adapter.largestWrite, row.chunk);
        EXPECT_EQ(adapter.transfers - before, (2'002 + row.chunk - 1) / row.chunk);
    }
}

TEST_F(FtdiPortIoTest, EachClaimProblemIsReportedWithWhatToDoAndNothingStaysOpen) {
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
        FtdiPortIo io(choice, map, &calls);
        EXPECT_EQ(io.In(Status), 0xFF) << row.text;
        io.Out(Data, 0x0C);
        io.Flush();
        const PortStatus status = io.Status(FtdiPortIo::Base);
        EXPECT_EQ(status.problem, row.problem) << row.text;
        EXPECT_EQ(status.text.rfind(row.text, 0), 0u) << status.text;
        EXPECT_NE(status.fix.find(row.fix), std::string::npos) << status.fix;
        EXPECT_FALSE(calls.open) << row.text;
        EXPECT_EQ(calls.contexts, 0) << row.text;
        EXPECT_TRUE(calls.written.empty()) << row.text << ": nothing may be driven";
    }
}

TEST_F(FtdiPortIoTest, AnAdapterThatFailsWhileDrivenThrowsLetsGoAndIsClaimedAnewLater) {
    const struct {
        bool unplugged;
        int samplesLost;
        const char* why;
    } rows[] = {{true, 0, "usb bulk write failed"}, {false, 1, "sent back 1 of 2 samples"}};
    for (const auto& row : rows) {
        FakeFtdi calls(delays.clock(), map);
        FtdiPortIo io({}, map, &calls);
        io.Out(Data, 0x07);
        calls.unplugged = row.unplugged;
        calls.samplesLost = row.samplesLost;
        const std::uint64_t ticket = io.QueueIn(Status);
        try {
            io.TakeIn(ticket);
            ADD_FAILURE() << row.why;
        } catch (const PortFailure& failure) {
            EXPECT_NE(std::string(failure.what()).find(row.why), std::string::npos)
                << failure.what();
        }
        EXPECT_FALSE(calls.open) << row.why;
        EXPECT_EQ(calls.contexts, 0) << row.why;
        EXPECT_THROW(io.TakeIn(ticket), PortFailure) << "its answer was lost";
        calls.unplugged = false;
        calls.samplesLost = 0;
        io.Out(Data, 0x03);
        EXPECT_TRUE(calls.open) << "the next access claims it anew";
    }
}

TEST_F(FtdiPortIoTest, TheBoardIsFoundAndItsFramesReachTheChipAtTheAdaptersRate) {
    adapter.Board().Insert(SimulatedChip::Factory(4, 0x5A));
    FtdiPortIo io({}, map, &adapter);
    ProgrammerLink link(io, delays.clock());
    link.SetPins(map, PortKind::Ftdi);
    const BoardSearch search = ProbePort(link, io.Ports().front(), 0xFFFF);
    ASSERT_TRUE(search.board.has_value()) << DescribeProbes(search).front();
    EXPECT_EQ(PortPlace(*search.board), "FT232R A6008xyz");

    adapter.Board().ClearRecords();
    const std::int64_t before = adapter.transfers;
    std::uint16_t read = 0;
    {
        PoweredChip powered(link, FamilyOf(4), StartAt::AddressZero);
        SendCommand(link, LoadData);
        SendDataWord(link, 0x2A5F);
        SendCommand(link, ReadData);
        read = ReadDataWord(link);
        powered.PowerDown();
    }
    EXPECT_EQ(read & 0x3FFF, 0x3FFF) << "loaded, not programmed: the chip is blank";
    EXPECT_FALSE(adapter.Board().SupplyA() || adapter.Board().SupplyB());
    EXPECT_TRUE(adapter.Board().Errors().empty()) << adapter.Board().Errors().front();
    // The power-up's pauses each send what is queued; the read frame's sixteen samples come back
    // with one transfer, not sixteen.
    EXPECT_LE(adapter.transfers - before, 10);
}

}  // namespace

namespace {

// A whole 12C672 read through the adapter, both passes: the words arrive whole, in far fewer
// transfers than words.
TEST_F(FtdiPortIoTest, AWholeChipIsReadThroughTheAdapter) {
    const ChipInfo& chip = *FindChip(4);
    SimulatedChip inserted = SimulatedChip::Factory(4, 0x5A);
    inserted.SetWord(5, 0x2ABC);
    adapter.Board().Insert(inserted);
    FtdiPortIo io({}, map, &adapter);
    ProgrammerLink link(io, delays.clock());
    link.SetPins(map, PortKind::Ftdi);
    ASSERT_TRUE(ProbePort(link, io.Ports().front(), 0xFFFF).board.has_value());
    adapter.Board().ClearRecords();  // the probe powers up the 12-bit way
    const std::int64_t transfers = adapter.transfers;
    const std::size_t bytes = adapter.written.size();
    const std::vector<std::uint16_t> words =
        ReadProgramWords(link, chip.family, chip.memoryWords, [](int) {});
    ASSERT_EQ(words.size(), static_cast<std::size_t>(chip.memoryWords));
    EXPECT_EQ(words[5] & 0x3FFF, 0x2ABC);
    // Both passes, each a block of words a transfer (or a few, in chunks the adapter holds).
    EXPECT_LT(adapter.transfers - transfers, chip.memoryWords);
    EXPECT_TRUE(adapter.Board().Errors().empty()) << adapter.Board().Errors().front();
    std::printf(
        "12C672 read: %lld transfers, %zu bytes, %.1f ms at the adapter's rate\n",
        static_cast<long long>(adapter.transfers - transfers), adapter.written.size() - bytes,
        static_cast<double>(adapter.written.size() - bytes) * FtdiPortIo::BytePeriodNs / 1e6);
}

// The chip maker's algorithm through the adapter: its pulses, held by the adapter's clock, reach
// the chip as long as they were meant to (the simulated chip refuses short ones).
TEST_F(FtdiPortIoTest, AChipIsProgrammedFastThroughTheAdapter) {
    const ChipInfo& chip = *FindChip(4);
    adapter.Board().Insert(SimulatedChip::Factory(4, 0x5A));
    FtdiPortIo io({}, map, &adapter);
    ProgrammerLink link(io, delays.clock());
    link.SetPins(map, PortKind::Ftdi);
    ASSERT_TRUE(ProbePort(link, io.Ports().front(), 0xFFFF).board.has_value());
    adapter.Board().ClearRecords();
    // Every slot the programming reads, the configuration word's (0x2007) included.
    std::vector<std::uint32_t> image(0x2100, 0x3FFF);
    for (int i = 0; i < chip.memoryWords - 1; ++i) {
        image[static_cast<std::size_t>(i)] = 0x0123u + static_cast<std::uint32_t>(i % 7);
    }
    const std::int64_t transfers = adapter.transfers;
    const std::size_t bytes = adapter.written.size();
    const ProgramResult result =
        ProgramChip(link, chip, Algorithm::Fast, image.data(), true, false, [](int) {});
    EXPECT_EQ(result.errors, 0);
    EXPECT_EQ(adapter.Board().Chip()->Word(100), 0x0123 + 100 % 7);
    EXPECT_TRUE(adapter.Board().Errors().empty()) << adapter.Board().Errors().front();
    // The pulses as the adapter's clock made them: 100 us of held bytes and the EndProgramming
    // command's clocks, whatever the host did meanwhile.
    const auto& pulses = adapter.Board().Chip()->Pulses();
    ASSERT_FALSE(pulses.empty());
    for (const SimulatedChip::Pulse& pulse : pulses) {
        ASSERT_GE(pulse.durationNs, SimulatedChip::MinimumPulseNs);
        ASSERT_LT(pulse.durationNs, 120'000) << "at " << pulse.address;
    }
    std::printf(
        "12C672 --fast program: %lld transfers, %zu bytes, %.1f ms at the adapter's rate\n",
        static_cast<long long>(adapter.transfers - transfers), adapter.written.size() - bytes,
        static_cast<double>(adapter.written.size() - bytes) * FtdiPortIo::BytePeriodNs / 1e6);
}

}  // namespace
