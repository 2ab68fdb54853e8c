#include "link/ProgrammerLink.h"

#include <algorithm>

namespace {

// The last of the standard candidates; where the link stands before any detection, and after one
// that found nothing.
constexpr std::uint16_t UnopenedDataPort = 0x3BC;
// Writes timed before the shortest of them may stand for the port's speed.
constexpr int WritesToJudgeThePortBy = 32;
// A busy-wait a batching backend times itself (see BusyWait in the header).
constexpr std::int64_t LongestQueuedBusyWaitNs = 1'000'000;

}  // namespace

ProgrammerLink::ProgrammerLink(PortIo& io, Delays& clock)
    : registers_(io), port_(&registers_), clock_(&clock), dataPort_(UnopenedDataPort) {}

ProgrammerLink::ProgrammerLink(PortIo& io, Delays& clock, std::uint16_t dataPort)
    : ProgrammerLink(io, clock) {
    Open(dataPort);
}

ProgrammerLink::ProgrammerLink(LinePort& port, Delays& clock)
    : registers_(absent_), port_(&port), clock_(&clock), dataPort_(0) {}

template <typename Call>
auto ProgrammerLink::Guarded(Call&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const PortFailure&) {
        // The write may or may not have reached the port: the shadow cannot say what it holds.
        shadowTrusted_ = false;
        throw;
    }
}

bool ProgrammerLink::Open(std::uint16_t port) {
    dataPort_ = port;
    const bool present = Guarded([this, port] { return port_->Open(port, lines_); });
    shadowTrusted_ = true;
    // Another port may be faster.
    timedWrites_ = 0;
    return present;
}

void ProgrammerLink::SetIo(PortIo& io) {
    registers_.SetIo(io);
    port_ = &registers_;
    timedWrites_ = 0;
}

void ProgrammerLink::SetPort(LinePort& port) {
    port_ = &port;
    timedWrites_ = 0;
}

void ProgrammerLink::SetLines(const OutputLines& lines, bool whole) {
    // A value written whole always goes out: it also sets the outputs that carry no line.
    if (lines == lines_ && shadowTrusted_ && !whole) {
        return;
    }
    const Delays& clock = *clock_;
    const auto out = [this, &lines, whole] { port_->Set(lines, whole); };
    if (timedWrites_ < WritesToJudgeThePortBy) {
        const std::int64_t issued = clock.Now();
        Guarded(out);
        lastWriteAt_ = clock.Now();
        const std::int64_t took = lastWriteAt_ - issued;
        shortestWriteNs_ = timedWrites_ == 0 ? took : std::min(shortestWriteNs_, took);
        ++timedWrites_;
        lastWriteTimed_ = true;
    } else {
        // A clock read is no small part of a write to a fast port: once the port is judged, the
        // end of a write is read when something waits from it (which can only be later).
        Guarded(out);
        lastWriteTimed_ = false;
    }
    lines_ = lines;
    shadowTrusted_ = true;
}

void ProgrammerLink::TimeLastWrite() {
    if (!lastWriteTimed_) {
        lastWriteAt_ = clock_->Now();
        lastWriteTimed_ = true;
    }
}

void ProgrammerLink::WaitSinceLastWrite(std::int64_t nanoseconds) {
    if (port_->Batches()) {
        // The adapter holds the lines on its own clock; the host's would time the queueing.
        Guarded([this, nanoseconds] { port_->QueueWait(nanoseconds); });
        return;
    }
    const std::int64_t credit = ShortestWriteNs() / 2;
    if (credit < nanoseconds) {
        TimeLastWrite();
        WaitUntil(lastWriteAt_ + nanoseconds - credit);
    }
}

std::int64_t ProgrammerLink::ShortestWriteNs() const {
    return timedWrites_ >= WritesToJudgeThePortBy ? shortestWriteNs_ : 0;
}

int ProgrammerLink::SampleReturn() {
    return TakeSample(QueueSample());
}

std::uint64_t ProgrammerLink::QueueSample() {
    return Guarded([this] { return port_->QueueSample(); });
}

int ProgrammerLink::TakeSample(std::uint64_t ticket) {
    return Guarded([this, ticket] { return port_->TakeSample(ticket); });
}

std::optional<OutputLines> ProgrammerLink::ReadBack() {
    return Guarded([this] { return port_->ReadBack(); });
}

void ProgrammerLink::Flush() {
    Guarded([this] { port_->Flush(); });
}

void ProgrammerLink::SuppliesOffBestEffort() noexcept {
    port_->SuppliesOffIfHeld();
    lines_ = lines_.WithSuppliesOff();
    shadowTrusted_ = false;
}

void ProgrammerLink::FrameEnd() {
    Guarded([this] { port_->FrameEnd(); });
}

void ProgrammerLink::Pause(int milliseconds) {
    Flush();
    clock_->Pause(milliseconds);
}

void ProgrammerLink::BusyWait(int iterations) {
    const std::int64_t nanoseconds = std::int64_t{iterations} * BusyWaitNanosecondsPerIteration;
    if (port_->Batches() && nanoseconds <= LongestQueuedBusyWaitNs) {
        Guarded([this, nanoseconds] { port_->QueueWait(nanoseconds); });
        return;
    }
    Flush();
    clock_->BusyWait(iterations);
}
