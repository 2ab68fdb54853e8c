#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/PortProblem.h"

// One parallel port a backend can reach.
struct PortInfo {
    std::uint16_t base;  // I/O address of its data register
    std::string device;  // e.g. "/dev/parport0"; empty when the backend has no device node
};

// A port that stopped working while the program drove it (its driver went away, the adapter was
// unplugged): a lost write or a made-up read would leave the chip powered or report what did not
// happen, so the backend throws this instead, and the operation's bracket powers down and reports.
class PortFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Byte access to absolute I/O-port addresses. The programmer talks to the board only through the
// board's PortIo (see ProgrammerLink.h), so tests and the simulated board can stand in for the
// hardware.
class PortIo {
public:
    virtual ~PortIo() = default;
    virtual std::uint8_t In(std::uint16_t address) = 0;
    virtual void Out(std::uint16_t address, std::uint8_t value) = 0;

    // Every port this backend knows of, in the machine's own order; detection probes those beyond
    // the standard addresses when no board answers there.
    virtual std::vector<PortInfo> Ports() { return {}; }
    // Why the port at `base` cannot be used, as far as the backend can tell (None: it cannot tell
    // of any problem).
    virtual PortStatus Status(std::uint16_t) { return {}; }
    // Gives back every port detection claimed except the one at `keep` (0: keep none), so a
    // printer or another board on them is free again; a later access claims a port anew.
    virtual void ReleaseExcept(std::uint16_t /*keep*/) {}

    // A backend that sends its accesses in batches (a USB bit-bang adapter, where one round trip
    // costs a millisecond) says so here. Out() then only queues, and the board drives it thus:
    //  - the waits inside and between frames go into the batch (QueueWait): the adapter holds the
    //    lines that long on its own clock, so no host delay can shorten or stretch them;
    //  - a read inside a frame is queued at its point (QueueIn) and its answer taken (TakeIn) once
    //    the frame's reads are all queued; TakeIn sends the batch first when the read is in it;
    //  - the batch is sent (Flush) before the program waits on its own clock (a pause, the end of
    //    an operation), so a pause starts only when the writes before it are on the wire.
    // In() sends the batch and answers at once. The other backends keep these defaults.
    virtual bool Batches() const { return false; }
    // Holds the lines as they are for at least this long after the last queued write.
    virtual void QueueWait(std::int64_t /*nanoseconds*/) {}
    // A read of `address` at this point of the batch. Tickets count up over a batching backend's
    // life; any other backend reads at once and its ticket is the answer.
    virtual std::uint64_t QueueIn(std::uint16_t address) { return In(address); }
    // The answer to a queued read: of the batch not yet sent (which is sent now) or of the last
    // one sent. An older ticket is the caller's error (std::logic_error).
    virtual std::uint8_t TakeIn(std::uint64_t ticket) { return static_cast<std::uint8_t>(ticket); }
    // Sends what is queued and returns once the adapter has played it and its samples are in.
    virtual void Flush() {}
};

// What an address without a port looks like: every read is 0xFF, every write is lost.
class AbsentPortIo final : public PortIo {
public:
    std::uint8_t In(std::uint16_t) override { return 0xFF; }
    void Out(std::uint16_t, std::uint8_t) override {}
};
