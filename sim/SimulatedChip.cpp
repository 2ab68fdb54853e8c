#include "sim/SimulatedChip.h"

#include <algorithm>
#include <stdexcept>

#include "sim/SimChipModels.h"

const SimChipModel& SimChipModelFor(int chipType) {
    for (const SimChipModel& model : SimChipModels) {
        if (model.type == chipType) {
            return model;
        }
    }
    throw std::out_of_range("no simulated chip of type " + std::to_string(chipType));
}

int CountErrors(const std::vector<std::string>& errors, std::string_view tag) {
    return static_cast<int>(std::count_if(errors.begin(), errors.end(), [tag](const auto& error) {
        return std::string_view(error).substr(0, tag.size()) == tag;
    }));
}

SimulatedChip::SimulatedChip(int chipType)
    : type_(chipType),
      is14Bit_(SimChipModelFor(chipType).is14Bit),
      memoryWords_(SimChipModelFor(chipType).memoryWords),
      cells_(memoryWords_ + SimMap::IdWords + 1, Erased()) {}

SimulatedChip SimulatedChip::Factory(int chipType, std::uint8_t calibration) {
    SimulatedChip chip(chipType);
    // The factory stores the value as the instruction that loads it: MOVLW k or RETLW k.
    const std::uint16_t opcode = chip.Is14Bit() ? 0x3400 : 0x0C00;
    chip.SetWord(chip.MemoryWords() - 1, opcode | calibration);
    return chip;
}

int SimulatedChip::ConfigAddress() const {
    return is14Bit_ ? SimMap::Core14Config : SimMap::Core12Config;
}

int SimulatedChip::IdAddress() const {
    return is14Bit_ ? SimMap::Core14IdBase : memoryWords_;
}

std::uint16_t SimulatedChip::Erased() const {
    return is14Bit_ ? SimMap::Core14Erased : SimMap::Core12Erased;
}

int SimulatedChip::CellIndex(int address) const {
    if (address >= 0 && address < memoryWords_) {
        return address;
    }
    const int id = IdAddress();
    if (address >= id && address < id + SimMap::IdWords) {
        return memoryWords_ + (address - id);
    }
    if (address == ConfigAddress()) {
        return memoryWords_ + SimMap::IdWords;
    }
    return -1;
}

std::uint16_t SimulatedChip::Word(int address) const {
    const int index = CellIndex(address);
    if (index >= 0) {
        return cells_[index];
    }
    // The reserved words between the ID words and the configuration word read as erased.
    if (is14Bit_ && address > SimMap::Core14IdBase + 3 && address < SimMap::Core14Config) {
        return SimMap::Core14Erased;
    }
    return 0;
}

void SimulatedChip::SetWord(int address, std::uint16_t value) {
    const int index = CellIndex(address);
    if (index >= 0) {
        cells_[index] = value & Erased();
    }
}

bool SimulatedChip::CodeProtected() const {
    if (is14Bit_) {
        return (ConfigWord() & SimMap::Core14ProtectBits) != SimMap::Core14ProtectBits;
    }
    return (ConfigWord() & SimMap::Core12ProtectBit) == 0;
}

std::uint16_t SimulatedChip::ReadableWord(int address) const {
    const bool inProgramMemory = address >= 0 && address < memoryWords_;
    if (inProgramMemory && CodeProtected() &&
        (is14Bit_ || address >= SimMap::Core12UnprotectedWords)) {
        return 0;
    }
    // Cells are stored at the family's width, so a 12-bit word drives 0 on bits 12 and 13.
    return Word(address);
}

void SimulatedChip::SetNeverPrograms(int address) {
    neverPrograms_.insert(address);
}

void SimulatedChip::SetReadsUnsteadily(int address) {
    unsteady_.insert(address);
}

void SimulatedChip::SetPulsesNeeded(int address, int pulses) {
    pulsesNeeded_[address] = std::max(1, pulses);
}

SimulatedChip::WordPulses SimulatedChip::PulsesAt(int address) const {
    WordPulses counts;
    const std::uint16_t held = Word(address);
    for (const Pulse& pulse : pulses_) {
        if (pulse.address == address && pulse.effective && (pulse.data & Erased()) == held) {
            ++(pulse.margin ? counts.margin : counts.toTake);
        }
    }
    return counts;
}

void SimulatedChip::ClearRecords() {
    pulses_.clear();
    reads_.clear();
    errors_.clear();
    entries_ = 0;
}

void SimulatedChip::AddError(const char* tag, const std::string& detail) {
    errors_.push_back(std::string(tag) + ": " + detail);
}
