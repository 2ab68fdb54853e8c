#pragma once

#include <cstdint>

#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"

// Drives the simulated board with raw port bytes, straight from the board's line table:
// D0 = 1 pulls data low, D1 = 1 holds the clock low, D2 = switch A, D3 = switch B,
// status bit 6 = 1 while the data line is low. Deliberately independent of the link library.
class SimBench {
public:
    static constexpr std::uint16_t Base = 0x378;
    static constexpr std::int64_t Microsecond = 1'000;
    // Clock low before each bit: the previous bit's data hold.
    static constexpr std::int64_t ClockLowNs = 100;

    VirtualDelays clock;
    SimulatedBoard board{[this] { return clock.Now(); }, Base};

    void Write(std::uint8_t value) { board.Out(Base, value); }
    std::uint8_t Status() { return board.In(Base + 1); }
    void Set(std::uint8_t bits) { Write(board.DataRegister() | bits); }
    void Clear(std::uint8_t bits) { Write(board.DataRegister() & ~bits); }

    // Supplies in the 12-bit order (A, then B 3.3 ms later) or the 14-bit order (B, then A).
    void PowerUpAFirst(std::int64_t gapNs = 3'300 * Microsecond) {
        Write(0x07);
        clock.Advance(gapNs);
        Write(0x0F);
    }
    void PowerUpBFirst() {
        Write(0x0B);
        clock.Advance(1'000 * Microsecond);
        Write(0x0F);
    }
    void PowerUp(bool is14Bit) { is14Bit ? PowerUpBFirst() : PowerUpAFirst(); }
    void PowerDown() { Write(board.DataRegister() & 0x03); }

    // One clock cycle carrying a bit: data set while the clock is low, held through clock high.
    void ClockBit(int level, std::int64_t highNs = Microsecond) {
        clock.Advance(ClockLowNs);
        level ? Clear(0x01) : Set(0x01);
        Clear(0x02);
        clock.Advance(highNs);
        Set(0x02);
    }
    void Command(int code, std::int64_t gapAfterNs = Microsecond) {
        for (int bit = 0; bit < 6; ++bit) {
            ClockBit((code >> bit) & 1);
        }
        Set(0x01);
        clock.Advance(gapAfterNs);
    }
    void SendWord(std::uint16_t word) {
        const unsigned frame = (word & 0x3FFFu) << 1;
        for (int bit = 0; bit < 16; ++bit) {
            ClockBit((frame >> bit) & 1);
        }
        Set(0x01);
        clock.Advance(Microsecond);
    }
    // The 16-cycle read frame; bit k of the result is the sample of cycle k + 1.
    std::uint16_t ReadWord() {
        unsigned samples = 0;
        for (int cycle = 0; cycle < 16; ++cycle) {
            clock.Advance(ClockLowNs);
            Clear(0x01);
            Clear(0x02);
            clock.Advance(Microsecond);
            const unsigned level = (Status() & 0x40) ? 0 : 1;
            samples |= level << cycle;
            Set(0x02);
        }
        Set(0x01);
        clock.Advance(Microsecond);
        return static_cast<std::uint16_t>(samples >> 1);
    }

    std::uint16_t Read() {
        Command(4);
        return ReadWord();
    }
    // Bits 0-13 of a read: the chip's word without the stop-bit sample.
    std::uint16_t ReadData() { return Read() & 0x3FFF; }
    void Increment(int times = 1) {
        for (int i = 0; i < times; ++i) {
            Command(6);
        }
    }
    // The chip times its pulse from the end of BeginProgramming to the end of EndProgramming,
    // which itself takes six clock cycles of 1.1 us.
    void Program(std::uint16_t word, std::int64_t pulseNs = 100 * Microsecond) {
        Command(2);
        SendWord(word);
        Command(8, 0);
        clock.Advance(pulseNs - 6 * (ClockLowNs + Microsecond));
        Command(14);
    }
    void LoadConfiguration(std::uint16_t word = 0x3FFF) {
        Command(0);
        SendWord(word);
    }

    int Errors(const char* tag) const { return CountErrors(board.Errors(), tag); }
};
