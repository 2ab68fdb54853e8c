// The chip's pin side: power sequencing into program mode, and the serial interface decoded one
// clock edge at a time.
#include <cstdio>
#include <string>

#include "sim/SimChipModels.h"
#include "sim/SimulatedChip.h"

namespace {

// Command codes as the chip decodes them (6 bits on the wire).
constexpr int LoadConfigurationCode = 0;
constexpr int LoadDataCode = 2;
constexpr int ReadDataCode = 4;
constexpr int IncrementAddressCode = 6;
constexpr int BeginProgrammingCode = 8;
constexpr int EndProgrammingCode = 14;

constexpr int CommandCycles = 6;
constexpr int FrameCycles = 16;
constexpr int DataBits = 14;

// The chip's minimum times, in nanoseconds.
constexpr std::int64_t MinimumClockHighNs = 100;
constexpr std::int64_t MinimumCommandGapNs = 1'000;
constexpr std::int64_t MinimumDataSetupNs = 100;
constexpr std::int64_t MinimumDataHoldNs = 100;
constexpr std::int64_t MaximumSupplyGapNs = 9'000'000;

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string Ns(std::int64_t nanoseconds) {
    return std::to_string(nanoseconds) + " ns";
}

}  // namespace

void SimulatedChip::ApplyPins(const SimPins& pins, std::int64_t nowNs) {
    const SimPins before = pins_;
    const int lineBefore = DataLine();
    const bool wasInProgramMode = programMode_;
    ApplySupplies(pins, nowNs);
    pins_ = pins;
    if (!wasInProgramMode || !programMode_) {
        return;
    }
    const bool dataChanged = pins.dataLow != before.dataLow;
    if (dataChanged) {
        if (nowNs - latchedAt_ < MinimumDataHoldNs) {
            AddError(SimError::DataHold, "data changed " + Ns(nowNs - latchedAt_) +
                                             " after the falling clock edge, less than 100 ns");
        }
        dataChangedAt_ = nowNs;
    }
    if (pins.clockHigh == before.clockHigh) {
        return;
    }
    if (pins.clockHigh) {
        // The chip latches on the falling edge: data may change with the rising one.
        OnRisingEdge(nowNs);
        return;
    }
    if (dataChanged) {
        // No set-up or hold time at all.
        AddError(SimError::EdgeWithData, "data changed in the same write as a falling clock edge");
    } else if (frame_ != Frame::ReadOut && nowNs - dataChangedAt_ < MinimumDataSetupNs) {
        AddError(SimError::DataSetup, "data changed " + Ns(nowNs - dataChangedAt_) +
                                          " before the falling clock edge, less than 100 ns");
    }
    OnFallingEdge(lineBefore, nowNs);
}

void SimulatedChip::ApplySupplies(const SimPins& pins, std::int64_t nowNs) {
    const bool vddJustOn = pins.vdd && !pins_.vdd;
    const bool vppJustOn = pins.vpp && !pins_.vpp;
    if (vddJustOn) {
        vddOnAt_ = nowNs;
    }
    if (vppJustOn) {
        vppOnAt_ = nowNs;
    }
    if (!pins.vdd || !pins.vpp) {
        if (programMode_) {
            LeaveProgramMode(nowNs);
        }
        return;
    }
    if (vddJustOn || vppJustOn) {
        TryEnterProgramMode(pins, vddJustOn, vppJustOn, nowNs);
    }
}

void SimulatedChip::TryEnterProgramMode(const SimPins& pins, bool vddJustOn, bool vppJustOn,
                                        std::int64_t nowNs) {
    if (vddJustOn && vppJustOn) {
        AddError(SimError::SupplyOrder, "both supplies came on in the same write");
        return;
    }
    const bool vddFirst = vppJustOn;
    if (vddFirst == is14Bit_) {
        AddError(SimError::SupplyOrder,
                 is14Bit_
                     ? "switch A (VDD) came on first; a 14-bit chip wants switch B (VPP) first"
                     : "switch B (VPP) came on first; a 12-bit chip wants switch A (VDD) first");
        return;
    }
    if (pins.clockHigh || !pins.dataLow) {
        AddError(SimError::EntryLines,
                 "data and clock were not both low when the supplies came on");
        return;
    }
    if (!is14Bit_ && nowNs - vddOnAt_ > MaximumSupplyGapNs) {
        AddError(SimError::SupplyGap, "switch B (VPP) followed switch A (VDD) after " +
                                          Ns(nowNs - vddOnAt_) + ", more than 9 ms");
    }
    programMode_ = true;
    ++entries_;
    ++powerUps_;
    address_ = is14Bit_ ? 0 : SimMap::Core12Config;
    latch_ = SimMap::Core14Erased;
    frame_ = Frame::Command;
    cycle_ = 0;
    shift_ = 0;
    pulseOn_ = false;
    dataOut_ = -1;
}

