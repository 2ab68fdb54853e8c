#include "link/VcdTrace.h"

#include <array>
#include <ctime>
#include <utility>

namespace {

// Identifier characters of the five signals, in the order of the header.
constexpr std::array<char, 5> Ids = {'d', 'c', 'a', 'b', 'r'};
constexpr const char* Names[] = {"data_out", "clock", "switch_a", "switch_b", "data_in"};
enum Signal { DataOut, Clock, SwitchA, SwitchB, DataIn };

constexpr std::uint8_t DataBit = 0x01;
constexpr std::uint8_t ClockBit = 0x02;
constexpr std::uint8_t SupplyABit = 0x04;
constexpr std::uint8_t SupplyBBit = 0x08;
constexpr std::uint8_t AckBit = 0x40;

std::string Today() {
    const std::time_t now = std::time(nullptr);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    return text;
}

}  // namespace

VcdTracePortIo::VcdTracePortIo(PortIo& inner, std::function<std::int64_t()> nowNanoseconds)
    : inner_(inner), now_(std::move(nowNanoseconds)) {
    // A full programming run of the largest chip makes about 1.3 million accesses; growing the
    // buffer as it goes would cost more in the middle of a frame than one allocation up front.
    events_.reserve(1 << 21);
}

std::uint8_t VcdTracePortIo::In(std::uint16_t address) {
    const std::uint8_t value = inner_.In(address);
    events_.push_back({now_(), address, value, false});
    return value;
}

void VcdTracePortIo::Out(std::uint16_t address, std::uint8_t value) {
    inner_.Out(address, value);
    events_.push_back({now_(), address, value, true});
}

void VcdTracePortIo::WriteVcd(std::ostream& out, std::uint16_t dataPort,
                              const std::string& version) const {
    out << "$date " << Today() << " $end\n"
        << "$version " << version << " $end\n"
        << "$comment the programmer board's lines on the parallel port at 0x" << std::hex
        << std::uppercase << dataPort << std::dec << " $end\n"
        << "$timescale 1 ns $end\n"
        << "$scope module board $end\n";
    for (std::size_t i = 0; i < Ids.size(); ++i) {
        out << "$var wire 1 " << Ids[i] << ' ' << Names[i] << " $end\n";
    }
    out << "$upscope $end\n$enddefinitions $end\n$dumpvars\n";
    for (char id : Ids) {
        out << 'x' << id << '\n';
    }
    out << "$end\n";

    std::array<int, Ids.size()> levels;
    levels.fill(-1);
    const std::int64_t start = events_.empty() ? 0 : events_.front().nanoseconds;
    std::int64_t stamped = -1;
    auto change = [&](Signal signal, int level, std::int64_t at) {
        if (levels[signal] == level) {
            return;
        }
        levels[signal] = level;
        if (at != stamped) {
            out << '#' << at - start << '\n';
            stamped = at;
        }
        out << level << Ids[signal] << '\n';
    };
    for (const Event& event : events_) {
        if (event.write && event.address == dataPort) {
            change(DataOut, (event.value & DataBit) ? 0 : 1, event.nanoseconds);
            change(Clock, (event.value & ClockBit) ? 0 : 1, event.nanoseconds);
            change(SwitchA, (event.value & SupplyABit) ? 1 : 0, event.nanoseconds);
            change(SwitchB, (event.value & SupplyBBit) ? 1 : 0, event.nanoseconds);
        } else if (!event.write && event.address == dataPort + 1) {
            change(DataIn, (event.value & AckBit) ? 0 : 1, event.nanoseconds);
        }
    }
    // The end of the recording, so a viewer shows the last levels for as long as they lasted.
    if (!events_.empty() && events_.back().nanoseconds != stamped) {
        out << '#' << events_.back().nanoseconds - start << '\n';
    }
}
