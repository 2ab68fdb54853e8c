#pragma once

// The programmer board on one port, as an object (the board): the backend that drives its lines
// (LinePort.h), the port it is open at, a shadow of its four outputs, the pin map, the clock it
// waits on and whether its shadow can be trusted.
//
// Every change of a line sets the four outputs from the shadow with that line changed, so the
// backend is never asked what it holds: the port is ours alone (ppdev claims it exclusively, a
// GPIO request or a USB claim is exclusive too), so nothing else changes it behind our back. A
// change that would alter no line is not sent at all.
//
// The link also times its writes on its clock, so that the frames can measure their waits from the
// last edge rather than add them to it. A write puts its edge on the wire at some moment of its
// call, which has certainly passed when the call returns; the next write's edge follows no sooner
// than the rest of this call and the start of the next, about one write in all.
// So a wait of T lasts until T after the last write returned, less half the shortest write the
// port has taken (the other half is the margin): on a port whose writes take 2T or more it costs
// nothing, on an instant one exactly T. The shortest write is judged from the first writes after
// the port is opened, enough of them that one slow start (the claim of the port, cold caches)
// cannot pass for a slow port; after that the end of a write is read from the clock only when a
// wait needs it, or when the caller asks (TimeLastWrite), which can only make waits longer.
//
// The board is the one target of everything below the front ends: the lines, frames and word loops
// take it as their first parameter, and every wait goes through its clock (the real one in the
// programs, a virtual one in tests), so no operation reaches a port or a clock it was not given.
//
// A backend call that throws PortFailure leaves the port in a state nobody knows: the board then
// stops trusting its shadow and sends the next write even if it equals the shadow; a write that
// goes through, or Open, makes the shadow trusted again.
//
// On a batching backend (LinePort::Batches) the waits from the last edge go into the batch, and the
// board sends the batch before it waits on its own clock, so a pulse is never shorter than asked.

#include <cstdint>
#include <optional>
#include <string>

#include "link/Delays.h"
#include "link/LinePort.h"
#include "link/PinMap.h"
#include "link/PortIo.h"
#include "link/RegisterPort.h"

class ProgrammerLink {
public:
    // A board over a port with registers (a parallel port, the simulated board, a test's fake),
    // not yet open at any port: it stands at the last candidate detection tries (0x3BC), and its
    // shadow is what an absent port reads. It waits on `clock`.
    ProgrammerLink(PortIo& io, Delays& clock);
    // Opened at dataPort at once.
    ProgrammerLink(PortIo& io, Delays& clock, std::uint16_t dataPort);
    // A board over a backend that drives lines of its own (a GPIO chip, an FTDI adapter).
    ProgrammerLink(LinePort& port, Delays& clock);
    ProgrammerLink(const ProgrammerLink&) = delete;
    ProgrammerLink& operator=(const ProgrammerLink&) = delete;

    // Opens the port `port` (a parallel port's data register address; 0 for a backend with one
    // port) and takes its outputs into the shadow; false when there is no port there. The port's
    // speed is judged afresh.
    bool Open(std::uint16_t port);
    // Another register backend from now on (the board's own RegisterPort goes over it); the port,
    // the shadow and the wiring stay until the next Open; its speed is judged afresh.
    void SetIo(PortIo& io);
    // Another line backend from now on, as above.
    void SetPort(LinePort& port);
    // Another clock from now on (a test that acts at a moment of a run wraps the clock).
    void SetClock(Delays& clock) { clock_ = &clock; }
    Delays& Clock() const { return *clock_; }

    // Where the board's lines are in a register port's bits (see PinMap.h); the parallel port's
    // wiring until told otherwise. A line backend keeps its own map.
    void SetBits(const PortBits& bits) { registers_.SetBits(bits); }
    const PortBits& Bits() const { return registers_.Bits(); }
    // The map the lines are on, kept to be shown to the user; on a register port it is also the
    // wiring.
    void SetPins(const PinMap& pins, PortKind kind) {
        pins_ = pins;
        pinKind_ = kind;
        registers_.SetBits(BitsOf(pins, kind));
    }
    const PinMap& Pins() const { return pins_; }
    PortKind PinKind() const { return pinKind_; }

