#pragma once

#include <cstdint>
#include <optional>

#include "link/LinePort.h"
#include "link/PinMap.h"
#include "link/PortIo.h"

// The board's lines on a port with a data register and a status register: a parallel port
// through ppdev, the simulated board, the tests' fakes. The four outputs are bits of the data
// register and the returned data one bit of the status register, where the pin map puts them
// (PortBits). The bytes on the wire are those a read-modify-write of the register would write: a
// shadow of the register keeps the bits that carry no line, read once when the port opens, so a
// change of one line costs one write; a value written whole (the power sequences) puts those bits
// to 0.
class RegisterPort final : public LinePort {
public:
    explicit RegisterPort(PortIo& io);

    // Another backend from now on; the port, the shadow and the wiring stay.
    void SetIo(PortIo& io) { io_ = &io; }
    PortIo& Io() const { return *io_; }
    void SetBits(const PortBits& bits) { bits_ = bits; }
    const PortBits& Bits() const { return bits_; }
    // The data register as last written (or read when the port opened).
    std::uint8_t Shadow() const { return shadow_; }
    std::uint16_t DataPort() const { return dataPort_; }

    // The register value of these lines over `kept` (the bits that carry no line).
    std::uint8_t ValueOf(const OutputLines& lines, std::uint8_t kept) const;
    OutputLines LinesOf(std::uint8_t data) const;

    std::vector<PortInfo> Ports() override { return io_->Ports(); }
    PortStatus Status(std::uint16_t port) override { return io_->Status(port); }
    void ReleaseExcept(std::optional<std::uint16_t> keep) override {
        io_->ReleaseExcept(keep.value_or(0));
    }
    void Prepare(std::uint16_t port, const OutputLines& lines) override;
    // Nothing when the data register reads 0xFF: what an address without a port reads.
    bool Open(std::uint16_t port, OutputLines& lines) override;
    void Set(const OutputLines& lines, bool whole) override;
    std::uint64_t QueueSample() override { return io_->QueueIn(StatusPort()); }
    int TakeSample(std::uint64_t ticket) override;
    bool Batches() const override { return io_->Batches(); }
    void QueueWait(std::int64_t nanoseconds) override { io_->QueueWait(nanoseconds); }
    void Flush() override { io_->Flush(); }
    // The data register read from the port (a standard port reads back the value last written).
    std::optional<OutputLines> ReadBack() override;
    // Straight to the port, whatever the shadow says: a lost write may have left the supplies on.
    void SuppliesOffIfHeld() noexcept override;

private:
    std::uint16_t StatusPort() const { return static_cast<std::uint16_t>(dataPort_ + 1); }

    PortIo* io_;
    PortBits bits_;
    // Where the port stands before any detection, and after one that found nothing: the last of
    // the standard candidates.
    std::uint16_t dataPort_ = 0x3BC;
    std::uint8_t shadow_ = 0xFF;
};
