#pragma once

// A recording of the board's lines for a logic-analyser viewer: a LinePort that passes every call
// to the real one and, while recording, turns each setting of the outputs and each sample of the
// returned line into the changes of a Value Change Dump (IEEE 1364), which GTKWave and
// sigrok/PulseView open. It records lines, so it shows every kind of port the same way. The dump
// goes out as it is made, in blocks, so a run of any length costs no memory and the timing on the
// wire changes by little more than the accesses themselves cost.
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
#include <optional>
#include <string>
#include <vector>

#include "link/LinePort.h"

class VcdTracePort final : public LinePort {
public:
    // Takes a block of the dump; false when it could not be written.
    using Sink = std::function<bool(const char* bytes, std::size_t size)>;

    VcdTracePort(LinePort& inner, std::function<std::int64_t()> nowNanoseconds);

    std::vector<PortInfo> Ports() override { return inner_.Ports(); }
    PortStatus Status(std::uint16_t port) override { return inner_.Status(port); }
    void ReleaseExcept(std::optional<std::uint16_t> keep) override { inner_.ReleaseExcept(keep); }
    void Prepare(std::uint16_t port, const OutputLines& lines) override {
        inner_.Prepare(port, lines);
    }
    bool Open(std::uint16_t port, OutputLines& lines) override { return inner_.Open(port, lines); }
    void Set(const OutputLines& lines, bool whole) override;
    // A sample is recorded when it is taken from the port: at once on a port that reads at once,
    // with its batch on one that batches.
    std::uint64_t QueueSample() override;
    int TakeSample(std::uint64_t ticket) override;
    bool Batches() const override { return inner_.Batches(); }
    void QueueWait(std::int64_t nanoseconds) override { inner_.QueueWait(nanoseconds); }
    void FrameEnd() override { inner_.FrameEnd(); }
    void Flush() override { inner_.Flush(); }
    std::optional<OutputLines> ReadBack() override { return inner_.ReadBack(); }
    void SuppliesOffIfHeld() noexcept override;
    std::string Facts() const override { return inner_.Facts(); }

    // Starts a dump of the lines: the header now (naming the port as `place`, e.g. "LPT1 (0x378,
    // /dev/parport0)" or "FT232R A6008xyz"), then the changes as they happen, times from now.
    void Start(Sink sink, const std::string& place, const std::string& version);
    // Ends the dump with the time of the last access. False when the sink failed at any point;
    // recording stopped there.
    bool Finish();
    bool Recording() const { return recording_; }

    static constexpr std::int64_t NanosecondsPerUnit = 100;

private:
    enum Signal { DataOut, Clock, SwitchA, SwitchB, DataIn, SignalCount };
    void Change(Signal signal, int level, std::int64_t unit);
    void Emit(const std::string& text);
    void RecordSample(int level);
    void FlushBlock();

    LinePort& inner_;
    std::function<std::int64_t()> now_;
    Sink sink_;
    bool recording_ = false;
    bool failed_ = false;
    std::int64_t start_ = 0;
    std::int64_t lastUnit_ = 0;  // the last access's time
    std::int64_t stamped_ = -1;  // the last time written
    std::array<int, SignalCount> levels_{};
    std::array<bool, SignalCount> changedAtStamp_{};
    std::string buffer_;
};
