#pragma once

// Which pin of its port each of the board's lines is on, and whether the board inverts the line.
// The frames and power sequences speak of lines; the link turns their levels into port bytes
// through this map, and the simulated board reads the same map back.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

enum class BoardLine { Data, Clock, Vdd, Vpp, Return };
constexpr int BoardLineCount = 5;

enum class PortKind { Parallel, Gpio, Ftdi };

struct Pin {
    // Parallel port: the bit of the data register (D0..D7), for the return line the bit of the
    // status register (Error S3, Select S4, PaperOut S5, Ack S6, Busy S7). GPIO: the line's offset
    // on its chip. FTDI adapter: the bit-bang pin D0..D7, the return line's too.
    int number = 0;
    // The board inverts the line: the port's bit is the opposite of the line's level (data and
    // clock: a set bit pulls the line low; return: a set bit means the line is low).
    bool inverted = false;
};

struct PinMap {
    std::array<Pin, BoardLineCount> pins;

    Pin& operator[](BoardLine line) { return pins[static_cast<std::size_t>(line)]; }
    const Pin& operator[](BoardLine line) const { return pins[static_cast<std::size_t>(line)]; }
    bool operator==(const PinMap& other) const;
};

// The board's wiring on a parallel port: data ~D0, clock ~D1, vdd D2, vpp D3, return ~Ack. On a
// GPIO chip the same board, its lines on a Raspberry Pi's free header pins: data ~17, clock ~27,
// vdd 22, vpp 23, return ~24. On an FTDI adapter the same board on the five pins that are inputs
// of the adapter's UART: data ~D1 (RXD), clock ~D3 (CTS), vdd D5 (DSR), vpp D6 (DCD), return ~D7
// (RI), the supply switches pulled down on the board.
PinMap DefaultPinMap(PortKind kind);

// "data=D0,clock=~D1,return=Busy" (GPIO: "data=17,clock=~27"): the lines named take these pins,
// the others keep base's. Nothing, and `why`, when a line or pin is unknown to this kind of port,
// a line is named twice, or two lines end up on one pin.
std::optional<PinMap> ParsePinMap(const std::string& text, PortKind kind, const PinMap& base,
                                  std::string& why);

// "data=~D0,clock=~D1,vdd=D2,vpp=D3,return=~Ack", as --pins takes it.
std::string DescribePinMap(const PinMap& map, PortKind kind);

// Each kind of port's default map, for the help texts: "data=~D0,...,return=~Ack on a parallel
// port, data=~17,... on a GPIO chip, data=~D0,... on an FTDI adapter".
std::string DescribeDefaultPinMaps();

// The map as the link writes it: each line's bit in the data register (the return line's in the
// status register) and which of those bits the board inverts. A parallel port's and an FTDI
// adapter's bits are their pins; a GPIO chip's are only a numbering (bits 0..3 the outputs, bit 6
// the input), its lines being named by offset.
struct PortBits {
    std::uint8_t data = 0x01;
    std::uint8_t clock = 0x02;
    std::uint8_t vdd = 0x04;
    std::uint8_t vpp = 0x08;
    std::uint8_t ret = 0x40;
    std::uint8_t inverted = 0x03;  // of the data register's line bits
    bool returnInverted = true;

    std::uint8_t Outputs() const { return data | clock | vdd | vpp; }
    std::uint8_t Supplies() const { return vdd | vpp; }
    // The bits of `high` lines at their high level and of `low` lines at their low level; every
    // other bit 0.
    std::uint8_t Levels(std::uint8_t high, std::uint8_t low) const {
        return static_cast<std::uint8_t>((high & ~inverted) | (low & inverted));
    }
    // Whether any of `lines` is high in the data register value `value`.
    bool High(std::uint8_t value, std::uint8_t lines) const {
        return ((value ^ inverted) & lines) != 0;
    }
    // The return line's level in a status register value.
    int ReturnLevel(std::uint8_t status) const {
        return ((status & ret) != 0) != returnInverted ? 1 : 0;
    }
};

PortBits BitsOf(const PinMap& map, PortKind kind);
