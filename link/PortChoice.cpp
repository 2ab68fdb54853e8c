#include "link/PortChoice.h"

#include <algorithm>
#include <cctype>

#include "link/ProgrammerLink.h"

namespace {

// As a byte from 0 to 255: a plain char from 0x80 on (UTF-8) is negative, outside what isxdigit
// takes.
bool HexDigit(unsigned char c) {
    return std::isxdigit(c) != 0;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "0403" and the like: one to four hex digits.
std::optional<int> UsbId(const std::string& text) {
    if (text.empty() || text.size() > 4 || !std::all_of(text.begin(), text.end(), HexDigit)) {
        return std::nullopt;
    }
    return static_cast<int>(std::stoul(text, nullptr, 16));
}

std::optional<PortChoice> ParseFtdi(const std::string& text) {
    PortChoice choice{PortChoice::Kind::Ftdi, 0, {}, {}};
    if (text.size() == 4) {
        return choice;
    }
    const std::string rest = text.substr(5);
    const std::size_t colon = rest.find(':');
    if (colon == std::string::npos) {
        choice.ftdi.serial = rest;
        return rest.empty() ? std::nullopt : std::optional<PortChoice>(choice);
    }
    const std::optional<int> vendor = UsbId(rest.substr(0, colon));
    const std::optional<int> product = UsbId(rest.substr(colon + 1));
    if (!vendor || !product || *vendor == 0) {
        return std::nullopt;
    }
    choice.ftdi.vendor = *vendor;
    choice.ftdi.product = *product;
    return choice;
}

}  // namespace

PortKind PinsOf(const PortChoice& choice) {
    switch (choice.kind) {
        case PortChoice::Kind::Gpio:
            return PortKind::Gpio;
        case PortChoice::Kind::Ftdi:
            return PortKind::Ftdi;
        default:
            return PortKind::Parallel;
    }
}

std::optional<PortChoice> ParsePortChoice(const std::string& text) {
    const std::string name = Lower(text);
    if (name.rfind("gpio:", 0) == 0) {
        const std::string chip = text.substr(5);
        if (chip.empty() || chip == "/dev/") {
            return std::nullopt;
        }
        return PortChoice{PortChoice::Kind::Gpio, 0, chip[0] == '/' ? chip : "/dev/" + chip, {}};
    }
    if (name == "ftdi" || name.rfind("ftdi:", 0) == 0) {
        return ParseFtdi(text);
    }
    if (name == "auto") {
        return PortChoice{};
    }
    if (name == "sim") {
        return PortChoice{PortChoice::Kind::Simulated, 0, {}, {}};
    }
    const struct {
        const char* name;
        std::uint16_t base;
    } standard[] = {{"lpt1", 0x378}, {"lpt2", 0x278}, {"lpt3", 0x3BC}};
    for (const auto& port : standard) {
        if (name == port.name) {
            return PortChoice{PortChoice::Kind::Base, port.base, {}, {}};
        }
    }
    if (name.rfind("0x", 0) == 0 && name.size() > 2 && name.size() <= 6 &&
        std::all_of(name.begin() + 2, name.end(), HexDigit)) {
        const unsigned long base = std::stoul(name.substr(2), nullptr, 16);
        if (base > 0 && base < 0xFFFF) {
            return PortChoice{PortChoice::Kind::Base, static_cast<std::uint16_t>(base), {}, {}};
        }
    }
    if (text.rfind("/dev/", 0) == 0 && text.size() > 5) {
        return PortChoice{PortChoice::Kind::Device, 0, text, {}};
    }
    return std::nullopt;
}

std::optional<PortInfo> ResolvePort(const PortChoice& choice, LinePort& port, std::string& why) {
    const std::vector<PortInfo> ports = port.Ports();
    if (choice.kind == PortChoice::Kind::Base) {
        for (const PortInfo& known : ports) {
            if (known.base == choice.base) {
                return known;
            }
        }
        return PortInfo{choice.base, {}};
    }
    if (choice.kind == PortChoice::Kind::Device) {
        for (const PortInfo& known : ports) {
            if (known.device == choice.device) {
                return known;
            }
        }
        if (Lower(choice.device).rfind("ftdi:", 0) == 0) {
            why = choice.device +
                  " names no FTDI adapter: give ftdi, ftdi:SERIAL or ftdi:VID:PID "
                  "(USB IDs in hex)";
            return std::nullopt;
        }
        why = choice.device + " is not a parallel port this machine lists";
        if (ports.empty()) {
            why += " (no ports at all: sudo modprobe parport_pc ppdev)";
        }
        return std::nullopt;
    }
    if (choice.kind == PortChoice::Kind::Gpio) {
        // Whether the chip is there is for the probe to find out, with the reason.
        return PortInfo{0, choice.device};
    }
    if (choice.kind == PortChoice::Kind::Ftdi) {
        // The adapter names itself once it is open; whether it can be is the probe's to tell.
        return ports.empty() ? PortInfo{0, "FTDI adapter"} : ports.front();
    }
    why = "no single port chosen";
    return std::nullopt;
}

BoardSearch FindBoard(ProgrammerLink& board, int notFound) {
    if (!board.RefusedChoice().empty()) {
        return BoardSearch{notFound, std::nullopt, {}, board.RefusedChoice()};
    }
    if (board.ChosenPort()) {
        return ProbePort(board, *board.ChosenPort(), notFound);
    }
    return SearchForBoard(board, notFound);
}
