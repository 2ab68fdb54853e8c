#include "bench/PortAccessTiming.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "link/ParportIo.h"
#include "link/PortChoice.h"
#include "link/RegisterPort.h"

namespace {

constexpr int Accesses = 100'000;

double NsSince(std::chrono::steady_clock::time_point start, int count) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<double>(
               std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) /
           count;
}

}  // namespace

double MeasurePortAccessNs(const std::string& port, std::string& why) {
    const std::optional<PortChoice> choice = ParsePortChoice(port);
    if (!choice || choice->kind == PortChoice::Kind::Auto ||
        choice->kind == PortChoice::Kind::Simulated) {
        why = "name one port: lpt1, lpt2, lpt3, an I/O base like 0x378 or /dev/parportN";
        return -1;
    }
    ParportIo io;
    RegisterPort lines(io);
    const std::optional<PortInfo> info = ResolvePort(*choice, lines, why);
    if (!info) {
        return -1;
    }
    const std::uint8_t data = io.In(info->base);
    const PortStatus status = io.Status(info->base);
    if (status.problem != PortProblem::None) {
        why = ProblemText(status.problem, info->base);
        if (!status.detail.empty()) {
            why += " (" + status.detail + ")";
        }
        return -1;
    }
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Accesses; ++i) {
        io.Out(info->base, data);
    }
    const double writeNs = NsSince(start, Accesses);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < Accesses; ++i) {
        io.In(static_cast<std::uint16_t>(info->base + 1));
    }
    const double readNs = NsSince(start, Accesses);
    std::printf("%s (0x%X): a write takes %.0f ns, a status read %.0f ns (%d of each)\n",
                info->device.c_str(), info->base, writeNs, readNs, Accesses);
    return (writeNs + readNs) / 2;
}
