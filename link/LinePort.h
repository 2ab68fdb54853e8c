#pragma once

// The board's lines as a backend drives them. The frames, the power sequences, the bracket and
// detection speak of lines (data, clock, the two supplies, the returned data); each backend maps
// them onto its own pins and keeps its own atomicity, timing and state when the program lets go:
//  - a parallel port (and the simulated board, and the tests' register-level fakes): the data
//    register and one status bit, byte for byte as the port has always been driven
//    (RegisterPort.h);
//  - a GPIO chip: one request for the four outputs and one set of values for all of them
//    (GpioPort.h);
//  - an FTDI adapter: the pin byte of synchronous bit-bang mode, batched (FtdiPort.h).
// The old way, every backend presenting itself as a parallel port at an invented I/O address,
// made a GPIO write change its lines one at a time, made a "register read-back" read the
// backend's own copy, and left what the pins do once the program lets go to nobody.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/PortIo.h"

// The board's four outputs, as levels at the chip; the backend applies the pin map and the
// board's inversions.
struct OutputLines {
    bool data = false;   // released (pulled high), or driven low
    bool clock = false;  // high, or low
    bool vdd = false;    // supply switch A on
    bool vpp = false;    // supply switch B on

    bool Powered() const { return vdd || vpp; }
    OutputLines WithSuppliesOff() const { return {data, clock, false, false}; }
    bool operator==(const OutputLines& other) const {
        return data == other.data && clock == other.clock && vdd == other.vdd && vpp == other.vpp;
    }
    bool operator!=(const OutputLines& other) const { return !(*this == other); }
};

// Supplies off, data and clock driven low: how the board rests after a frame, and how a backend
// claims its lines.
constexpr OutputLines LinesAtRest{};

class LinePort {
public:
    virtual ~LinePort() = default;

    // Which port: the ports this backend can reach, in the machine's order (a GPIO chip or an
    // adapter has one, whose base is 0: it has no I/O address); why one cannot be used; and
    // giving back every port detection claimed except `keep` (none: give back all).
    virtual std::vector<PortInfo> Ports() { return {}; }
    virtual PortStatus Status(std::uint16_t /*port*/) { return {}; }
    virtual void ReleaseExcept(std::optional<std::uint16_t> /*keep*/) {}

    // Drives the lines of a port that is not open yet (detection's first step on a parallel
    // port, whose read-back then tells whether a port is there). Backends that claim their lines
    // at rest on Open ignore it.
    virtual void Prepare(std::uint16_t /*port*/, const OutputLines& /*lines*/) {}
    // Opens the port (claims it where the backend must) and tells the outputs as the port holds
    // them now; false when there is no port there or it cannot be had (Status tells why), and then
    // `lines` is what such a port reads as.
    virtual bool Open(std::uint16_t port, OutputLines& lines) = 0;

    // Sets the four outputs together. `whole`: a value the power sequences write whole, which
    // also puts the port's outputs that carry no line to 0 (on a parallel port, D4 to D7).
    virtual void Set(const OutputLines& lines, bool whole) = 0;
    // The returned data line (1 high) at this point: queued on a batching backend, whose answer
    // comes with the batch; read at once on any other, and the ticket holds the answer.
    virtual std::uint64_t QueueSample() = 0;
    virtual int TakeSample(std::uint64_t ticket) = 0;

    // A backend that sends its accesses in batches (a USB bit-bang adapter, where a round trip
    // costs a millisecond) says so; the board then queues its waits (QueueWait: the adapter holds
    // the lines that long on its own clock), marks the end of each frame (FrameEnd: where a batch
    // may be split without a hold inside a frame), and sends the batch (Flush) before it waits
    // on the host's clock.
    virtual bool Batches() const { return false; }
    virtual void QueueWait(std::int64_t /*nanoseconds*/) {}
    virtual void FrameEnd() {}
    virtual void Flush() {}

    // The outputs as the device's pins hold them, read from the device; nothing when the device
    // cannot read its outputs back (then there is no read-back to check).
    virtual std::optional<OutputLines> ReadBack() = 0;
    // The last resort (a destructor during unwinding, the terminate handler): both supplies off
    // at once, data and clock as they are, if the port is held; a port that failed, or is not
    // held, is not claimed for it. Throws nothing.
    virtual void SuppliesOffIfHeld() noexcept = 0;
    // What the backend measured of the port, for --verbose ("a byte every 1.02 us at most"); empty
    // when there is nothing to say.
    virtual std::string Facts() const { return {}; }
};
