#pragma once

#include <cstdint>

#include "link/PortWrapper.h"

// A port backend that passes every access on to another, except for one fault injected at access
// number `at` (from 1, reads and writes counted together), as a long cable, a loose plug or a
// driver that went away would.
class FaultyPort final : public PortWrapper {
public:
    enum class Fault {
        None,
        ReadsHigh,           // every read from `at` on is 0xFF: the board unplugged
        ReadsLow,            // every read from `at` on is 0x00: a line stuck
        FlippedRead,         // read `at` returns the data line (Acknowledge) inverted: a glitch
        LostWrite,           // write `at` never reaches the board
        LostWritesFromHere,  // no write from `at` on reaches the board: the cable pulled
    };

    FaultyPort(PortIo& inner, Fault fault, long at)
        : PortWrapper(inner), inner_(inner), fault_(fault), at_(at) {}

    std::uint8_t In(std::uint16_t address) override {
        const bool hit = ++accesses_ == at_;
        const bool from = accesses_ >= at_;
        switch (fault_) {
            case Fault::ReadsHigh:
                return from ? 0xFF : inner_.In(address);
            case Fault::ReadsLow:
                return from ? 0x00 : inner_.In(address);
            case Fault::FlippedRead:
                return static_cast<std::uint8_t>(inner_.In(address) ^ (hit ? AckBit : 0));
            default:
                return inner_.In(address);
        }
    }

    void Out(std::uint16_t address, std::uint8_t value) override {
        const bool hit = ++accesses_ == at_;
        const bool from = accesses_ >= at_;
        if ((fault_ == Fault::LostWrite && hit) || (fault_ == Fault::LostWritesFromHere && from)) {
            return;
        }
        inner_.Out(address, value);
    }

    long Accesses() const { return accesses_; }

private:
    static constexpr std::uint8_t AckBit = 0x40;
    PortIo& inner_;
    Fault fault_;
    long at_;
    long accesses_ = 0;
};
