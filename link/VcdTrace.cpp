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

VcdTracePort::VcdTracePort(LinePort& inner, std::function<std::int64_t()> nowNanoseconds)
    : inner_(inner), now_(std::move(nowNanoseconds)) {}

std::uint64_t VcdTracePort::QueueSample() {
    const std::uint64_t ticket = inner_.QueueSample();
    if (inner_.Batches()) {
        return ticket;
    }
    // Read at its point of the frame: recorded there, and the ticket is the answer.
    const int level = inner_.TakeSample(ticket);
    RecordSample(level);
    return static_cast<std::uint64_t>(level);
}

int VcdTracePort::TakeSample(std::uint64_t ticket) {
    if (!inner_.Batches()) {
        return static_cast<int>(ticket);
    }
    const int level = inner_.TakeSample(ticket);
    RecordSample(level);
    return level;
}

void VcdTracePort::RecordSample(int level) {
    if (recording_) {
        lastUnit_ = (now_() - start_ + NanosecondsPerUnit / 2) / NanosecondsPerUnit;
        Change(DataIn, level, lastUnit_);
    }
}

void VcdTracePort::Set(const OutputLines& lines, bool whole) {
    inner_.Set(lines, whole);
    if (recording_) {
        lastUnit_ = (now_() - start_ + NanosecondsPerUnit / 2) / NanosecondsPerUnit;
        Change(DataOut, lines.data ? 1 : 0, lastUnit_);
        Change(Clock, lines.clock ? 1 : 0, lastUnit_);
        Change(SwitchA, lines.vdd ? 1 : 0, lastUnit_);
        Change(SwitchB, lines.vpp ? 1 : 0, lastUnit_);
    }
}

void VcdTracePort::SuppliesOffIfHeld() noexcept {
    inner_.SuppliesOffIfHeld();
    try {
        if (recording_) {
            lastUnit_ = (now_() - start_ + NanosecondsPerUnit / 2) / NanosecondsPerUnit;
            Change(SwitchA, 0, lastUnit_);
            Change(SwitchB, 0, lastUnit_);
        }
    } catch (...) {
        // A trace that cannot record the last resort is still finished by its caller.
    }
}

void VcdTracePort::Start(Sink sink, const std::string& place, const std::string& version) {
    sink_ = std::move(sink);
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

bool VcdTracePort::Finish() {
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

void VcdTracePort::Change(Signal signal, int level, std::int64_t unit) {
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

void VcdTracePort::Emit(const std::string& text) {
    buffer_ += text;
    if (buffer_.size() >= BlockBytes) {
        FlushBlock();
    }
}

void VcdTracePort::FlushBlock() {
    if (!buffer_.empty() && !sink_(buffer_.data(), buffer_.size())) {
        // Nothing more can be kept; the caller hears of it from Finish.
        failed_ = true;
        recording_ = false;
    }
    buffer_.clear();
}
