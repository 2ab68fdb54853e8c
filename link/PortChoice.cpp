#include "link/PortChoice.h"

#include <algorithm>
#include <cctype>

#include "link/GpioPortIo.h"
#include "link/ProgrammerLink.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

PortKind PinsOf(const PortChoice& choice) {
    return choice.kind == PortChoice::Kind::Gpio ? PortKind::Gpio : PortKind::Parallel;
}

std::optional<PortChoice> ParsePortChoice(const std::string& text) {
    const std::string name = Lower(text);
    if (name.rfind("gpio:", 0) == 0) {
        const std::string chip = text.substr(5);
        if (chip.empty() || chip == "/dev/") {
            return std::nullopt;
        }
        return PortChoice{PortChoice::Kind::Gpio, 0, chip[0] == '/' ? chip : "/dev/" + chip};
    }
    if (name == "auto") {
        return PortChoice{};
    }
    if (name == "sim") {
        return PortChoice{PortChoice::Kind::Simulated, 0, {}};
    }
    const struct {
        const char* name;
        std::uint16_t base;
    } standard[] = {{"lpt1", 0x378}, {"lpt2", 0x278}, {"lpt3", 0x3BC}};
    for (const auto& port : standard) {
        if (name == port.name) {
            return PortChoice{PortChoice::Kind::Base, port.base, {}};
        }
    }
    if (name.rfind("0x", 0) == 0 && name.size() > 2 && name.size() <= 6 &&
        std::all_of(name.begin() + 2, name.end(), ::isxdigit)) {
        const unsigned long base = std::stoul(name.substr(2), nullptr, 16);
        if (base > 0 && base < 0xFFFF) {
            return PortChoice{PortChoice::Kind::Base, static_cast<std::uint16_t>(base), {}};
        }
    }
    if (text.rfind("/dev/", 0) == 0 && text.size() > 5) {
        return PortChoice{PortChoice::Kind::Device, 0, text};
    }
    return std::nullopt;
}

std::optional<PortInfo> ResolvePort(const PortChoice& choice, PortIo& io, std::string& why) {
    const std::vector<PortInfo> ports = io.Ports();
    if (choice.kind == PortChoice::Kind::Base) {
        for (const PortInfo& port : ports) {
            if (port.base == choice.base) {
                return port;
            }
        }
        return PortInfo{choice.base, {}};
    }
    if (choice.kind == PortChoice::Kind::Device) {
        for (const PortInfo& port : ports) {
            if (port.device == choice.device) {
                return port;
            }
        }
        why = choice.device + " is not a parallel port this machine lists";
        if (ports.empty()) {
            why += " (no ports at all: sudo modprobe parport_pc ppdev)";
        }
        return std::nullopt;
    }
    if (choice.kind == PortChoice::Kind::Gpio) {
        // Whether the chip is there is for the probe to find out, with the reason.
        return PortInfo{GpioPortIo::Base, choice.device};
    }
    why = "no single port chosen";
    return std::nullopt;
}

BoardSearch FindBoard(ProgrammerLink& board, int notFound) {
    if (!board.RefusedChoice().empty()) {
        return BoardSearch{notFound, std::nullopt, {}, board.RefusedChoice()};
    }
    return board.ChosenPort() ? ProbePort(board, *board.ChosenPort(), notFound)
                              : SearchForBoard(board, notFound);
}
