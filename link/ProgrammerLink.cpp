#include "link/ProgrammerLink.h"

#include <algorithm>

namespace {

// The last of the standard candidates; where the addresses stand before any detection, and
// after one that found nothing.
constexpr std::uint16_t UnopenedDataPort = 0x3BC;
// Writes timed before the shortest of them may stand for the port's speed.
constexpr int WritesToJudgeThePortBy = 32;
// A busy-wait a batching backend times itself (see BusyWait in the header).
constexpr std::int64_t LongestQueuedBusyWaitNs = 1'000'000;

}  // namespace

ProgrammerLink::ProgrammerLink(PortIo& io, Delays& clock)
    : io_(&io),
      clock_(&clock),
      dataPort_(UnopenedDataPort),
      statusPort_(static_cast<std::uint16_t>(UnopenedDataPort + 1)) {}

ProgrammerLink::ProgrammerLink(PortIo& io, Delays& clock, std::uint16_t dataPort)
    : ProgrammerLink(io, clock) {
    Open(dataPort);
}

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

std::uint8_t ProgrammerLink::Open(std::uint16_t dataPort) {
    dataPort_ = dataPort;
    statusPort_ = static_cast<std::uint16_t>(dataPort + 1);
    shadow_ = Guarded([this] { return io_->In(dataPort_); });
    shadowTrusted_ = true;
    // Another port may be faster.
    timedWrites_ = 0;
    return shadow_;
}

void ProgrammerLink::SetIo(PortIo& io) {
    io_ = &io;
    timedWrites_ = 0;
}

void ProgrammerLink::WriteData(std::uint8_t value) {
    if (value == shadow_ && shadowTrusted_) {
        return;
    }
    const Delays& clock = *clock_;
    const auto out = [this, value] { io_->Out(dataPort_, value); };
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
    shadow_ = value;
    shadowTrusted_ = true;
}

void ProgrammerLink::TimeLastWrite() {
    if (!lastWriteTimed_) {
        lastWriteAt_ = clock_->Now();
        lastWriteTimed_ = true;
    }
}

void ProgrammerLink::ModifyData(std::uint8_t set, std::uint8_t clear) {
    WriteData(static_cast<std::uint8_t>((shadow_ | set) & ~clear));
}

void ProgrammerLink::WaitSinceLastWrite(std::int64_t nanoseconds) {
    if (io_->Batches()) {
        // The adapter holds the lines on its own clock; the host's would time the queueing.
        Guarded([this, nanoseconds] { io_->QueueWait(nanoseconds); });
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

std::uint8_t ProgrammerLink::ReadStatus() {
    return Guarded([this] { return io_->In(statusPort_); });
}

std::uint8_t ProgrammerLink::ReadDataRegister() {
    return Guarded([this] { return io_->In(dataPort_); });
}

std::uint64_t ProgrammerLink::QueueStatus() {
    return Guarded([this] { return io_->QueueIn(statusPort_); });
}

std::uint8_t ProgrammerLink::TakeStatus(std::uint64_t ticket) {
    return Guarded([this, ticket] { return io_->TakeIn(ticket); });
}

void ProgrammerLink::Flush() {
    Guarded([this] { io_->Flush(); });
}

void ProgrammerLink::Pause(int milliseconds) {
    Flush();
    clock_->Pause(milliseconds);
}

void ProgrammerLink::BusyWait(int iterations) {
    const std::int64_t nanoseconds = std::int64_t{iterations} * BusyWaitNanosecondsPerIteration;
    if (io_->Batches() && nanoseconds <= LongestQueuedBusyWaitNs) {
        Guarded([this, nanoseconds] { io_->QueueWait(nanoseconds); });
        return;
    }
    Flush();
    clock_->BusyWait(iterations);
}
