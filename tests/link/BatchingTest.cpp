#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "chip/ChipReads.h"
#include "chip/ChipSession.h"
#include "chip/ProgrammingAlgorithm.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/SimulatedBoard.h"
#include "sim/SlowPort.h"
#include "sim/VirtualDelays.h"
#include "tests/support/BatchingPort.h"
#include "tests/support/FaultyPort.h"
#include "tests/support/HookedPort.h"

namespace {

using Call = BatchingPort::Call;

// The board over a batching backend, in front of the simulated chip.
class BatchingTest : public ::testing::Test {
protected:
    void SetUp() override { board.Insert(SimulatedChip::Factory(3, 0x5A)); }

    ScopedVirtualDelays delays;
    SimulatedBoard board{[this] { return delays.clock().Now(); }};
    BatchingPort port{board, delays.clock()};
    ProgrammerLink link{port, delays.clock(), 0x378};
};

TEST_F(BatchingTest, AReadFrameIsOneTransferWithItsSixteenSamples) {
    board.Chip()->SetWord(0, 0x1234);
    PoweredChip powered(link, Core14, StartAt::AddressZero);
    SendCommand(link, ReadData);
    link.Flush();
    port.ClearRecords();
    EXPECT_EQ(ReadDataWord(link) & 0x3FFF, 0x1234);
    const auto& records = port.Records();
    const auto flush = std::find_if(records.begin(), records.end(),
                                    [](const auto& record) { return record.call == Call::Flush; });
    ASSERT_NE(flush, records.end());
    // Everything of the frame is queued before the one transfer, and only taken after it.
    const auto queued = std::count_if(
        records.begin(), flush, [](const auto& record) { return record.call == Call::QueueIn; });
    EXPECT_EQ(queued, 16);
    EXPECT_EQ(port.Count(Call::Flush), 1);
    EXPECT_EQ(port.Count(Call::In), 0);
    EXPECT_EQ(std::count_if(flush, records.end(),
                            [](const auto& record) { return record.call == Call::TakeIn; }),
              16);
    EXPECT_EQ(delays.clock().WaitedUntilNs(), 0) << "a frame's wait timed on the host's clock";
    powered.PowerDown();
}

// A wait on the host's clock starts only once what came before it is on the wire; a pulse-long
// busy-wait is the adapter's to hold, queued with the frames around it.
TEST_F(BatchingTest, AWaitOnTheHostsClockSendsTheBatchFirst) {
    const struct {
        const char* name;
        std::function<void()> wait;
        bool queued;
    } rows[] = {
        {"pause", [this] { link.Pause(2); }, false},
        {"the 12-bit supply gap", [this] { link.BusyWait(65'536); }, false},
        {"a 100 us pulse", [this] { link.BusyWait(2'000); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ClockHigh(link);
        ClockLow(link);
        const std::int64_t before = delays.clock().Now();
        row.wait();
        ASSERT_FALSE(port.Records().empty());
        EXPECT_EQ(port.Records().back().call, row.queued ? Call::QueueWait : Call::Flush);
        if (!row.queued) {
            EXPECT_GT(delays.clock().Now(), before);
        }
    }
}

// Whole operations over the batching backend: the chip sees the timing it needs, every word
// lands and reads back, and the board ends powered down.
TEST_F(BatchingTest, ProgrammingAndReadingBackWorkOverABatchingBackend) {
    for (int chipType : {1, 3}) {
        const ChipInfo& chip = *FindChip(chipType);
        const std::uint16_t mask = chip.family.wordMask;
        std::vector<std::uint32_t> image(0x2100, 0xFFFF);
        for (int k = 0; k < 8; ++k) {
            image[static_cast<std::size_t>(k)] = (0x2A50u + static_cast<unsigned>(k)) & mask;
        }
        for (Algorithm algorithm : {Algorithm::Fast, Algorithm::Classic}) {
            SCOPED_TRACE(chip.name);
            board.Insert(SimulatedChip::Factory(chipType, 0x5A));
            const ProgramResult result =
                ProgramChip(link, chip, algorithm, image.data(), true, false, nullptr);
            EXPECT_EQ(result.errors, 0);
            const std::vector<std::uint16_t> words =
                ReadProgramWords(link, chip.family, 8, nullptr);
            for (int k = 0; k < 8; ++k) {
                EXPECT_EQ(words[static_cast<std::size_t>(k)] & mask,
                          image[static_cast<std::size_t>(k)])
                    << k;
            }
            EXPECT_FALSE(board.SupplyA() || board.SupplyB());
            const auto errors = board.Errors();
            EXPECT_TRUE(errors.empty()) << errors.front();
            EXPECT_EQ(port.Records().back().call, Call::Flush)
                << "the operation left writes queued";
        }
    }
}

// Every wrapper of a backend passes the batching calls to a batching backend it wraps; a wrapper
// that kept the defaults would read at once and make every wait a host wait.
TEST_F(BatchingTest, TheWrappersPassTheBatchingCallsOn) {
    FaultyPort faulty(port, FaultyPort::Fault::None, -1);
    HookedPort hooked(port, -1, [] {});
    SlowPort slow(port, delays.clock(), 0);
    const struct {
        const char* name;
        PortIo& wrapper;
    } rows[] = {{"faulty", faulty}, {"hooked", hooked}, {"slow", slow}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.ClearRecords();
        EXPECT_TRUE(row.wrapper.Batches());
        row.wrapper.QueueWait(100);
        const std::uint64_t ticket = row.wrapper.QueueIn(0x379);
        row.wrapper.TakeIn(ticket);
        row.wrapper.Flush();
        const std::vector<Call> expected{Call::QueueWait, Call::QueueIn, Call::Flush, Call::TakeIn,
                                         Call::Flush};
        std::vector<Call> calls;
        for (const auto& record : port.Records()) {
            calls.push_back(record.call);
        }
        EXPECT_EQ(calls, expected);
    }
}

}  // namespace
