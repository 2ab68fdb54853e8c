#pragma once

// A recording of the board's lines for a logic-analyser viewer: a PortIo that passes every access
// to the real one and notes each write of a data register and each read of a status register with
// its time, then writes the lines of one port as a Value Change Dump (IEEE 1364), which GTKWave and
// sigrok/PulseView open.
//
// Recording costs one clock reading and one append per access, so the timing on the wire changes
// by no more than the accesses themselves cost; the file is written after the run.
//
// Signals, as the board drives them (logic levels at the chip, not register bits):
//   data_out  the serial data line as the board leaves it: 0 driven low, 1 released (pulled high)
//   clock     the serial clock
//   switch_a  supply switch A (VDD), 1 on
//   switch_b  supply switch B (VPP), 1 on
//   data_in   the data line as sampled through Acknowledge, at each sample

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "link/PortIo.h"

class VcdTracePortIo final : public PortIo {
public:
    VcdTracePortIo(PortIo& inner, std::function<std::int64_t()> nowNanoseconds);

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;
    std::vector<PortInfo> Ports() override { return inner_.Ports(); }
    PortStatus Status(std::uint16_t base) override { return inner_.Status(base); }

    // The lines of the port whose data register is at dataPort, times from the first access.
    void WriteVcd(std::ostream& out, std::uint16_t dataPort, const std::string& version) const;
    std::size_t Accesses() const { return events_.size(); }

private:
    struct Event {
        std::int64_t nanoseconds;
        std::uint16_t address;
        std::uint8_t value;
        bool write;
    };

    PortIo& inner_;
    std::function<std::int64_t()> now_;
    std::vector<Event> events_;
};
