#pragma once

#include <cstdint>

#include "link/PortIo.h"

// A backend over another, for those that watch or disturb its accesses (the trace, the tests'
// faulty and hooked ports, the slow port). The batching calls go to the inner backend when it
// batches; over any other a queued read is this wrapper's own In, so that what the wrapper does
// to a read also reaches the samples of a read frame.
class PortWrapper : public PortIo {
public:
    explicit PortWrapper(PortIo& inner) : inner_(inner) {}

    bool Batches() const override { return inner_.Batches(); }
    void QueueWait(std::int64_t nanoseconds) override { inner_.QueueWait(nanoseconds); }
    std::uint64_t QueueIn(std::uint16_t address) override {
        return inner_.Batches() ? inner_.QueueIn(address) : In(address);
    }
    std::uint8_t TakeIn(std::uint64_t ticket) override {
        return inner_.Batches() ? inner_.TakeIn(ticket) : static_cast<std::uint8_t>(ticket);
    }
    void Flush() override { inner_.Flush(); }

protected:
    PortIo& Inner() const { return inner_; }

private:
    PortIo& inner_;
};
