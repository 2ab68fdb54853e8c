#pragma once

// A recording of the board's lines for a logic-analyser viewer: a PortIo that passes every access
// to the real one and, while recording, turns each write of the data register and each read of
// the status register into the changes of a Value Change Dump (IEEE 1364), which GTKWave and
// sigrok/PulseView open. The dump goes out as it is made, in blocks, so a run of any length costs
// no memory and the timing on the wire changes by little more than the accesses themselves cost.
//
// Times are in units of 100 ns: finer than that the host's clock does not honestly resolve, and a
// viewer that makes one sample per unit would drown in them. A signal that changes twice within
// one unit gets the second change one unit later, so no pulse is lost and times only grow.
//
// Signals, as levels at the chip, not port bits (the board inverts the data and clock bits):
//   data_out      the data line as the board leaves it: 0 driven low, 1 released (pulled high)
//   clock         the clock line
//   vdd_switch_a  supply switch A (VDD), 1 on
//   vpp_switch_b  supply switch B (VPP), 1 on
//   data_in       the data line as sampled through Acknowledge, at each sample

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "link/PinMap.h"
#include "link/PortWrapper.h"

class VcdTracePortIo final : public PortWrapper {
public:
    // Takes a block of the dump; false when it could not be written.
    using Sink = std::function<bool(const char* bytes, std::size_t size)>;

    VcdTracePortIo(PortIo& inner, std::function<std::int64_t()> nowNanoseconds);

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;
    std::vector<PortInfo> Ports() override { return inner_.Ports(); }
    PortStatus Status(std::uint16_t base) override { return inner_.Status(base); }
    void ReleaseExcept(std::uint16_t keep) override { inner_.ReleaseExcept(keep); }
    // A batching backend's samples are recorded when they are taken.
    std::uint8_t TakeIn(std::uint64_t ticket) override;

    // Starts a dump of the lines of the port whose data register is at dataPort, wired as `bits`
    // say: the header now (naming the port as `place`, e.g. "LPT1 (0x378, /dev/parport0)" or
    // "FT232R A6008xyz"), then the changes as they happen, times from now.
    void Start(Sink sink, std::uint16_t dataPort, const std::string& place, const PortBits& bits,
               const std::string& version);
    // Ends the dump with the time of the last access. False when the sink failed at any point;
    // recording stopped there.
    bool Finish();
    bool Recording() const { return recording_; }

    static constexpr std::int64_t NanosecondsPerUnit = 100;

private:
    enum Signal { DataOut, Clock, SwitchA, SwitchB, DataIn, SignalCount };
    void Change(Signal signal, int level, std::int64_t unit);
    void Emit(const std::string& text);
    void RecordSample(std::uint8_t status);
    void FlushBlock();

    PortIo& inner_;
    std::function<std::int64_t()> now_;
    Sink sink_;
    bool recording_ = false;
    bool failed_ = false;
    std::uint16_t dataPort_ = 0;
    PortBits bits_;
    std::int64_t start_ = 0;
    std::int64_t lastUnit_ = 0;  // the last access's time
    std::int64_t stamped_ = -1;  // the last time written
    std::array<int, SignalCount> levels_{};
    std::array<bool, SignalCount> changedAtStamp_{};
    std::string buffer_;
};
