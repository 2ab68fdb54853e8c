#pragma once

#include <cstdint>
#include <vector>

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
        reads_.push_back(true);
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
        reads_.push_back(false);
        const bool hit = ++accesses_ == at_;
        const bool from = accesses_ >= at_;
        if ((fault_ == Fault::LostWrite && hit) || (fault_ == Fault::LostWritesFromHere && from)) {
            return;
        }
        inner_.Out(address, value);
    }

    long Accesses() const { return accesses_; }
    // Whether each access was a read, from the first on: a fault on reads does at a write what it
    // does at the next read, and a fault on writes nothing at a read (or, from there, what it does
    // at the next write).
    const std::vector<bool>& Reads() const { return reads_; }

private:
    static constexpr std::uint8_t AckBit = 0x40;
    PortIo& inner_;
    Fault fault_;
    long at_;
    long accesses_ = 0;
    std::vector<bool> reads_;
};
