#pragma once

#include <cstdint>

// Byte access to absolute I/O-port addresses. The programmer talks to the board only through the
// installed PortIo (see SetPortIo in ProgrammerPort.h), so tests and the simulated board can stand
// in for the hardware.
class PortIo {
public:
    virtual ~PortIo() = default;
    virtual std::uint8_t In(std::uint16_t address) = 0;
    virtual void Out(std::uint16_t address, std::uint8_t value) = 0;
};

// What an address without a port looks like: every read is 0xFF, every write is lost.
class AbsentPortIo final : public PortIo {
public:
    std::uint8_t In(std::uint16_t) override { return 0xFF; }
    void Out(std::uint16_t, std::uint8_t) override {}
};
