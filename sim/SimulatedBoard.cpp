#include "sim/SimulatedBoard.h"

#include <utility>

SimulatedBoard::SimulatedBoard(std::function<std::int64_t()> nowNanoseconds, std::uint16_t base,
                               const PinMap& pins)
    : now_(std::move(nowNanoseconds)), base_(base), bits_(BitsOf(pins, PortKind::Parallel)) {}

std::uint8_t SimulatedBoard::In(std::uint16_t address) {
    ++reads_;
    if (address == base_) {
        return data_;
    }
    if (address != base_ + 1) {
        return 0xFF;
    }
    bool ack = false;
    switch (loopback_) {
        case Loopback::Working:
            ack = (DataLine() == 1) != bits_.returnInverted;
            break;
        case Loopback::AckStuckLow:
            ack = false;
            break;
        case Loopback::AckStuckHigh:
            ack = true;
            break;
    }
    return static_cast<std::uint8_t>((StatusIdle & ~bits_.ret) | (ack ? bits_.ret : 0));
}

void SimulatedBoard::Out(std::uint16_t address, std::uint8_t value) {
    ++writes_;
    if (address != base_) {
        return;
    }
    data_ = value;
    UpdateChip();
}

void SimulatedBoard::Insert(SimulatedChip chip) {
    chip_.emplace(std::move(chip));
    contention_ = false;
    UpdateChip();
}

void SimulatedBoard::Remove() {
    chip_.reset();
    contention_ = false;
}

SimulatedChip* SimulatedBoard::Chip() {
    return chip_ ? &*chip_ : nullptr;
}

bool SimulatedBoard::InProgramMode() const {
    return chip_ && chip_->InProgramMode();
}

int SimulatedBoard::DataLine() const {
    if (chip_) {
        return chip_->DataLine();
    }
    return bits_.High(data_, bits_.data) ? 1 : 0;
}

std::vector<std::string> SimulatedBoard::Errors() const {
    std::vector<std::string> all = errors_;
    if (chip_) {
        all.insert(all.end(), chip_->Errors().begin(), chip_->Errors().end());
    }
    return all;
}

void SimulatedBoard::ClearRecords() {
    errors_.clear();
    reads_ = 0;
    writes_ = 0;
    if (chip_) {
        chip_->ClearRecords();
    }
}

SimPins SimulatedBoard::Pins() const {
    SimPins pins;
    pins.vdd = SupplyA();
    pins.vpp = SupplyB();
    pins.clockHigh = bits_.High(data_, bits_.clock);
    pins.dataLow = !bits_.High(data_, bits_.data);
    return pins;
}

void SimulatedBoard::UpdateChip() {
    if (!chip_) {
        return;
    }
    chip_->ApplyPins(Pins(), now_());
    // The board can only pull the line low; a chip driving 1 against it is a short.
    const bool contention = !bits_.High(data_, bits_.data) && chip_->DataOutput() == 1;
    if (contention && !contention_) {
        errors_.push_back(std::string(SimError::Contention) +
                          ": the board pulls the data line low while the chip drives 1");
    }
    contention_ = contention;
}
