#include "link/PinMap.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

constexpr const char* LineNames[BoardLineCount] = {"data", "clock", "vdd", "vpp", "return"};

// The parallel port's status inputs by name; their bit in the status register.
constexpr struct {
    const char* name;
    int bit;
} StatusPins[] = {{"error", 3}, {"select", 4}, {"paperout", 5}, {"ack", 6}, {"busy", 7}};
constexpr const char* StatusNames[8] = {"", "", "", "Error", "Select", "PaperOut", "Ack", "Busy"};
// An FT232R's bit-bang pins D0..D7 by their serial names.
constexpr const char* FtdiNames[8] = {"txd", "rxd", "rts", "cts", "dtr", "dsr", "dcd", "ri"};
// GPIO offsets beyond any chip's line count are typing errors.
constexpr int MaxGpioOffset = 1023;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<int> Number(const std::string& text, int max) {
    if (text.empty() || text.size() > 4 ||
        !std::all_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    return value <= max ? std::optional<int>(value) : std::nullopt;
}

// The pin `text` names for `line` on this kind of port.
std::optional<int> PinNumber(const std::string& text, BoardLine line, PortKind kind) {
    if (kind == PortKind::Gpio) {
        return Number(text, MaxGpioOffset);
    }
    const std::string name = Lower(text);
    if (kind == PortKind::Ftdi) {
        const auto* serialName = std::find(std::begin(FtdiNames), std::end(FtdiNames), name);
        if (serialName != std::end(FtdiNames)) {
            return static_cast<int>(serialName - std::begin(FtdiNames));
        }
    }
    if (line == BoardLine::Return && kind == PortKind::Parallel) {
        for (const auto& pin : StatusPins) {
            if (name == pin.name) {
                return pin.bit;
            }
        }
        const std::optional<int> bit = name[0] == 's' ? Number(name.substr(1), 7) : std::nullopt;
        return bit && *bit >= 3 ? bit : std::nullopt;
    }
    return name.size() == 2 && name[0] == 'd' ? Number(name.substr(1), 7) : std::nullopt;
}

std::string PinText(const Pin& pin, BoardLine line, PortKind kind) {
    std::string text = pin.inverted ? "~" : "";
    if (kind == PortKind::Gpio) {
        return text + std::to_string(pin.number);
    }
    if (line == BoardLine::Return && kind == PortKind::Parallel) {
        return text + StatusNames[pin.number];
    }
    return text + "D" + std::to_string(pin.number);
}

std::string Expected(BoardLine line, PortKind kind) {
    if (kind == PortKind::Gpio) {
        return "a line offset such as 17";
    }
    if (kind == PortKind::Ftdi) {
        return "a pin D0 to D7 (or TXD, RXD, RTS, CTS, DTR, DSR, DCD, RI)";
    }
    return line == BoardLine::Return ? "a status input: Ack, Busy, PaperOut, Select or Error"
                                     : "a data pin D0 to D7";
}

}  // namespace

bool PinMap::operator==(const PinMap& other) const {
    return std::equal(pins.begin(), pins.end(), other.pins.begin(), [](const Pin& a, const Pin& b) {
        return a.number == b.number && a.inverted == b.inverted;
    });
}

PinMap DefaultPinMap(PortKind kind) {
    if (kind == PortKind::Gpio) {
        return PinMap{{{{17, true}, {27, true}, {22, false}, {23, false}, {24, true}}}};
    }
    if (kind == PortKind::Ftdi) {
        // Every line on a pin that is an input of the adapter's UART, so that nothing drives the
        // board while no program owns the adapter (see FtdiPort.h).
        return PinMap{{{{1, true}, {3, true}, {5, false}, {6, false}, {7, true}}}};
    }
    return PinMap{{{{0, true}, {1, true}, {2, false}, {3, false}, {6, true}}}};
}

