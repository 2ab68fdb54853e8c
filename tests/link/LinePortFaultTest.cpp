// One library call that goes wrong, at every call of a run, under the FTDI and GPIO backends (the
// fakes written from the adapter's and libgpiod's documents, with the simulated chip behind them):
// the claim, detection, programming a small program with the adaptive algorithm, and the release
// (every call of the claim and the probe, a fixed sample of the rest).
// Whatever the fault:
//   1. no supply is on at the pins once the run has returned, by any path;
//   2. none is on once the backend has let go (at the pins as the board's pull-downs leave them);
//   3. a run that reports success leaves the chip holding the file.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"
#include "link/Detection.h"
#include "link/FtdiPort.h"
#include "link/GpioPort.h"
#include "link/ProgrammerLink.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FakeFtdi.h"
#include "tests/support/FakeGpiod.h"

namespace {

constexpr int SmallWords = 2;
// Every call of the claim and the probe is tried; after them, a fixed sample of this many calls
// spread over the run, the same in every run.
constexpr int EveryCallUpTo = 60;
constexpr int SampledCalls = 120;

// The next call to try after k, of `calls`.
int NextCall(int k, int calls) {
    if (k < EveryCallUpTo) {
        return k + 1;
    }
    return k + std::max(1, (calls - EveryCallUpTo) / SampledCalls);
}

// A run on a board: true when it reported success; the chip is judged by the caller.
bool ProgramSmall(ProgrammerLink& link, LinePort& port, int chipType) {
    const ChipInfo& chip = *FindChip(chipType);
    if (!ProbePort(link, port.Ports().front(), 0xFFFF).board) {
        return false;
    }
    std::vector<std::uint32_t> image(0x2100, 0xFFFF);
    for (int i = 0; i < SmallWords; ++i) {
        image[static_cast<std::size_t>(i)] = 0x0123u + static_cast<std::uint32_t>(i);
    }
    const ProgramResult result =
        ProgramChip(link, chip, Algorithm::Fast, image.data(), true, false, [](int) {});
    return result.errors == 0;
}

std::string Violations(bool suppliesAfterRun, bool suppliesAfterRelease, bool succeeded,
                       const SimulatedChip* chip) {
    std::string found;
    if (suppliesAfterRun) {
        found += "a supply on after the run; ";
    }
    if (suppliesAfterRelease) {
        found += "a supply on after the release; ";
    }
    if (succeeded && chip != nullptr) {
        for (int i = 0; i < SmallWords; ++i) {
            if ((chip->Word(i) & 0x0FFF) != 0x0123 + i) {
                found += "success reported, word " + std::to_string(i) + " not the file's; ";
            }
        }
    }
    return found;
}

TEST(LinePortFaultTest, OneFailedAdapterCallAnywhereLeavesNoSupplyOnAndNoFalseSuccess) {
    const PinMap map = DefaultPinMap(PortKind::Ftdi);
    using Fault = FakeFtdi::Fault;
    int runs = 0;
    for (int chipType : {1, 4}) {
        for (Fault fault : {Fault::WriteFails, Fault::ReadFails, Fault::SampleLost}) {
            // A first run without a fault counts the calls.
            int calls = 0;
            for (int k = -1; k < calls; k = NextCall(k, calls)) {
                ScopedVirtualDelays delays;
                FakeFtdi fake(delays.clock(), map);
                fake.Board().Insert(SimulatedChip::Factory(chipType, 0x5A));
                fake.fault = fault;
                fake.failCall = k;
                bool succeeded = false;
                bool poweredAfterRun = false;
                {
                    FtdiPort port({}, map, delays.clock(), &fake);
                    ProgrammerLink link(port, delays.clock());
                    link.SetPins(map, PortKind::Ftdi);
                    try {
                        succeeded = ProgramSmall(link, port, chipType);
                    } catch (const PortFailure&) {
                    }
                    poweredAfterRun = fake.SupplyOn();
                }
                if (k == -1) {
                    calls = fault == Fault::WriteFails ? fake.writeCalls : fake.readCalls;
                    ASSERT_TRUE(succeeded);
                }
                ++runs;
                const std::string found =
                    Violations(poweredAfterRun, fake.SupplyOn(), succeeded, fake.Board().Chip());
                ASSERT_TRUE(found.empty())
                    << "chip " << chipType << ", fault " << static_cast<int>(fault) << " at call "
                    << k << ": " << found;
            }
        }
    }
    EXPECT_GT(runs, 300);
}

TEST(LinePortFaultTest, OneFailedGpioCallAnywhereLeavesNoSupplyOnAndNoFalseSuccess) {
    const PinMap map = DefaultPinMap(PortKind::Gpio);
    int runs = 0;
    for (int chipType : {1, 4}) {
        int calls = 0;
        for (int k = -1; k < calls; k = NextCall(k, calls)) {
            ScopedVirtualDelays delays;
            SimulatedBoard board([&delays] { return delays.clock().Now(); });
            board.Insert(SimulatedChip::Factory(chipType, 0x5A));
            FakeGpiod gpiod(map);
            gpiod.Wire(board);
            gpiod.failCall = k;
            bool succeeded = false;
            bool poweredAfterRun = false;
            {
                GpioPort port("/dev/gpiochip0", map, &gpiod);
                ProgrammerLink link(port, delays.clock());
                link.SetPins(map, PortKind::Gpio);
                try {
                    succeeded = ProgramSmall(link, port, chipType);
                } catch (const PortFailure&) {
                }
                poweredAfterRun = gpiod.Powered();
            }
            if (k == -1) {
                calls = gpiod.Calls();
                ASSERT_TRUE(succeeded);
            }
            ++runs;
            const std::string found =
                Violations(poweredAfterRun, gpiod.Powered() || gpiod.releasedPowered > 0, succeeded,
                           board.Chip());
            ASSERT_TRUE(found.empty())
                << "chip " << chipType << ", call " << k << " failed: " << found;
        }
    }
    EXPECT_GT(runs, 300);
}

}  // namespace
