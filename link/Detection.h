#pragma once

// Finding the board, with the reasons a port was passed over.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/PortIo.h"

class ProgrammerLink;

// One port that detection looked at.
struct ProbeReport {
    std::string label;   // "LPT2", "LPT1", "LPT3" for the standard addresses, else "parportN"
    std::uint16_t base;  // its data register
    std::string device;  // its device node, where the port backend has one
    PortStatus status;   // None: the board answered here
};

struct BoardSearch {
    // As DetectProgrammer returns it: 1 LPT1, 2 LPT2, 3 the port at 0x3BC, or the caller's
    // notFound. A board on any other port (a chosen one, or a card's) counts as 1.
    int code;
    // The port the board answered on; none when it answered nowhere.
    std::optional<ProbeReport> board;
    // Every port probed, in order, the board's own included.
    std::vector<ProbeReport> probes;
    // A port the user chose that could not even be probed (unknown, not on this machine): why.
    // Then no other port was touched.
    std::string refused;
};

// The standard addresses 0x278 (LPT2), 0x378 (LPT1) and 0x3BC, in this order, a later answer
// replacing an earlier one; when none answers, every other port the backend knows of, in its
// order, the first answer winning. Leaves the board open at its port (at 0x3BC
// when there is none).
BoardSearch SearchForBoard(ProgrammerLink& board, int notFound);

// Only this port, with the same probe. A board there counts as 1 (or 2 at 0x278).
BoardSearch ProbePort(ProgrammerLink& board, const PortInfo& port, int notFound);

// The label a port is shown with: "LPT1", "LPT2", "LPT3" at the standard addresses, else the
// device node's name ("parport2"), else its address ("0xD010").
std::string PortLabel(const PortInfo& port);

// Where a port is, for the user: "LPT1 (0x378, /dev/parport0)", "parport2 (0xD010, ...)"; the
// address is not repeated when it is the label ("0xD010", not "0xD010 (0xD010)"). `extra` follows
// the device in the brackets.
std::string PortPlace(const ProbeReport& port, const std::string& extra = {});

// One line per probe that did not find the board: "LPT2 (0x278, /dev/parport1): permission denied
// on the port at 0x278; join group lp: ...".
std::vector<std::string> DescribeProbes(const BoardSearch& search);