    // The port the user chose for this board: FindBoard (PortChoice.h) probes it alone; none,
    // and it searches.
    void ChoosePort(std::optional<PortInfo> port) {
        chosen_ = std::move(port);
        refusedChoice_.clear();
    }
    // The user chose a port that cannot be used (`why`): FindBoard touches no port at all and
    // reports that reason, rather than searching and perhaps driving a printer or another board.
    void RefusePortChoice(std::string why) {
        chosen_.reset();
        refusedChoice_ = std::move(why);
    }
    const std::optional<PortInfo>& ChosenPort() const { return chosen_; }
    const std::string& RefusedChoice() const { return refusedChoice_; }

    // The backend the lines go to.
    LinePort& Port() const { return *port_; }
    // The port the board is open at; the names the rest of the program knows it by.
    std::uint16_t DataPort() const { return dataPort_; }
    std::uint16_t DataPortAddress() const { return dataPort_; }
    std::uint16_t StatusPortAddress() const { return static_cast<std::uint16_t>(dataPort_ + 1); }
    // False from a backend failure to the next Open: the port may not hold what the shadow says.
    bool ShadowTrusted() const { return shadowTrusted_; }
    // The outputs as the link last set (or opened) them.
    const OutputLines& Lines() const { return lines_; }
    // Either supply switch on, judged from the shadow.
    bool Powered() const { return lines_.Powered(); }

    // Sets the four outputs (nothing, if they hold these levels already and the shadow is
    // trusted). `whole`: a value the power sequences write whole (see LinePort::Set), sent
    // whatever the shadow says.
    void SetLines(const OutputLines& lines, bool whole = false);
    // The returned data line now (1 high).
    int SampleReturn();
    // A sample at this point of the frame, answered by TakeSample: on a batching backend the
    // frame's samples come back in its one transfer; any other reads at once.
    std::uint64_t QueueSample();
    int TakeSample(std::uint64_t ticket);
    // The outputs as the device's pins hold them (see LinePort::ReadBack): nothing when the
    // device cannot tell.
    std::optional<OutputLines> ReadBack();
    // Sends what a batching backend holds queued; nothing on any other.
    void Flush();
    // The last resort (LinePort::SuppliesOffIfHeld): both supplies off at the port if it is held,
    // nothing claimed, nothing thrown; the shadow is not trusted afterwards.
    void SuppliesOffBestEffort() noexcept;
    // The end of a frame: a batching backend may split its transfer here.
    void FrameEnd();

    // The programming pulses begun on this board so far (BeginProgramming commands sent): a front
    // end tells by them whether a run that failed had changed the chip.
    void CountProgrammingPulse() { ++programmingPulses_; }
    std::int64_t ProgrammingPulses() const { return programmingPulses_; }

    // The waits, on the board's clock. Pause and BusyWait first send what a batching backend
    // holds, so that what they time has started on the wire; but a busy-wait of a millisecond or
    // less (a programming pulse of the adaptive algorithm) goes into its batch, where the
    // adapter's clock holds the lines at least that long and no transfer is spent on it. Longer
    // ones (the 12-bit supply gap, which the power-up judges on this clock) stay the host's.
    void Pause(int milliseconds);
    void BusyWait(int iterations);
    std::int64_t Now() const { return clock_->Now(); }
    void WaitUntil(std::int64_t deadline) { clock_->WaitUntil(deadline); }

    // Returns once at least `nanoseconds` have passed since the last write put its edge on the
    // wire, as above.
    void WaitSinceLastWrite(std::int64_t nanoseconds);
    // Reads the time of the last write now, unless it is known: the end of a frame, from which the
    // next frame's gap counts whatever the program does in between.
    void TimeLastWrite();

private:
    // The shortest of the writes that judge the port, in nanoseconds; 0 until they are done.
    std::int64_t ShortestWriteNs() const;
    // Runs a backend call; a PortFailure from it makes the shadow untrusted.
    template <typename Call>
    auto Guarded(Call&& call) -> decltype(call());

    // A register port of the board's own, over the register backend it is given (none: an
    // absent one).
    AbsentPortIo absent_;
    RegisterPort registers_;
    LinePort* port_;
    std::optional<PortInfo> chosen_;
    std::string refusedChoice_;
    Delays* clock_;
    PinMap pins_ = DefaultPinMap(PortKind::Parallel);
    PortKind pinKind_ = PortKind::Parallel;
    std::uint16_t dataPort_;
    OutputLines lines_{true, true, true, true};  // what an absent port (0xFF) reads as
    bool shadowTrusted_ = true;
    std::int64_t lastWriteAt_ = 0;
    bool lastWriteTimed_ = true;
    std::int64_t shortestWriteNs_ = 0;
    int timedWrites_ = 0;
    std::int64_t programmingPulses_ = 0;
};
