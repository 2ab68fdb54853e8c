#pragma once

// Which port the user asked for on the command line: --port auto|lpt1|lpt2|lpt3|0xBASE|
// /dev/parportN|gpio:/dev/gpiochipN|gpio:gpiochipN|ftdi|ftdi:SERIAL|ftdi:VID:PID|sim.

#include <optional>
#include <string>

#include "link/Detection.h"
#include "link/FtdiPort.h"
#include "link/LinePort.h"
#include "link/PinMap.h"
#include "link/PortIo.h"

struct PortChoice {
    enum class Kind {
        Auto,       // detection: the standard addresses, then the machine's other ports
        Base,       // the port at this I/O address
        Device,     // the port with this device node
        Simulated,  // the simulated board (chipsmith-cli only)
        Gpio,       // the GPIO chip with this device node
        Ftdi,       // the FTDI adapter `ftdi` names
    };
    Kind kind = Kind::Auto;
    std::uint16_t base = 0;
    std::string device;
    FtdiChoice ftdi;
};

// The kind of pins the chosen port has, for its pin map.
PortKind PinsOf(const PortChoice& choice);

// Nothing when the text names no port; case does not matter for the names and the hex digits.
std::optional<PortChoice> ParsePortChoice(const std::string& text);

// The chosen port as the backend knows it: the device of a base, or the base of a device. Nothing
// when a device is chosen that the backend does not list (then `why` says so).
std::optional<PortInfo> ResolvePort(const PortChoice& choice, LinePort& port, std::string& why);

// How the program looks for its board: the port chosen for it alone, none at all when the choice
// was refused (ProgrammerLink::ChoosePort), else SearchForBoard over the parallel ports. A GPIO
// chip or an FTDI adapter is only ever the chosen port: its lines may drive anything, and an
// adapter may be the user's serial console.
BoardSearch FindBoard(ProgrammerLink& board, int notFound);
