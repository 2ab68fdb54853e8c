#include "link/VcdTrace.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace {

// Identifier characters and names of the signals, in the order of the header.
constexpr char Ids[] = {'d', 'c', 'a', 'b', 'r'};
constexpr const char* Names[] = {"data_out", "clock", "vdd_switch_a", "vpp_switch_b", "data_in"};

// Large enough that the sink is called a few times a second at most.
constexpr std::size_t BlockBytes = 64 * 1024;

std::string Today() {
    const std::time_t now = std::time(nullptr);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    return text;
}

}  // namespace

VcdTracePortIo::VcdTracePortIo(PortIo& inner, std::function<std::int64_t()> nowNanoseconds)
    : PortWrapper(inner), inner_(inner), now_(std::move(nowNanoseconds)) {}

std::uint8_t VcdTracePortIo::In(std::uint16_t address) {
    const std::uint8_t value = inner_.In(address);
    if (address == dataPort_ + 1) {
        RecordSample(value);
    }
    return value;
}

std::uint8_t VcdTracePortIo::TakeIn(std::uint64_t ticket) {
    const std::uint8_t value = PortWrapper::TakeIn(ticket);
    if (Inner().Batches()) {
        RecordSample(value);
    }
    return value;
}

void VcdTracePortIo::RecordSample(std::uint8_t status) {
    if (recording_) {
        lastUnit_ = (now_() - start_ + NanosecondsPerUnit / 2) / NanosecondsPerUnit;
        Change(DataIn, bits_.ReturnLevel(status), lastUnit_);
    }
}

void VcdTracePortIo::Out(std::uint16_t address, std::uint8_t value) {
    inner_.Out(address, value);
    if (recording_ && address == dataPort_) {
        lastUnit_ = (now_() - start_ + NanosecondsPerUnit / 2) / NanosecondsPerUnit;
        // Through the board's pin map, so the trace shows the lines whatever the wiring.
        const PortBits& bits = bits_;
        Change(DataOut, bits.High(value, bits.data) ? 1 : 0, lastUnit_);
        Change(Clock, bits.High(value, bits.clock) ? 1 : 0, lastUnit_);
        Change(SwitchA, bits.High(value, bits.vdd) ? 1 : 0, lastUnit_);
        Change(SwitchB, bits.High(value, bits.vpp) ? 1 : 0, lastUnit_);
    }
}

void VcdTracePortIo::Start(Sink sink, std::uint16_t dataPort, const std::string& place,
                           const PortBits& bits, const std::string& version) {
    sink_ = std::move(sink);
    dataPort_ = dataPort;
    bits_ = bits;
    recording_ = true;
    failed_ = false;
    start_ = now_();
    lastUnit_ = 0;
    stamped_ = -1;
    levels_.fill(-1);
    changedAtStamp_.fill(false);
    buffer_.clear();
    buffer_.reserve(BlockBytes + 256);
    std::string header = "$date " + Today() + " $end\n$version " + version +
                         " $end\n$comment the programmer board's lines on " + place +
                         ", as levels at the chip, not the port's bits: data_out 0 driven low, 1 "
                         "released; clock 1 high; vdd_switch_a and vpp_switch_b 1 on; data_in the "
                         "data line read back through the return line, at each sample $end\n"
                         "$timescale 100 ns $end\n$scope module board $end\n";
    for (int signal = 0; signal < SignalCount; ++signal) {
        header += std::string("$var wire 1 ") + Ids[signal] + ' ' + Names[signal] + " $end\n";
    }
    header += "$upscope $end\n$enddefinitions $end\n$dumpvars\n";
    for (char id : Ids) {
        header += std::string("x") + id + '\n';
    }
    Emit(header + "$end\n");
}

bool VcdTracePortIo::Finish() {
    if (recording_) {
        // The end of the recording, so a viewer shows the last levels for as long as they lasted.
        if (lastUnit_ > stamped_) {
            Emit('#' + std::to_string(lastUnit_) + '\n');
        }
        FlushBlock();
    }
    recording_ = false;
    sink_ = nullptr;
    return !failed_;
}

void VcdTracePortIo::Change(Signal signal, int level, std::int64_t unit) {
    if (levels_[signal] == level) {
        return;
    }
    if (unit < stamped_) {
        unit = stamped_;  // after a change moved a unit on
    }
    if (unit == stamped_ && changedAtStamp_[signal]) {
        ++unit;  // its second change within one unit: one unit later, so the pulse shows
    }
    if (unit != stamped_) {
        Emit('#' + std::to_string(unit) + '\n');
        stamped_ = unit;
        changedAtStamp_.fill(false);
    }
    // The first level after the start is no edge, and makes no pulse with the next change.
    changedAtStamp_[signal] = levels_[signal] != -1;
    levels_[signal] = level;
    Emit(std::string{static_cast<char>('0' + level), Ids[signal], '\n'});
}

void VcdTracePortIo::Emit(const std::string& text) {
    buffer_ += text;
    if (buffer_.size() >= BlockBytes) {
        FlushBlock();
    }
}

void VcdTracePortIo::FlushBlock() {
    if (!buffer_.empty() && !sink_(buffer_.data(), buffer_.size())) {
        // Nothing more can be kept; the caller hears of it from Finish.
        failed_ = true;
        recording_ = false;
    }
    buffer_.clear();
}
