#include "link/ProgrammerLink.h"

#include <algorithm>

#include "link/Delays.h"

namespace {

// The last of the standard candidates; where the addresses stand before any detection, and
// after one that found nothing.
constexpr std::uint16_t UnopenedDataPort = 0x3BC;
// Writes timed before the shortest of them may stand for the port's speed.
constexpr int WritesToJudgeThePortBy = 32;

AbsentPortIo absent;

ProgrammerLink& DefaultLink() {
    static ProgrammerLink link(absent);
    return link;
}

ProgrammerLink* installed = nullptr;

}  // namespace

ProgrammerLink::ProgrammerLink(PortIo& io)
    : io_(&io),
      dataPort_(UnopenedDataPort),
      statusPort_(static_cast<std::uint16_t>(UnopenedDataPort + 1)) {}

std::uint8_t ProgrammerLink::Open(std::uint16_t dataPort) {
    dataPort_ = dataPort;
    statusPort_ = static_cast<std::uint16_t>(dataPort + 1);
    shadow_ = io_->In(dataPort_);
    // Another port may be faster.
    timedWrites_ = 0;
    return shadow_;
}

void ProgrammerLink::SetIo(PortIo& io) {
    io_ = &io;
    timedWrites_ = 0;
}

void ProgrammerLink::WriteData(std::uint8_t value) {
    if (value == shadow_) {
        return;
    }
    const Delays& clock = CurrentDelays();
    if (timedWrites_ < WritesToJudgeThePortBy) {
        const std::int64_t issued = clock.Now();
        io_->Out(dataPort_, value);
        lastWriteAt_ = clock.Now();
        const std::int64_t took = lastWriteAt_ - issued;
        shortestWriteNs_ = timedWrites_ == 0 ? took : std::min(shortestWriteNs_, took);
        ++timedWrites_;
        lastWriteTimed_ = true;
    } else {
        // A clock read is no small part of a write to a fast port: once the port is judged, the
        // end of a write is read when something waits from it (which can only be later).
        io_->Out(dataPort_, value);
        lastWriteTimed_ = false;
    }
    shadow_ = value;
}

void ProgrammerLink::TimeLastWrite() {
    if (!lastWriteTimed_) {
        lastWriteAt_ = CurrentDelays().Now();
        lastWriteTimed_ = true;
    }
}

void ProgrammerLink::ModifyData(std::uint8_t set, std::uint8_t clear) {
    WriteData(static_cast<std::uint8_t>((shadow_ | set) & ~clear));
}

void ProgrammerLink::WaitSinceLastWrite(std::int64_t nanoseconds) {
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
    return io_->In(statusPort_);
}

ProgrammerLink& CurrentLink() {
    return installed != nullptr ? *installed : DefaultLink();
}

InstalledLink::InstalledLink(PortIo& io) : link_(io), previous_(installed) {
    installed = &link_;
}

InstalledLink::InstalledLink(PortIo& io, std::uint16_t dataPort) : InstalledLink(io) {
    link_.Open(dataPort);
}

InstalledLink::~InstalledLink() {
    installed = previous_;
}
