#include "link/RegisterPort.h"

RegisterPort::RegisterPort(PortIo& io) : io_(&io) {}

std::uint8_t RegisterPort::ValueOf(const OutputLines& lines, std::uint8_t kept) const {
    const PortBits& bits = bits_;
    const std::uint8_t high =
        static_cast<std::uint8_t>((lines.data ? bits.data : 0) | (lines.clock ? bits.clock : 0) |
                                  (lines.vdd ? bits.vdd : 0) | (lines.vpp ? bits.vpp : 0));
    const std::uint8_t low = static_cast<std::uint8_t>(bits.Outputs() & ~high);
    return static_cast<std::uint8_t>((kept & ~bits.Outputs()) | bits.Levels(high, low));
}

OutputLines RegisterPort::LinesOf(std::uint8_t data) const {
    const PortBits& bits = bits_;
    return {bits.High(data, bits.data), bits.High(data, bits.clock), bits.High(data, bits.vdd),
            bits.High(data, bits.vpp)};
}

void RegisterPort::Prepare(std::uint16_t port, const OutputLines& lines) {
    io_->Out(port, ValueOf(lines, 0));
}

bool RegisterPort::Open(std::uint16_t port, OutputLines& lines) {
    dataPort_ = port;
    shadow_ = io_->In(port);
    lines = LinesOf(shadow_);
    return shadow_ != 0xFF;
}

void RegisterPort::Set(const OutputLines& lines, bool whole) {
    const std::uint8_t value = ValueOf(lines, whole ? 0 : shadow_);
    io_->Out(dataPort_, value);
    shadow_ = value;
}

int RegisterPort::TakeSample(std::uint64_t ticket) {
    return bits_.ReturnLevel(io_->TakeIn(ticket));
}

std::optional<OutputLines> RegisterPort::ReadBack() {
    return LinesOf(io_->In(dataPort_));
}

void RegisterPort::SuppliesOffIfHeld() noexcept {
    try {
        io_->Out(dataPort_, ValueOf(LinesOf(shadow_).WithSuppliesOff(), shadow_));
        io_->Flush();
    } catch (...) {
        // The last resort has no one to tell.
    }
}
