#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "chip/ChipOperations.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"

// The chip operations on the simulated board and a virtual clock, one chip type per test
// (ChipType 1..4 as the parameter). The simulated chip is the judge of what reached it.
class ChipOpsTest : public ::testing::TestWithParam<int> {
protected:
    static constexpr std::size_t ImageSlots = 0x2100;

    void SetUp() override { Insert(SimulatedChip::Factory(GetParam(), 0x5A)); }

    const ChipInfo& Info() const { return *FindChip(GetParam()); }
    const ChipFamily& Family() const { return Info().family; }
    bool Is14Bit() const { return GetParam() >= 3; }
    int Calibration() const { return Info().calibrationAddress; }
    std::uint16_t Erased() const { return Family().wordMask; }
    std::uint16_t FactoryCalibration() const { return Is14Bit() ? 0x345A : 0x0C5A; }
    SimulatedChip& Socket() { return *board.Chip(); }

    void Insert(SimulatedChip chip) {
        board.Insert(std::move(chip));
        board.ClearRecords();
    }
    // Powered as the handlers do it: the family's sequence, then on to word 0 where it is needed.
    void PowerUp(bool toWordZero = true) {
        powered.emplace(link, Family(), toWordZero ? StartAt::AddressZero : StartAt::PowerUp);
        pausesBefore = delays.clock().Pauses().size();
    }
    // The pauses asked for since PowerUp.
    std::vector<int> PausesSincePowerUp() {
        const auto& all = delays.clock().Pauses();
        return {all.begin() + static_cast<std::ptrdiff_t>(pausesBefore), all.end()};
    }
    Progress Recorder() {
        positions.clear();
        return [this](int position) { positions.push_back(position); };
    }

    // A non-blank word of the family's width, different at neighbouring addresses.
    std::uint16_t Pattern(int address) const {
        const auto word = static_cast<std::uint16_t>((address * 0x2A5 + 0x13) & Erased());
        return word == Erased() ? 0 : word;
    }

    // Image words at addresses 0..count (one more than the cases, so that the word after the
    // last case shows programming went on); the chip's cell k needs pulsesNeeded(k) pulses, 0 for
    // a cell that never takes.
    void PlantWords(int count, const std::function<int(int)>& pulsesNeeded) {
        for (int k = 0; k <= count; ++k) {
            image[static_cast<std::size_t>(k)] = Pattern(k);
            if (k < count) {
                const int needed = pulsesNeeded(k);
                needed != 0 ? Socket().SetPulsesNeeded(k, needed) : Socket().SetNeverPrograms(k);
            }
        }
    }

    std::map<int, int> ReadsByAddress() {
        std::map<int, int> reads;
        for (int address : Socket().ReadAddresses()) {
            ++reads[address];
        }
        return reads;
    }
    std::map<int, std::vector<SimulatedChip::Pulse>> PulsesByAddress() {
        std::map<int, std::vector<SimulatedChip::Pulse>> pulses;
        for (const auto& pulse : Socket().Pulses()) {
            pulses[pulse.address].push_back(pulse);
        }
        return pulses;
    }

    // The bar after the k-th of `total` words is 100 * k / total, integer division.
    void ExpectProgressOver(int total) {
        ASSERT_EQ(positions.size(), static_cast<std::size_t>(total));
        for (int k = 1; k <= total; ++k) {
            ASSERT_EQ(positions[k - 1], 100 * k / total) << "after word " << k;
        }
    }
    void ExpectPoweredDownCleanly() {
        EXPECT_EQ(board.DataRegister() & 0x0C, 0) << "supplies left on";
        EXPECT_FALSE(board.InProgramMode());
        const auto errors = board.Errors();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }

    ScopedVirtualDelays delays;
    SimulatedBoard board{[this] { return delays.clock().Now(); }};
    ProgrammerLink link{board, delays.clock(), 0x378};
    std::vector<std::uint32_t> image = std::vector<std::uint32_t>(ImageSlots, 0xFFFF);
    std::vector<int> positions;
    std::size_t pausesBefore = 0;
    std::optional<PoweredChip> powered;
};