void SimulatedChip::LeaveProgramMode(std::int64_t nowNs) {
    if (pulseOn_) {
        AddError(SimError::PulseCut, "supplies went off during the programming pulse at " +
                                         Hex(pulseAddress_) + " after " + Ns(nowNs - pulseStart_));
        pulseOn_ = false;
    }
    programMode_ = false;
    dataOut_ = -1;
    frame_ = Frame::Command;
    cycle_ = 0;
    shift_ = 0;
}

void SimulatedChip::OnRisingEdge(std::int64_t nowNs) {
    risingAt_ = nowNs;
    if (frame_ != Frame::Command && cycle_ == 0 && nowNs - commandEndAt_ < MinimumCommandGapNs) {
        AddError(SimError::CommandGap,
                 "frame began " + Ns(nowNs - commandEndAt_) + " after its command, less than 1 us");
    }
    if (frame_ == Frame::ReadOut) {
        // Cycle 0 is the start bit; data bit i goes out in cycle i + 1; the stop bit is left to
        // the board's pull-up.
        if (cycle_ >= 1 && cycle_ <= DataBits) {
            dataOut_ = (readValue_ >> (cycle_ - 1)) & 1;
        } else {
            dataOut_ = -1;
        }
    }
}

void SimulatedChip::OnFallingEdge(int data, std::int64_t nowNs) {
    if (nowNs - risingAt_ < MinimumClockHighNs) {
        AddError(SimError::ClockHighTooShort,
                 "clock was high for " + Ns(nowNs - risingAt_) + ", less than 100 ns");
    }
    if (frame_ != Frame::ReadOut) {
        shift_ |= static_cast<std::uint32_t>(data) << cycle_;
        latchedAt_ = nowNs;
    }
    ++cycle_;
    if (frame_ == Frame::Command && cycle_ == CommandCycles) {
        const int code = static_cast<int>(shift_);
        cycle_ = 0;
        shift_ = 0;
        RunCommand(code, nowNs);
    } else if (frame_ != Frame::Command && cycle_ == FrameCycles) {
        FinishFrame();
    }
}

void SimulatedChip::FinishFrame() {
    if (frame_ == Frame::DataIn) {
        latch_ = static_cast<std::uint16_t>((shift_ >> 1) & SimMap::Core14Erased);
        if (frameCommand_ == LoadConfigurationCode) {
            address_ = SimMap::Core14IdBase;
        }
    }
    dataOut_ = -1;
    frame_ = Frame::Command;
    cycle_ = 0;
    shift_ = 0;
}

void SimulatedChip::RunCommand(int code, std::int64_t nowNs) {
    switch (code) {
        case LoadConfigurationCode:
            // Not a command of the 12-bit chips: ignored there, and no frame follows.
            if (!is14Bit_) {
                return;
            }
            [[fallthrough]];
        case LoadDataCode:
            frame_ = Frame::DataIn;
            frameCommand_ = code;
            commandEndAt_ = nowNs;
            return;
        case ReadDataCode:
            reads_.push_back(address_);
            readValue_ = ReadableWord(address_);
            if (unsteady_.count(address_) != 0) {
                // A bit both families have, another one at each power-up.
                readValue_ ^= static_cast<std::uint16_t>(1u << (powerUps_ % 12));
            }
            frame_ = Frame::ReadOut;
            frameCommand_ = code;
            commandEndAt_ = nowNs;
            return;
        case IncrementAddressCode:
            Increment();
            return;
        case BeginProgrammingCode:
            pulseOn_ = true;
            pulseStart_ = nowNs;
            pulseAddress_ = address_;
            pulseData_ = latch_;
            return;
        case EndProgrammingCode:
            EndPulse(nowNs);
            return;
        default:
            return;
    }
}

void SimulatedChip::Increment() {
    if (!is14Bit_) {
        address_ = (address_ + 1) & SimMap::Core12AddressMask;
        return;
    }
    // Two 8K spaces; the counter wraps within the one it is in.
    const int space = address_ & SimMap::Core14IdBase;
    address_ = space | ((address_ + 1) & (SimMap::Core14IdBase - 1));
}

void SimulatedChip::EndPulse(std::int64_t nowNs) {
    if (!pulseOn_) {
        return;
    }
    pulseOn_ = false;
    const std::int64_t duration = nowNs - pulseStart_;
    const bool effective = duration >= MinimumPulseNs;
    const int index = CellIndex(pulseAddress_);
    const bool margin = index >= 0 && cells_[index] == (pulseData_ & Erased());
    pulses_.push_back({pulseAddress_, pulseData_, duration, effective, margin});
    if (!effective) {
        AddError(SimError::PulseTooShort, "pulse at " + Hex(pulseAddress_) + " lasted " +
                                              Ns(duration) + ", less than 100 us");
        return;
    }
    if (index < 0 || neverPrograms_.count(pulseAddress_) != 0) {
        return;
    }
    const int count = ++effectivePulses_[pulseAddress_];
    const auto needed = pulsesNeeded_.find(pulseAddress_);
    if (count >= (needed == pulsesNeeded_.end() ? 1 : needed->second)) {
        // One-time programmable: a pulse can only clear bits.
        cells_[index] &= pulseData_ & Erased();
    }
}
