// Finding the board. It has no identification of its own; it returns its serial data line on the
// port's Acknowledge input, so a port where Acknowledge follows D0 in both directions has the
// board. The standard candidates are probed in a fixed order and a later hit replaces an earlier
// one, so 0x3BC wins over 0x378, which wins over 0x278. Only when none of them answers are the
// machine's other ports (PCI and PCIe cards) probed, in their own order.

#include "link/Detection.h"

#include <cstdio>

#include "link/ProgrammerPort.h"

namespace {

struct Standard {
    std::uint16_t base;
    int code;
    const char* label;
};

constexpr Standard Standards[] = {{0x278, 2, "LPT2"}, {0x378, 1, "LPT1"}, {0x3BC, 3, "LPT3"}};
constexpr int OtherPortCode = 1;

// Each probe passes only when the board's loop-back holds: 0 passed, 0xFFFF failed.
std::uint32_t ProbeResult = 0xFFFF;

std::string HexBase(std::uint16_t base) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%X", base);
    return text;
}

const Standard* StandardAt(std::uint16_t base) {
    for (const Standard& standard : Standards) {
        if (standard.base == base) {
            return &standard;
        }
    }
    return nullptr;
}

std::string DeviceOf(std::uint16_t base, const std::vector<PortInfo>& ports) {
    for (const PortInfo& port : ports) {
        if (port.base == base) {
            return port.device;
        }
    }
    return {};
}

enum class Outcome { Absent, Silent, Answered };

// The loop-back probe on one port; leaves the link open there, the board at rest and unpowered.
// The board returns its data line whether the socket is powered or not (the bracket checks the
// same loop-back unpowered before every run), so the probe never powers the socket: a probe that
// did would raise the supplies in one family's order whatever chip sits there.
Outcome Probe(ProgrammerLink& board, std::uint16_t base) {
    // Supplies off, data and clock released (0x00 on the parallel port's wiring).
    board.Port().Prepare(base, OutputLines{true, true, false, false});
    ProbeResult = 0xFFFF;
    board.Pause(5);
    // An address with no port reads 0xFF whatever was written: never touched again.
    if (!board.Open(base)) {
        return Outcome::Absent;
    }
    ClearDataBit(board);
    board.Pause(10);
    ProbeResult = CheckReturnLow(board);
    if (ProbeResult == 0) {
        SetDataBit(board);
        board.Pause(10);
        ProbeResult = CheckReturnHigh(board);
    }
    // Clock low and supplies off, data as the probe left it; sent, on a batching backend too.
    OutputLines rest = board.Lines().WithSuppliesOff();
    rest.clock = false;
    board.SetLines(rest, true);
    board.Flush();
    return ProbeResult == 0 ? Outcome::Answered : Outcome::Silent;
}

ProbeReport Probed(ProgrammerLink& board, const PortInfo& port, Outcome outcome) {
    ProbeReport report{PortLabel(port), port.base, port.device, {}};
    if (outcome != Outcome::Answered) {
        report.status = board.Port().Status(port.base);
        if (report.status.problem == PortProblem::None) {
            // The backend knows of no reason: judge from what the port did.
            report.status.problem =
                outcome == Outcome::Absent ? PortProblem::NoPort : PortProblem::NoAnswer;
        }
    }
    return report;
}

std::optional<std::uint16_t> KeptPort(const BoardSearch& search) {
    return search.board ? std::optional<std::uint16_t>(search.board->base) : std::nullopt;
}

}  // namespace

std::string PortLabel(const PortInfo& port) {
    if (const Standard* standard = StandardAt(port.base)) {
        return standard->label;
    }
    if (!port.device.empty()) {
        return port.device.substr(port.device.find_last_of('/') + 1);
    }
    return HexBase(port.base);
}

BoardSearch SearchForBoard(ProgrammerLink& board, int notFound) {
    BoardSearch search{notFound, std::nullopt, {}, {}};
    const std::vector<PortInfo> ports = board.Port().Ports();
    for (const Standard& standard : Standards) {
        const PortInfo port{standard.base, DeviceOf(standard.base, ports)};
        const Outcome outcome = Probe(board, port.base);
        search.probes.push_back(Probed(board, port, outcome));
        if (outcome == Outcome::Answered) {
            search.code = standard.code;
            search.board = search.probes.back();
        }
    }
    if (!search.board) {
        for (const PortInfo& port : ports) {
            if (StandardAt(port.base) != nullptr) {
                continue;
            }
            const Outcome outcome = Probe(board, port.base);
            search.probes.push_back(Probed(board, port, outcome));
            if (outcome == Outcome::Answered) {
                search.code = OtherPortCode;
                search.board = search.probes.back();
                break;
            }
        }
    }
    // Back to the board's port, or to the last standard candidate when there is none.
    const std::uint16_t settle = search.board ? search.board->base : Standards[2].base;
    if (board.DataPort() != settle) {
        board.Open(settle);
    }
    // The ports probed in vain may hold a printer: they are not ours to keep.
    board.Port().ReleaseExcept(KeptPort(search));
    return search;
}

BoardSearch ProbePort(ProgrammerLink& board, const PortInfo& port, int notFound) {
    BoardSearch search{notFound, std::nullopt, {}, {}};
    const Outcome outcome = Probe(board, port.base);
    search.probes.push_back(Probed(board, port, outcome));
    if (outcome == Outcome::Answered) {
        const Standard* standard = StandardAt(port.base);
        search.code = standard != nullptr && standard->code == 2 ? 2 : OtherPortCode;
        search.board = search.probes.back();
    }
    board.Port().ReleaseExcept(KeptPort(search));
    return search;
}

int DetectProgrammer(ProgrammerLink& board, int notFound) {
    return SearchForBoard(board, notFound).code;
}

std::string PortPlace(const ProbeReport& port, const std::string& extra) {
    std::string inBrackets;
    // A GPIO chip or an FTDI adapter has no I/O address.
    for (const std::string& part :
         {port.base == 0 ? std::string() : HexBase(port.base), port.device, extra}) {
        if (!part.empty() && part != port.label) {
            inBrackets += (inBrackets.empty() ? "" : ", ") + part;
        }
    }
    return inBrackets.empty() ? port.label : port.label + " (" + inBrackets + ")";
}

std::vector<std::string> DescribeProbes(const BoardSearch& search) {
    std::vector<std::string> lines;
    if (!search.refused.empty()) {
        lines.push_back(search.refused);
    }
    for (const ProbeReport& probe : search.probes) {
        if (probe.status.problem == PortProblem::None) {
            continue;
        }
        const PortStatus& status = probe.status;
        std::string line =
            PortPlace(probe) + ": " +
            (status.text.empty() ? ProblemText(status.problem, probe.base) : status.text);
        if (!status.detail.empty()) {
            line += " (" + status.detail + ")";
        }
        const std::string fix = status.text.empty() ? ProblemFix(status.problem) : status.fix;
        if (!fix.empty()) {
            line += "; " + fix;
        }
        lines.push_back(line);
    }
    return lines;
}
