#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/PortProblem.h"

// One parallel port a backend can reach.
struct PortInfo {
    std::uint16_t base;  // I/O address of its data register
    std::string device;  // e.g. "/dev/parport0"; empty when the backend has no device node
};

// Byte access to absolute I/O-port addresses. The programmer talks to the board only through the
// installed link's PortIo (see ProgrammerLink.h), so tests and the simulated board can stand in
// for the hardware.
class PortIo {
public:
    virtual ~PortIo() = default;
    virtual std::uint8_t In(std::uint16_t address) = 0;
    virtual void Out(std::uint16_t address, std::uint8_t value) = 0;

    // Every port this backend knows of, in the machine's own order; detection probes those beyond
    // the standard addresses when no board answers there.
    virtual std::vector<PortInfo> Ports() { return {}; }
    // Why the port at `base` cannot be used, as far as the backend can tell (None: it cannot tell
    // of any problem).
    virtual PortStatus Status(std::uint16_t) { return {}; }
};

// What an address without a port looks like: every read is 0xFF, every write is lost.
class AbsentPortIo final : public PortIo {
public:
    std::uint8_t In(std::uint16_t) override { return 0xFF; }
    void Out(std::uint16_t, std::uint8_t) override {}
};
