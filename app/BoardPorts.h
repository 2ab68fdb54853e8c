#pragma once

// The port the window's board is on, and moving it to another while the window runs: the parallel
// ports (searched), the port --port names, or an FTDI adapter chosen in the window menu. The board
// stays the one object the dialog was given; only its backend changes. A GPIO chip's or an
// adapter's backend is made when the board moves to it and goes when the board leaves it, given
// back first, so an adapter is held only while the board is on it.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "link/FtdiPort.h"
#include "link/PinMap.h"

class Delays;
class LinePort;
class PortIo;
class ProgrammerLink;

class BoardPorts {
public:
    // `parallel` gives the parallel ports' backend (made when first asked for). `pins` is the map
    // for ports of kind `pinsKind` (from --pins); a port of another kind takes its own default,
    // since the same pin names mean other pins there. `calls` stands in for libftdi (nullptr:
    // the library). The board must not be used once this is gone.
    BoardPorts(ProgrammerLink& board, Delays& clock, std::function<PortIo&()> parallel,
               const PinMap& pins, PortKind pinsKind, FtdiCalls* calls = nullptr);
    ~BoardPorts();
    BoardPorts(const BoardPorts&) = delete;
    BoardPorts& operator=(const BoardPorts&) = delete;

    // Puts the board on `port`, in --port's words (empty: the parallel ports, searched), with
    // that kind of port's pin map, and gives back what it held of the port it leaves. A text that
    // names no port the window can use is refused in the board (ProgrammerLink::RefusePortChoice),
    // so that detection touches nothing and says why. Detection is the caller's to run.
    void Use(const QString& port);
    // The port the board is on, as Use was given it.
    const QString& InUse() const { return inUse_; }
    // The FTDI adapters attached, as the USB lists them; none is opened, claimed or powered.
    // Empty when the USB cannot be listed.
    std::vector<FtdiAdapter> Adapters();

private:
    PinMap PinsFor(PortKind kind) const;

    ProgrammerLink& board_;
    Delays& clock_;
    std::function<PortIo&()> parallel_;
    PinMap pins_;
    PortKind pinsKind_;
    FtdiCalls ownCalls_;
    FtdiCalls* calls_;
    std::unique_ptr<LinePort> line_;  // the GPIO chip or the adapter the board is on
    QString inUse_;
    bool placed_ = false;
};
