#pragma once

// The programmer board on one port, as an object (the board): the port backend, the addresses of
// the port's data and status registers, a shadow of the data register, the pin map, the clock it
// waits on and whether its shadow can be trusted.
//
// Every change of a single line is a read-modify-write, but of the shadow: the data register is
// read from the port once, when the link opens it, and from then on the link remembers what it
// wrote. The port is ours alone (ppdev claims it exclusively), so nothing else changes it behind
// our back, and every read the frames would spend on it is saved. What is written stays byte for
// byte the same as reading the register back each time, because a standard port reads back the
// value last written.
//
// A write that would change no line is not sent at all.
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
// On a batching backend (PortIo::Batches) the waits from the last edge go into the batch, and the
// board sends the batch before it waits on its own clock, so a pulse is never shorter than asked.

#include <cstdint>
#include <optional>
#include <string>

#include "link/Delays.h"
#include "link/PinMap.h"
#include "link/PortIo.h"

struct BoardSearch;

// A search for the board beyond the parallel ports (the FTDI adapters attached), which a front end
// gives its board; FindBoard (PortChoice.h) uses it when no port is chosen.
class BoardSearcher {
public:
    virtual ~BoardSearcher() = default;
    virtual BoardSearch Search(int notFound) = 0;
};

class ProgrammerLink {
public:
    // A link over io that is not yet open at any port: its addresses are those of the last
    // candidate detection tries (0x3BC and 0x3BD), and its shadow is what an absent port reads.
    // It waits on `clock`.
    ProgrammerLink(PortIo& io, Delays& clock);
    // Opened at dataPort at once.
    ProgrammerLink(PortIo& io, Delays& clock, std::uint16_t dataPort);
    ProgrammerLink(const ProgrammerLink&) = delete;
    ProgrammerLink& operator=(const ProgrammerLink&) = delete;

    // Points the link at the port whose data register is at dataPort (status at dataPort + 1) and
    // reads the data register once into the shadow; returns what it read (0xFF: no port there).
    // The port's speed is judged afresh.
    std::uint8_t Open(std::uint16_t dataPort);
    // The status register alone, for callers that set the two addresses one by one.
    void SetStatusPort(std::uint16_t statusPort) { statusPort_ = statusPort; }
    // Another backend from now on; the addresses and the shadow stay until the next Open, its
    // speed is judged afresh.
    void SetIo(PortIo& io);
    // Another clock from now on (a test that acts at a moment of a run wraps the clock).
    void SetClock(Delays& clock) { clock_ = &clock; }
    Delays& Clock() const { return *clock_; }

    // Where the board's lines are in the port's registers (see PinMap.h); the parallel port's
    // wiring until told otherwise.
    void SetBits(const PortBits& bits) { bits_ = bits; }
    const PortBits& Bits() const { return bits_; }
    // The map the bits come from, kept to be shown to the user.
    void SetPins(const PinMap& pins, PortKind kind) {
        pins_ = pins;
        pinKind_ = kind;
        bits_ = BitsOf(pins, kind);
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
    // The wider search, until it is taken back (nullptr); it must outlive its use here.
    void SearchWith(BoardSearcher* searcher) { searcher_ = searcher; }
    BoardSearcher* WiderSearch() const { return searcher_; }
    const std::string& RefusedChoice() const { return refusedChoice_; }

    PortIo& Io() const { return *io_; }
    std::uint16_t DataPort() const { return dataPort_; }
    std::uint16_t StatusPort() const { return statusPort_; }
    // The names the rest of the program knows the two registers by.
    std::uint16_t DataPortAddress() const { return dataPort_; }
    std::uint16_t StatusPortAddress() const { return statusPort_; }
    // False from a backend failure to the next Open: the port may not hold what the shadow says.
    bool ShadowTrusted() const { return shadowTrusted_; }
    // The data register as the link last wrote (or opened) it.
    std::uint8_t Shadow() const { return shadow_; }
    // Either supply switch on, judged from the shadow.
    bool Powered() const { return PoweredIn(shadow_); }
    // Either supply switch on in a data register value.
    bool PoweredIn(std::uint8_t data) const { return bits_.High(data, bits_.Supplies()); }
    // A data register value with both supplies switched off and the other bits as they are.
    std::uint8_t SuppliesOff(std::uint8_t data) const {
        return static_cast<std::uint8_t>((data & ~bits_.Supplies()) |
                                         bits_.Levels(0, bits_.Supplies()));
    }

    // Writes a whole value to the data register (nothing, if it holds that value already and the
    // shadow is trusted).
    void WriteData(std::uint8_t value);
    // Sets and clears bits of the data register, keeping the others.
    void ModifyData(std::uint8_t set, std::uint8_t clear);
    std::uint8_t ReadStatus();
    // The data register read from the port, not the shadow: the read-backs of the board checks.
    std::uint8_t ReadDataRegister();
    // A status sample at this point of the frame, answered by TakeStatus: on a batching backend
    // the frame's samples come back in its one transfer; any other reads at once.
    std::uint64_t QueueStatus();
    std::uint8_t TakeStatus(std::uint64_t ticket);
    // Sends what a batching backend holds queued; nothing on any other.
    void Flush();

    // The waits, on the board's clock. Pause and BusyWait first send what a batching backend
    // holds, so that what they time has started on the wire; but a busy-wait of a millisecond or
    // less (a programming pulse of the adaptive algorithm) goes into its batch, where the
    // adapter's clock holds the lines exactly that long and no transfer is spent on it. Longer
    // ones (the 12-bit supply gap, which the power-up judges on this clock) stay the host's.
    void Pause(int milliseconds);
    void BusyWait(int iterations);
    std::int64_t Now() const { return clock_->Now(); }
    void WaitUntil(std::int64_t deadline) { clock_->WaitUntil(deadline); }

    // Returns once at least `nanoseconds` have passed since the last write to the data register
    // put its edge on the wire, as above.
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

    PortIo* io_;
    std::optional<PortInfo> chosen_;
    std::string refusedChoice_;
    BoardSearcher* searcher_ = nullptr;
    Delays* clock_;
    PortBits bits_;
    PinMap pins_ = DefaultPinMap(PortKind::Parallel);
    PortKind pinKind_ = PortKind::Parallel;
    std::uint16_t dataPort_;
    std::uint16_t statusPort_;
    std::uint8_t shadow_ = 0xFF;
    bool shadowTrusted_ = true;
    std::int64_t lastWriteAt_ = 0;
    bool lastWriteTimed_ = true;
    std::int64_t shortestWriteNs_ = 0;
    int timedWrites_ = 0;
};
