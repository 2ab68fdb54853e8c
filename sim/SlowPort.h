#pragma once

#include <cstdint>

#include "link/PortWrapper.h"
#include "sim/VirtualDelays.h"

// Another backend whose every access takes a fixed time on a virtual clock, its effect coming at
// the end of it: what the program does on a real port of that speed, without waiting for it.
class SlowPort final : public PortWrapper {
public:
    SlowPort(PortIo& inner, VirtualDelays& clock, std::int64_t costNs)
        : PortWrapper(inner), inner_(inner), clock_(clock), costNs_(costNs) {}

    std::uint8_t In(std::uint16_t address) override {
        clock_.Advance(costNs_);
        return inner_.In(address);
    }
    void Out(std::uint16_t address, std::uint8_t value) override {
        clock_.Advance(costNs_);
        inner_.Out(address, value);
    }

private:
    PortIo& inner_;
    VirtualDelays& clock_;
    std::int64_t costNs_;
};
