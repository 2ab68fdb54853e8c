#pragma once

// What chipsmith-cli gets from the world around it; main gives the real things, tests their own.

#include <QString>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

class Delays;
class LinePort;
class PortIo;
struct PinMap;
class FtdiCalls;

struct BoardClock {
    std::shared_ptr<Delays> delays;
    std::function<std::int64_t()> clock;
};

struct CliEnvironment {
    std::ostream& out;  // results
    std::ostream& err;  // messages and the progress bar
    std::istream& in;   // the answers to --repeat's question
    bool errIsTerminal = false;
    bool inIsTerminal = false;  // else --repeat's question ends with a line feed, for logs
    // chipsmith-sim's socket file, for --port sim.
    QString socketPath;
    // A steady clock in nanoseconds: the simulated chip judges its pulses by it, the progress bar
    // and the trace read it.
    std::function<std::int64_t()> clock;
    // What the board waits on: the real clock in the program, a virtual one in tests.
    Delays& delays;
    // The machine's parallel ports (ppdev).
    std::function<std::unique_ptr<PortIo>()> openPorts;
    // The GPIO chip at this device node with the board's lines where the map says (libgpiod);
    // unset: the real one.
    std::function<std::unique_ptr<LinePort>(const std::string&, const PinMap&)> openGpio = {};
    // libftdi1, for the FTDI adapter --port names (no other is ever touched); nullptr: the real
    // library.
    FtdiCalls* ftdi = nullptr;
    // Several boards at once (--port given more than once) run on a thread each. Unset: each
    // board waits on SharedCoreDelays and reads `clock`; a test gives each board a virtual clock
    // of its own (its waits, and the clock its simulated chip judges them by).
    std::function<BoardClock()> boardClock = {};
};