std::optional<PinMap> ParsePinMap(const std::string& text, PortKind kind, const PinMap& base,
                                  std::string& why) {
    PinMap map = base;
    bool named[BoardLineCount] = {};
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const std::size_t equals = item.find('=');
        const std::string lineName = Lower(item.substr(0, equals));
        const auto* found = std::find(std::begin(LineNames), std::end(LineNames), lineName);
        if (equals == std::string::npos || found == std::end(LineNames)) {
            why = "\"" + item + "\" is no line=pin (lines: data, clock, vdd, vpp, return)";
            return std::nullopt;
        }
        const auto index = static_cast<std::size_t>(found - std::begin(LineNames));
        const auto line = static_cast<BoardLine>(index);
        if (named[index]) {
            why = "the " + lineName + " line is given twice";
            return std::nullopt;
        }
        named[index] = true;
        std::string pinText = item.substr(equals + 1);
        const bool inverted = !pinText.empty() && pinText[0] == '~';
        if (inverted) {
            pinText.erase(0, 1);
        }
        const std::optional<int> number = PinNumber(pinText, line, kind);
        if (!number) {
            why = "\"" + pinText + "\" is no pin for the " + lineName + " line: give " +
                  Expected(line, kind);
            return std::nullopt;
        }
        map[line] = Pin{*number, inverted};
    }
    if (text.empty() || (!text.empty() && text.back() == ',')) {
        why = "an empty line=pin in \"" + text + "\"";
        return std::nullopt;
    }
    // The return line of a parallel port is in another register than the outputs.
    const int outputs = kind == PortKind::Parallel ? BoardLineCount - 1 : BoardLineCount;
    for (int a = 0; a < outputs; ++a) {
        for (int b = a + 1; b < outputs; ++b) {
            if (map.pins[static_cast<std::size_t>(a)].number ==
                map.pins[static_cast<std::size_t>(b)].number) {
                why = std::string("the ") + LineNames[a] + " and " + LineNames[b] +
                      " lines are both on pin " +
                      PinText(Pin{map.pins[static_cast<std::size_t>(a)].number, false},
                              static_cast<BoardLine>(a), kind);
                return std::nullopt;
            }
        }
    }
    return map;
}

std::string DescribePinMap(const PinMap& map, PortKind kind) {
    std::string text;
    for (int i = 0; i < BoardLineCount; ++i) {
        const auto line = static_cast<BoardLine>(i);
        text +=
            (i == 0 ? "" : ",") + std::string(LineNames[i]) + "=" + PinText(map[line], line, kind);
    }
    return text;
}

PortBits BitsOf(const PinMap& map, PortKind kind) {
    PortBits bits;
    const BoardLine outputs[] = {BoardLine::Data, BoardLine::Clock, BoardLine::Vdd, BoardLine::Vpp};
    std::uint8_t* masks[] = {&bits.data, &bits.clock, &bits.vdd, &bits.vpp};
    bits.inverted = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        // A GPIO chip's outputs stand in its presented data register in this order.
        const int bit = kind == PortKind::Gpio ? static_cast<int>(i) : map[outputs[i]].number;
        *masks[i] = static_cast<std::uint8_t>(1u << bit);
        if (map[outputs[i]].inverted) {
            bits.inverted = static_cast<std::uint8_t>(bits.inverted | *masks[i]);
        }
    }
    const int returnBit = kind == PortKind::Gpio ? 6 : map[BoardLine::Return].number;
    bits.ret = static_cast<std::uint8_t>(1u << returnBit);
    bits.returnInverted = map[BoardLine::Return].inverted;
    return bits;
}

std::string DescribeDefaultPinMaps() {
    const struct {
        PortKind kind;
        const char* where;
    } kinds[] = {{PortKind::Parallel, " on a parallel port, "},
                 {PortKind::Gpio, " on a GPIO chip, "},
                 {PortKind::Ftdi, " on an FTDI adapter"}};
    std::string text;
    for (const auto& port : kinds) {
        text += DescribePinMap(DefaultPinMap(port.kind), port.kind) + port.where;
    }
    return text;
}
